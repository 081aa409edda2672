#include "engine/TFreeThread.h"

#include <algorithm>
#include <new>

#include "shell/Messages.h"

namespace rsw {

std::int32_t TFreeThread::BlockMB() const { return std::clamp(AmountMB, 0, kMaxAmountMB); }

bool TFreeThread::DetectIdle(FreeUpPlatform& platform) const {
  platform.Post(NotifyWindow, WM_FREEUP_IDLE, 1);
  ProcessorUsage& usage = platform.Processor();
  usage.StartProcessorUsage();
  bool found = false;
  for (std::int32_t samples = 0; samples < IdleSeconds && !found;) {
    platform.Sleep(1000);
    found = usage.ReadProcessorUsage() < IdlePercent;
    ++samples;
    platform.Post(NotifyWindow, WM_FREEUP_IDLE, static_cast<std::uint32_t>(samples) + 1);
  }
  usage.StopProcessorUsage();
  platform.Post(NotifyWindow, WM_FREEUP_IDLE, 0);
  return found || FreeIfNoIdle;
}

void TFreeThread::Execute(FreeUpPlatform& platform) const noexcept {
  try {
    for (std::int32_t left = Countdown; left >= 1; --left) {
      platform.Post(NotifyWindow, WM_FREEUP_COUNTDOWN, static_cast<std::uint32_t>(left));
      platform.Sleep(1000);
    }
    platform.Post(NotifyWindow, WM_FREEUP_COUNTDOWN, 0);

    if (!IdleDetect || DetectIdle(platform)) {
      const std::int32_t amountMB = BlockMB();
      const std::size_t bytes = static_cast<std::size_t>(amountMB) * 1024u * 1024u;
      std::int32_t pass = 0;
      std::int64_t freeMB = 0;
      do {
        platform.Post(NotifyWindow, WM_FREEUP_PASS, static_cast<std::uint32_t>(pass));
        if (bytes > 0) {
          std::uint8_t* block = platform.Allocate(bytes);
          if (!block) throw std::bad_alloc();
          // volatile: the writes are the point, even though the block is released unread
          volatile std::uint8_t* touch = block;
          for (std::size_t offset = 0; offset < bytes; offset += kTouchStep) {
            platform.Sleep(0);
            touch[offset] = kTouchByte;
          }
          platform.Release(block, bytes);
        }
        freeMB = static_cast<std::int64_t>(platform.AvailablePhysicalBytes() / 1024 / 1024);
        ++pass;
        // the target counts as reached one megabyte short
      } while (pass < MaxPasses && freeMB < std::int64_t{amountMB} - 1);
    }
  } catch (...) {
    // A failed free-up ends like a finished one.
  }
  platform.Post(NotifyWindow, WM_FREEUP_DONE, 0);
}

}  // namespace rsw
