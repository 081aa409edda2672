#pragma once
// The one text-to-integer conversion of the program.

#include <cstdint>
#include <optional>
#include <string_view>

namespace rsw {

// Leading blanks are skipped, then an optional "+" or "-", then decimal digits, or "$" and
// hexadecimal digits. Anything else, an empty number, or a value outside the signed 32-bit
// range gives nullopt.
std::optional<std::int32_t> ParseInteger(std::string_view text);

}  // namespace rsw
