#pragma once
// Rows of controls that make room for their text: a label wider than its planned width grows, and
// everything after it on the same row moves right by as much, so no caption is cut off whatever
// font the system substitutes.

#include <span>

namespace rsw {

struct LayoutBox {
  int group;  // boxes of different groups (pages) never share a row
  int x, y, w, h;
  int textWidth;     // the width the box needs for its text, or 0 when it keeps its width
  bool attached;     // placed by the box before it (an up-down beside its edit): moves with it
  int minWidth = 0;  // the narrowest it may become when its row must be pulled in (a combo box's
                     // widest item), or 0: its text's width
};

// Boxes in creation order; a row is a run of consecutive boxes of one group whose tops lie within
// `tolerance` of the row's first box (kRowTolerance at 96 DPI, scaled with the boxes).
// With a `rightLimit` (above 0), a row whose grown text reaches past it is pulled back in by
// narrowing the boxes that are wider than their text (a font whose widths grow faster than the
// display scale); a row that fits is never changed by it.
inline constexpr int kRowTolerance = 4;
void FlowRows(std::span<LayoutBox> boxes, int tolerance = kRowTolerance, int rightLimit = 0);

}  // namespace rsw
