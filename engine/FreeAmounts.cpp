#include "engine/FreeAmounts.h"

namespace rsw {

int DefaultAmountIndex(std::uint64_t totalPhysicalBytes) {
  const std::uint64_t half = totalPhysicalBytes / 1024 / 1000 / 2;
  int index = -1;
  for (int i = 0; i < kAmountCount && static_cast<std::uint64_t>(FreeAmounts[i]) <= half; ++i) index = i;
  return index;
}

std::int32_t DefaultAmountMB(std::uint64_t totalPhysicalBytes) {
  const int index = DefaultAmountIndex(totalPhysicalBytes);
  return index < 0 ? 0 : FreeAmounts[index];
}

std::string AmountText(std::int32_t amountMB) { return std::to_string(amountMB) + " MB"; }

}  // namespace rsw
