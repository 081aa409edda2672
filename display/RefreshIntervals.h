#pragma once
// The refresh rates behind the Statistics page's track bar.

#include <array>
#include <cstdint>
#include <string_view>

namespace rsw {

struct RefreshInterval {
  std::uint32_t milliseconds;
  std::string_view label;
};

inline constexpr std::array<RefreshInterval, 11> RefreshIntervals{{
    {250, "250 ms"},
    {500, "500 ms"},
    {1000, "1 sec"},
    {2000, "2 sec"},
    {3000, "3 sec"},
    {5000, "5 sec"},
    {10000, "10 sec"},
    {20000, "20 sec"},
    {30000, "30 sec"},
    {45000, "45 sec"},
    {60000, "60 sec"},
}};

}  // namespace rsw
