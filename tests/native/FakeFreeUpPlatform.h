#pragma once
// A free-up platform with a fake clock: sleeps advance time instead of waiting, posts are
// recorded, memory readings come from a script, and allocation can be made to fail.

#include <cstdint>
#include <deque>
#include <ostream>
#include <utility>
#include <vector>

#include "engine/TFreeThread.h"
#include "shell/Messages.h"

namespace rsw::test {

struct Posted {
  std::uint32_t message;
  std::uint32_t wParam;
  std::uint64_t atMs;  // fake time of the post
  bool operator==(const Posted& o) const { return message == o.message && wParam == o.wParam; }
};

inline void PrintTo(const Posted& p, std::ostream* os) {
  const char* name = p.message == WM_FREEUP_DONE        ? "DONE"
                     : p.message == WM_FREEUP_PASS      ? "PASS"
                     : p.message == WM_FREEUP_COUNTDOWN ? "COUNTDOWN"
                     : p.message == WM_FREEUP_IDLE      ? "IDLE"
                                                        : "?";
  *os << name << "(" << p.wParam << ")";
}

class ScriptedUsage final : public ProcessorUsage {
 public:
  std::deque<std::int32_t> samples;  // when empty, every sample is 100
  int starts = 0, stops = 0, reads = 0;
  void StartProcessorUsage() override { ++starts; }
  std::int32_t ReadProcessorUsage() override {
    ++reads;
    if (samples.empty()) return 100;
    const std::int32_t s = samples.front();
    samples.pop_front();
    return s;
  }
  void StopProcessorUsage() override { ++stops; }
};

class FakeFreeUpPlatform final : public FreeUpPlatform {
 public:
  std::vector<Posted> posts;
  std::uint64_t nowMs = 0;
  std::uint64_t yields = 0;             // sleeps of 0 ms
  std::deque<std::uint64_t> freeBytes;  // one reading per pass; the last one repeats
  int failAllocationAt = -1;            // the allocation with this index fails
  int allocations = 0;
  std::vector<std::size_t> allocatedSizes;
  std::size_t touchedBytes = 0;  // bytes written with the touch value in released blocks
  std::size_t touchWrites = 0;
  ScriptedUsage usage;

  void Post(void*, std::uint32_t message, std::uint32_t wParam) override { posts.push_back({message, wParam, nowMs}); }
  void Sleep(std::uint32_t ms) override {
    if (ms == 0) ++yields;
    nowMs += ms;
  }
  std::uint8_t* Allocate(std::size_t bytes) override {
    const int index = allocations++;
    if (index == failAllocationAt) return nullptr;
    allocatedSizes.push_back(bytes);
    return new std::uint8_t[bytes]();
  }
  void Release(std::uint8_t* block, std::size_t bytes) override {
    for (std::size_t i = 0; i < bytes; ++i) {
      if (block[i] == TFreeThread::kTouchByte) {
        ++touchWrites;
        EXPECT_EQ(i % TFreeThread::kTouchStep, 0u) << "touched off the 1,024-byte grid";
      }
    }
    touchedBytes += bytes;
    delete[] block;
  }
  std::uint64_t AvailablePhysicalBytes() override {
    if (freeBytes.empty()) return 0;
    const std::uint64_t value = freeBytes.front();
    if (freeBytes.size() > 1) freeBytes.pop_front();
    return value;
  }
  ProcessorUsage& Processor() override { return usage; }

  std::vector<Posted> Messages() const { return posts; }
};

inline constexpr std::uint64_t MB(std::uint64_t n) { return n * 1024 * 1024; }

}  // namespace rsw::test
