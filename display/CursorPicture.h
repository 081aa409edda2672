#pragma once
// A monochrome cursor drawn as text in the resource script: two 16-bit words for the hot spot,
// then 32 rows of 32 characters ("#" black, "." white, " " transparent), top row first.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace rsw {

struct MonochromeCursor {
  static constexpr int kSize = 32;
  int hotX = 0;
  int hotY = 0;
  // One bit per pixel, the leftmost in the highest bit, 4 bytes a row, top row first: the planes
  // CreateCursor takes. AND 1 = screen shows through; XOR 1 = white (or inverted screen).
  std::array<std::uint8_t, kSize * kSize / 8> andPlane{};
  std::array<std::uint8_t, kSize * kSize / 8> xorPlane{};
};

// Nothing when the data has the wrong size, a hot spot outside the picture or another character.
std::optional<MonochromeCursor> ParseCursorPicture(std::span<const std::uint8_t> data);

}  // namespace rsw
