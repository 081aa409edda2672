// Measures real free-up passes: how fast a block is committed, touched and released, and that the
// process gives the memory back. Run under Wine or Windows: make bench
//   rsw_bench.exe [amountMB] [passes]

#include <windows.h>

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "engine/TFreeThread.h"
#include "engine/win32/Win32FreeUp.h"

namespace {

// The worker's platform with posts dropped: only the passes are measured.
class SilentPlatform final : public rsw::win32::Win32FreeUpPlatform {
 public:
  void Post(void*, std::uint32_t, std::uint32_t) override {}
};

std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return counters.PrivateUsage;
}

}  // namespace

int main(int argc, char** argv) {
  // Targets: at least this many MB touched per second, and no more than this much memory kept.
  constexpr double kMinMBPerSecond = 200.0;
  constexpr double kMaxKeptMB = 1.0;

  const int amount = argc > 1 ? std::atoi(argv[1]) : 256;
  const int passes = argc > 2 ? std::atoi(argv[2]) : 4;

  rsw::TFreeThread worker;
  worker.AmountMB = amount;
  worker.MaxPasses = 1;  // one pass per run, so every pass runs whatever memory is free
  SilentPlatform platform;

  const std::size_t before = PrivateBytes();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < passes; ++i) worker.Execute(platform);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double keptMB = (static_cast<double>(PrivateBytes()) - static_cast<double>(before)) / 1048576.0;
  const double rate = amount * passes / seconds;

  std::printf("free-up passes: %d x %d MB in %.3f s = %.0f MB/s (target >= %.0f)\n", passes, amount, seconds, rate,
              kMinMBPerSecond);
  std::printf("memory kept after the passes: %.2f MB (target <= %.1f)\n", keptMB, kMaxKeptMB);
  const bool ok = rate >= kMinMBPerSecond && keptMB <= kMaxKeptMB;
  std::printf("%s\n", ok ? "bench: targets met" : "bench: TARGET MISSED");
  return ok ? 0 : 1;
}
