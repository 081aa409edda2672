#include "shell/DpiScale.h"

#include <cstdint>

namespace rsw {

int UsableDpi(int dpi) { return dpi >= 24 && dpi <= 1536 ? dpi : kBaseDpi; }

int ScaleToDpi(int value, int dpi) {
  dpi = UsableDpi(dpi);
  const std::int64_t product = static_cast<std::int64_t>(value) * dpi;
  const std::int64_t half = kBaseDpi / 2;
  const std::int64_t scaled = product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi);
  return static_cast<int>(scaled);
}

void ScaleBoxes(std::span<LayoutBox> boxes, int dpi) {
  for (LayoutBox& box : boxes) {
    const int right = ScaleToDpi(box.x + box.w, dpi);
    const int bottom = ScaleToDpi(box.y + box.h, dpi);
    box.x = ScaleToDpi(box.x, dpi);
    box.y = ScaleToDpi(box.y, dpi);
    box.w = right - box.x;
    box.h = bottom - box.y;
  }
}

}  // namespace rsw
