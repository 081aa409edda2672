#include "shell/RowLayout.h"

#include <cstdlib>

namespace rsw {

void FlowRows(std::span<LayoutBox> boxes, int tolerance) {
  int rowGroup = -1;
  int rowTop = 0;
  int shift = 0;
  for (LayoutBox& box : boxes) {
    if (box.attached) continue;
    if (box.group != rowGroup || std::abs(box.y - rowTop) > tolerance) {
      rowGroup = box.group;
      rowTop = box.y;
      shift = 0;
    }
    box.x += shift;
    if (box.textWidth > box.w) {
      shift += box.textWidth - box.w;
      box.w = box.textWidth;
    }
  }
}

}  // namespace rsw
