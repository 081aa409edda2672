#pragma once
// Kilobyte amounts as the program shows them: "." between groups of three digits.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rsw {

// 500 gives "500", 1500 gives "1.500", 512000 gives "512.000"; a negative number keeps its sign.
std::string FormatThousands(std::int64_t n);

// Every "." removed, the rest read as an integer; nullopt when that is not a valid integer.
std::optional<std::int32_t> ParseThousands(std::string_view text);

}  // namespace rsw
