#pragma once
// The window caption that shows free memory and the state of a running free-up.

#include <cstdint>
#include <string>
#include <string_view>

namespace rsw {

inline constexpr const char* kProductName = "Ramsweep Pro";

struct FreeUpProgress {
  bool Busy = false;
  std::int32_t CountdownLeft = 0;
  std::int32_t CurrentPass = 0;
  std::int32_t IdleProgress = 0;
};

// Free megabytes rounded half-to-even to three decimals, then written as "#000.0" from 100 on,
// "#00.00" from 10 on, else "#0.000", with the given decimal separator: 1,572,864 bytes give "1.500".
std::string FormatFreeMegabytes(std::uint64_t freeBytes, std::string_view decimalSeparator);

// "Ramsweep Pro", "... - Waiting (n)", "... - Working (n)", "... - Idle Detect (n)", "... - Working",
// preceded by the free megabytes and " MB - " when `showFreeMemory` is set.
std::string StatusCaption(const FreeUpProgress& progress, bool showFreeMemory, std::uint64_t freeBytes,
                          std::string_view decimalSeparator);

}  // namespace rsw
