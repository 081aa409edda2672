#include <gtest/gtest.h>
#include <vector>

#include "shell/DpiScale.h"

namespace rsw {
namespace {

struct ScaleCase {
  int value;
  int dpi;
  int scaled;
};

class ScaleToDpiTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleToDpiTest, RoundsLikeMulDiv) {
  EXPECT_EQ(ScaleToDpi(GetParam().value, GetParam().dpi), GetParam().scaled)
      << GetParam().value << " at " << GetParam().dpi;
}

INSTANTIATE_TEST_SUITE_P(Table, ScaleToDpiTest,
                         ::testing::Values(ScaleCase{411, 96, 411}, ScaleCase{272, 96, 272},  // unchanged at 96
                                           ScaleCase{411, 120, 514},                          // 513.75
                                           ScaleCase{411, 144, 617},                          // 616.5: half up
                                           ScaleCase{411, 192, 822}, ScaleCase{272, 120, 340}, ScaleCase{272, 144, 408},
                                           ScaleCase{11, 120, 14},  // 13.75
                                           ScaleCase{11, 144, 17},  // 16.5
                                           ScaleCase{-3, 144, -5},  // -4.5: away from zero
                                           ScaleCase{-4, 120, -5}, ScaleCase{0, 192, 0}, ScaleCase{1, 120, 1},  // 1.25
                                           ScaleCase{100, 0, 100},  // failed query: 96
                                           ScaleCase{100, -144, 100}, ScaleCase{100, 5000, 100},
                                           ScaleCase{2147483, 1536, 34359728}));  // no overflow

TEST(UsableDpi, OutlandishValuesAre96) {
  EXPECT_EQ(UsableDpi(96), 96);
  EXPECT_EQ(UsableDpi(120), 120);
  EXPECT_EQ(UsableDpi(0), 96);
  EXPECT_EQ(UsableDpi(-1), 96);
  EXPECT_EQ(UsableDpi(1 << 30), 96);
}

struct BoxesCase {
  int dpi;
  std::vector<LayoutBox> expected;
};

class ScaleBoxesTest : public ::testing::TestWithParam<BoxesCase> {};

// Two buttons side by side at the foot of a page and an edit under a label: edges that meet at 96
// DPI meet at every scale, and each edge is the scaled 96-DPI edge.
TEST_P(ScaleBoxesTest, ScalesEdges) {
  std::vector<LayoutBox> boxes{
      {0, 226, 203, 77, 25, 0, false},
      {0, 303, 203, 77, 25, 0, false},
      {1, 166, 146, 44, 21, 90, true},
  };
  ScaleBoxes(boxes, GetParam().dpi);
  const std::vector<LayoutBox>& expected = GetParam().expected;
  ASSERT_EQ(boxes.size(), expected.size());
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i].x, expected[i].x) << i;
    EXPECT_EQ(boxes[i].y, expected[i].y) << i;
    EXPECT_EQ(boxes[i].w, expected[i].w) << i;
    EXPECT_EQ(boxes[i].h, expected[i].h) << i;
    EXPECT_EQ(boxes[i].textWidth, expected[i].textWidth) << i << ": measured in the scaled font, not scaled";
    EXPECT_EQ(boxes[i].group, expected[i].group);
    EXPECT_EQ(boxes[i].attached, expected[i].attached);
  }
  EXPECT_EQ(boxes[0].x + boxes[0].w, boxes[1].x) << "touching boxes still touch";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScaleBoxesTest,
    ::testing::Values(
        BoxesCase{96,
                  {{0, 226, 203, 77, 25, 0, false}, {0, 303, 203, 77, 25, 0, false}, {1, 166, 146, 44, 21, 90, true}}},
        BoxesCase{120,
                  {{0, 283, 254, 96, 31, 0, false}, {0, 379, 254, 96, 31, 0, false}, {1, 208, 183, 55, 26, 90, true}}},
        BoxesCase{
            144, {{0, 339, 305, 116, 37, 0, false}, {0, 455, 305, 115, 37, 0, false}, {1, 249, 219, 66, 32, 90, true}}},
        BoxesCase{
            192,
            {{0, 452, 406, 154, 50, 0, false}, {0, 606, 406, 154, 50, 0, false}, {1, 332, 292, 88, 42, 90, true}}}));

// A label sits 4 pixels below the top of the edit it belongs to; scaled to 192 DPI that is 8, and
// the row still holds together with the scaled tolerance.
TEST(ScaleBoxes, RowsStillFlowAtTheScaledTolerance) {
  std::vector<LayoutBox> boxes{
      {0, 8, 150, 160, 13, 0, false},   // "Allocate and Free not more than"
      {0, 166, 146, 44, 21, 0, false},  // its edit
      {0, 216, 150, 40, 13, 0, false},  // "times."
  };
  ScaleBoxes(boxes, 192);
  boxes[0].textWidth = 340;  // the label needs 20 more pixels than planned at 192 DPI
  FlowRows(boxes, ScaleToDpi(kRowTolerance, 192));
  EXPECT_EQ(boxes[1].x, 332 + 20);
  EXPECT_EQ(boxes[2].x, 432 + 20);
  std::vector<LayoutBox> unscaledTolerance{
      {0, 16, 300, 320, 26, 340, false},
      {0, 332, 292, 88, 42, 0, false},
  };
  FlowRows(unscaledTolerance);
  EXPECT_EQ(unscaledTolerance[1].x, 332) << "8 pixels apart is another row at the 96-DPI tolerance";
}

}  // namespace
}  // namespace rsw
