#include "engine/StatusCaption.h"

namespace rsw {

namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;

// Thousandths of a megabyte, rounded half to even; exact in integers.
std::uint64_t MilliMegabytes(std::uint64_t bytes) {
  // whole megabytes and the rest scaled apart, so no product can overflow
  const std::uint64_t restScaled = (bytes % kMegabyte) * 1000;
  std::uint64_t quotient = bytes / kMegabyte * 1000 + restScaled / kMegabyte;
  const std::uint64_t twiceRest = restScaled % kMegabyte * 2;
  if (twiceRest > kMegabyte || (twiceRest == kMegabyte && quotient % 2 == 1)) ++quotient;
  return quotient;
}

}  // namespace

std::string FormatFreeMegabytes(std::uint64_t freeBytes, std::string_view decimalSeparator) {
  const std::uint64_t milli = MilliMegabytes(freeBytes);
  // The pattern's decimals, and its minimum of integer digits.
  const int decimals = milli >= 100000 ? 1 : milli >= 10000 ? 2 : 3;
  std::uint64_t scale = 1;
  for (int i = decimals; i < 3; ++i) scale *= 10;
  // Formatting to fewer decimals rounds the (exact decimal) value half away from zero.
  const std::uint64_t units = (milli + scale / 2) / scale;
  std::uint64_t unitScale = 1;
  for (int i = 0; i < decimals; ++i) unitScale *= 10;

  std::string fraction = std::to_string(units % unitScale);
  fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
  std::string whole = std::to_string(units / unitScale);
  const std::size_t minWhole = static_cast<std::size_t>(4 - decimals);
  if (whole.size() < minWhole) whole.insert(0, minWhole - whole.size(), '0');
  return whole + std::string(decimalSeparator) + fraction;
}

std::string StatusCaption(const FreeUpProgress& progress, bool showFreeMemory, std::uint64_t freeBytes,
                          std::string_view decimalSeparator) {
  std::string state;
  if (progress.Busy) {
    if (progress.CountdownLeft > 0) {
      state = "Waiting (" + std::to_string(progress.CountdownLeft) + ")";
    } else if (progress.CurrentPass > 0) {
      state = "Working (" + std::to_string(static_cast<std::int64_t>(progress.CurrentPass) + 1) + ")";
    } else if (progress.IdleProgress > 0) {
      state = "Idle Detect (" + std::to_string(progress.IdleProgress) + ")";
    } else {
      state = "Working";
    }
  }
  std::string caption = kProductName;
  if (!state.empty()) caption += " - " + state;
  if (showFreeMemory) caption = FormatFreeMegabytes(freeBytes, decimalSeparator) + " MB - " + caption;
  return caption;
}

}  // namespace rsw
