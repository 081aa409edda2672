#include "shell/RowLayout.h"

#include <algorithm>
#include <cstdlib>

namespace rsw {

namespace {

// A row that reaches past `limit` takes back the slack of its boxes that are wider than their text
// or their narrowest width (from the left), moving everything after each of them left by as much, until it fits or no
// slack is left. Rows that fit stay as planned.
void PullIn(std::span<LayoutBox> row, int limit) {
  int right = 0;
  for (const LayoutBox& box : row) {
    if (!box.attached) right = std::max(right, box.x + box.w);
  }
  int overflow = right - limit;
  for (std::size_t i = 0; i < row.size() && overflow > 0; ++i) {
    LayoutBox& box = row[i];
    const int narrowest = std::max(box.textWidth, box.minWidth);
    if (box.attached || narrowest <= 0 || narrowest >= box.w) continue;
    const int taken = std::min(overflow, box.w - narrowest);
    box.w -= taken;
    for (std::size_t j = i + 1; j < row.size(); ++j) {
      if (!row[j].attached) row[j].x -= taken;
    }
    overflow -= taken;
  }
}

}  // namespace

void FlowRows(std::span<LayoutBox> boxes, int tolerance, int rightLimit) {
  int rowGroup = -1;
  int rowTop = 0;
  int shift = 0;
  std::size_t rowStart = 0;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    LayoutBox& box = boxes[i];
    if (box.attached) continue;
    if (box.group != rowGroup || std::abs(box.y - rowTop) > tolerance) {
      if (rightLimit > 0) PullIn(boxes.subspan(rowStart, i - rowStart), rightLimit);
      rowStart = i;
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
  if (rightLimit > 0) PullIn(boxes.subspan(rowStart), rightLimit);
}

}  // namespace rsw
