#include <gtest/gtest.h>
#include <vector>

#include "shell/RowLayout.h"

namespace rsw {
namespace {

TEST(FlowRows, WideLabelPushesTheRestOfItsRowOnly) {
  std::vector<LayoutBox> boxes{
      {0, 38, 148, 64, 13, 70, false},   // "for more than" needs 70
      {0, 104, 144, 54, 21, 0, false},   // edit on the same row (top within 4)
      {0, 0, 0, 0, 0, 0, true},          // its up-down
      {0, 164, 148, 82, 13, 90, false},  // "seconds and use " needs 90
      {0, 246, 144, 60, 100, 0, false},  // combo
      {0, 8, 176, 130, 25, 0, false},    // next row: unmoved
      {1, 8, 148, 50, 13, 0, false},     // other page, same height: unmoved
  };
  FlowRows(boxes);
  EXPECT_EQ(boxes[0].w, 70);
  EXPECT_EQ(boxes[1].x, 110);
  EXPECT_EQ(boxes[3].x, 170);
  EXPECT_EQ(boxes[3].w, 90);
  EXPECT_EQ(boxes[4].x, 246 + 6 + 8);
  EXPECT_EQ(boxes[5].x, 8);
  EXPECT_EQ(boxes[6].x, 8);
  EXPECT_EQ(boxes[2].x, 0) << "attached boxes are left to their owner";
}

TEST(FlowRows, NarrowerTextKeepsThePlannedWidth) {
  std::vector<LayoutBox> boxes{{0, 8, 10, 100, 13, 40, false}, {0, 120, 10, 50, 21, 0, false}};
  FlowRows(boxes);
  EXPECT_EQ(boxes[0].w, 100);
  EXPECT_EQ(boxes[1].x, 120);
}

TEST(FlowRows, EmptyAndSingle) {
  std::vector<LayoutBox> none;
  FlowRows(none);
  std::vector<LayoutBox> one{{0, 5, 5, 10, 13, 30, false}};
  FlowRows(one);
  EXPECT_EQ(one[0].x, 5);
  EXPECT_EQ(one[0].w, 30);
}

// "Free up" [combo] "if you have less than ...": the label's text grew past the page's edge.
TEST(FlowRows, ARowPastTheLimitTakesBackSlackFromTheLeft) {
  std::vector<LayoutBox> boxes{
      {0, 17, 150, 75, 21, 66, false},     // check box, 9 wider than its text
      {0, 95, 148, 83, 250, 0, false},     // combo
      {0, 183, 152, 300, 16, 333, false},  // label that grew by 33
      {0, 10, 180, 80, 16, 90, false},     // the next row grows but fits: unchanged
  };
  FlowRows(boxes, 5, 510);
  EXPECT_EQ(boxes[0].w, 75 - 6) << "only as much as the overflow";
  EXPECT_EQ(boxes[1].x, 95 - 6);
  EXPECT_EQ(boxes[2].x, 183 - 6);
  EXPECT_EQ(boxes[2].x + boxes[2].w, 510);
  EXPECT_EQ(boxes[2].w, 333) << "the text keeps its width";
  EXPECT_EQ(boxes[3].x, 10);
  EXPECT_EQ(boxes[3].w, 90);
}

TEST(FlowRows, SlackRunsOutBeforeTheOverflowDoes) {
  std::vector<LayoutBox> boxes{
      {0, 0, 0, 50, 13, 48, false},
      {0, 0, 0, 0, 0, 0, true},  // attached: never moved here
      {0, 60, 0, 100, 13, 200, false},
  };
  FlowRows(boxes, 4, 200);
  EXPECT_EQ(boxes[0].w, 48);
  EXPECT_EQ(boxes[2].x, 58);
  EXPECT_EQ(boxes[2].w, 200);
  EXPECT_EQ(boxes[1].x, 0);
}

TEST(FlowRows, RowsExactlyAtTheLimitOrWithoutOneAreUnchanged) {
  const std::vector<LayoutBox> planned{{0, 8, 0, 60, 13, 40, false}, {0, 70, 0, 100, 13, 130, false}};
  for (int limit : {0, 200}) {
    std::vector<LayoutBox> boxes = planned;
    FlowRows(boxes, 4, limit);
    EXPECT_EQ(boxes[0].w, 60) << limit;
    EXPECT_EQ(boxes[1].x, 70) << limit;
    EXPECT_EQ(boxes[1].w, 130) << limit;
  }
}

}  // namespace
}  // namespace rsw
