#pragma once
// Rows of controls that make room for their text: a label wider than its planned width grows, and
// everything after it on the same row moves right by as much, so no caption is cut off whatever
// font the system substitutes.

#include <span>

namespace rsw {

struct LayoutBox {
  int group;  // boxes of different groups (pages) never share a row
  int x, y, w, h;
  int textWidth;  // the width the box needs for its text, or 0 when it keeps its width
  bool attached;  // placed by the box before it (an up-down beside its edit): moves with it
};

// Boxes in creation order; a row is a run of consecutive boxes of one group whose tops lie within
// `tolerance` of the row's first box (kRowTolerance at 96 DPI, scaled with the boxes).
inline constexpr int kRowTolerance = 4;
void FlowRows(std::span<LayoutBox> boxes, int tolerance = kRowTolerance);

}  // namespace rsw
