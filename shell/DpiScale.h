#pragma once
// Layout figures are given in pixels at 96 DPI; a window at another DPI scales them the way the
// system's MulDiv(value, dpi, 96) does.

#include <span>

#include "shell/RowLayout.h"

namespace rsw {

inline constexpr int kBaseDpi = 96;

// A DPI the layout can use: anything outside 24..1536 (0 from a failed query, garbage from another
// process's message) is taken as 96.
int UsableDpi(int dpi);

// value × dpi / 96, rounded to the nearest pixel, halves away from zero (as MulDiv rounds).
int ScaleToDpi(int value, int dpi);

// Scales every box's position and size. Edges are scaled rather than widths, so boxes that touch at
// 96 DPI still touch; textWidth is left alone (it is measured in the scaled font).
void ScaleBoxes(std::span<LayoutBox> boxes, int dpi);

}  // namespace rsw
