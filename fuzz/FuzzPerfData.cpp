// Any block of bytes as performance data: the walk never reads outside it, and a usage computed
// from what it finds never fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "engine/uWinPerf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto counter = rsw::FindProcessorTimeCounter(std::span<const std::uint8_t>(data, size));
  if (counter) {
    rsw::PerfBaseline baseline;
    const std::int32_t usage = rsw::UsageFromCounter(baseline, *counter);
    if (counter->counterType != rsw::PERF_100NSEC_TIMER_INV && usage != 99) std::abort();
  }
  return 0;
}
