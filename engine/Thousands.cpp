#include "engine/Thousands.h"

#include "shell/IntegerText.h"

namespace rsw {

std::string FormatThousands(std::int64_t n) {
  const bool negative = n < 0;
  // the magnitude as unsigned, so the most negative number has one too
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  std::string digits = std::to_string(magnitude);
  for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, 1, '.');
  return negative ? "-" + digits : digits;
}

std::optional<std::int32_t> ParseThousands(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  for (char c : text) {
    if (c != '.') plain += c;
  }
  return ParseInteger(plain);
}

}  // namespace rsw
