#pragma once
// The 41 free-up amounts that every amount choice indexes, and the default amount.

#include <array>
#include <cstdint>
#include <string>

namespace rsw {

inline constexpr std::array<std::int32_t, 41> FreeAmounts{
    1,  2,  4,  6,  8,   10,  12,  14,  16,  18,  20,  22,  24,  26,  28,  30,  32,  40,  48,  56, 64,
    72, 80, 88, 96, 104, 112, 120, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 480, 512};

inline constexpr int kAmountCount = static_cast<int>(FreeAmounts.size());

// The index of the largest amount not above H = ((totalBytes div 1024) div 1000) div 2,
// or -1 when even the first amount is above H (less than 2,000 KB of memory).
int DefaultAmountIndex(std::uint64_t totalPhysicalBytes);

// The amount at DefaultAmountIndex, or 0 when there is none.
std::int32_t DefaultAmountMB(std::uint64_t totalPhysicalBytes);

// The display form of an amount: "32 MB".
std::string AmountText(std::int32_t amountMB);

}  // namespace rsw
