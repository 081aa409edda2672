#pragma once
// One free-up: countdown, optional wait for an idle processor, then passes that allocate a block,
// touch every kilobyte of it and release it, until free memory reaches the target or the pass
// limit is hit. Progress goes to the notify window as posted messages only.

#include <cstddef>
#include <cstdint>

#include "engine/ProcessorUsage.h"

namespace rsw {

// What a free-up needs from the system.
class FreeUpPlatform {
 public:
  virtual ~FreeUpPlatform() = default;
  // Posts `message` with wParam and lParam 0 to `window`; a failed post is ignored.
  virtual void Post(void* window, std::uint32_t message, std::uint32_t wParam) = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // A block the system must back with real memory once it is written; nullptr on failure.
  virtual std::uint8_t* Allocate(std::size_t bytes) = 0;
  virtual void Release(std::uint8_t* block, std::size_t bytes) = 0;
  virtual std::uint64_t AvailablePhysicalBytes() = 0;
  virtual ProcessorUsage& Processor() = 0;
};

struct TFreeThread {
  // The largest block a 32-bit process can be asked for: 2047 MB still fits a signed 32-bit byte count.
  static constexpr std::int32_t kMaxAmountMB = 2047;
  static constexpr std::size_t kTouchStep = 1024;
  static constexpr std::uint8_t kTouchByte = 0xCC;

  std::int32_t Countdown = 0;    // seconds to wait first; 0 or less: no wait
  std::int32_t MaxPasses = 1;    // upper bound on passes; at least one pass always runs
  std::int32_t AmountMB = 0;     // target in MB and the block size of every pass
  void* NotifyWindow = nullptr;  // receives the progress messages
  bool IdleDetect = false;       // wait for an idle processor before the passes
  std::int32_t IdlePercent = 0;  // usage strictly below this counts as idle
  std::int32_t IdleSeconds = 0;  // at most this many one-second samples
  bool FreeIfNoIdle = false;     // do the passes even when no idle was found

  // Runs the whole free-up; WM_FREEUP_DONE is always the last message, whatever failed before.
  void Execute(FreeUpPlatform& platform) const noexcept;
  // Waits for an idle processor; true when the passes should follow.
  bool DetectIdle(FreeUpPlatform& platform) const;

  // The amount a pass allocates and aims for: AmountMB limited to 0..kMaxAmountMB, so the block
  // size can never overflow.
  std::int32_t BlockMB() const;
};

}  // namespace rsw
