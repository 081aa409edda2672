#include "display/CursorPicture.h"

namespace rsw {

std::optional<MonochromeCursor> ParseCursorPicture(std::span<const std::uint8_t> data) {
  constexpr int n = MonochromeCursor::kSize;
  if (data.size() != 4 + std::size_t{n * n}) return std::nullopt;
  MonochromeCursor cursor;
  cursor.hotX = data[0] | data[1] << 8;
  cursor.hotY = data[2] | data[3] << 8;
  if (cursor.hotX >= n || cursor.hotY >= n) return std::nullopt;
  for (int i = 0; i < n * n; ++i) {
    const auto bit = static_cast<std::uint8_t>(0x80 >> (i % 8));
    switch (data[4 + static_cast<std::size_t>(i)]) {
      case '#': break;
      case '.': cursor.xorPlane[static_cast<std::size_t>(i / 8)] |= bit; break;
      case ' ': cursor.andPlane[static_cast<std::size_t>(i / 8)] |= bit; break;
      default: return std::nullopt;
    }
  }
  return cursor;
}

}  // namespace rsw
