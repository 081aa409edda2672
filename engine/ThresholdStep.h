#pragma once
// Stepping a kilobyte threshold with its up-down: finer steps for small amounts, coarser for
// large ones. The steps only stop at their ends; they do not clamp.

#include <cstdint>

namespace rsw {

inline constexpr std::int32_t kCriticalLowerStop = 200;
inline constexpr std::int32_t kYellowLowerStop = 500;
inline constexpr std::int32_t kThresholdUpperStop = 512000;

// 9,950 up gives 10,050, then 11,000; 11,000 down gives 10,000, then 9,900.
inline std::int32_t StepThreshold(std::int32_t kb, bool up, std::int32_t lowerStop) {
  if (up) {
    if (kb >= kThresholdUpperStop) return kb;
    if (kb >= 50000) return kb + 2000;
    if (kb >= 10000) return (kb + 1000) / 1000 * 1000;
    return kb + 100;
  }
  if (kb > 50000) return kb - 2000;
  if (kb > 10000) return kb - 1000;
  if (kb > lowerStop) return kb - 100;
  return kb;
}

}  // namespace rsw
