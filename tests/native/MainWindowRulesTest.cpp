// The small rules behind the main window's controls.
#include <gtest/gtest.h>

#include "display/RefreshIntervals.h"
#include "engine/FreeUpRequests.h"
#include "engine/ThresholdStep.h"

namespace rsw {
namespace {

struct StepCase {
  std::int32_t from;
  bool up;
  std::int32_t stop;
  std::int32_t to;
};

class StepThresholdTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepThresholdTest, Steps) {
  const StepCase& c = GetParam();
  EXPECT_EQ(StepThreshold(c.from, c.up, c.stop), c.to) << c.from << (c.up ? " up" : " down");
}

constexpr bool kUp = true;
constexpr bool kDown = false;

INSTANTIATE_TEST_SUITE_P(Table, StepThresholdTest,
                         ::testing::Values(StepCase{9950, kUp, 200, 10050}, StepCase{10050, kUp, 200, 11000},
                                           StepCase{11000, kDown, 200, 10000}, StepCase{10000, kDown, 200, 9900},
                                           StepCase{512000, kUp, 200, 512000}, StepCase{600000, kUp, 200, 600000},
                                           StepCase{511000, kUp, 200, 513000},  // no clamp
                                           StepCase{50000, kUp, 200, 52000}, StepCase{49999, kUp, 200, 50000},
                                           StepCase{10000, kUp, 200, 11000}, StepCase{9999, kUp, 200, 10099},
                                           StepCase{52000, kDown, 200, 50000}, StepCase{50000, kDown, 200, 49000},
                                           StepCase{10001, kDown, 200, 9001}, StepCase{200, kDown, 200, 200},
                                           StepCase{150, kDown, 200, 150}, StepCase{250, kDown, 200, 150},
                                           StepCase{300, kDown, 200, 200}, StepCase{600000, kDown, 200, 598000},
                                           // the yellow amount stops at 500 instead
                                           StepCase{500, kDown, 500, 500}, StepCase{600, kDown, 500, 500},
                                           StepCase{550, kDown, 500, 450}, StepCase{200, kUp, 500, 300}));

TEST(RefreshIntervals, RunFrom250msTo60s) {
  EXPECT_EQ(RefreshIntervals[0].milliseconds, 250u);
  EXPECT_EQ(RefreshIntervals[0].label, "250 ms");
  EXPECT_EQ(RefreshIntervals[3].milliseconds, 2000u);
  EXPECT_EQ(RefreshIntervals[3].label, "2 sec");
  EXPECT_EQ(RefreshIntervals[10].milliseconds, 60000u);
  EXPECT_EQ(RefreshIntervals[10].label, "60 sec");
  for (std::size_t i = 1; i < RefreshIntervals.size(); ++i) {
    EXPECT_LT(RefreshIntervals[i - 1].milliseconds, RefreshIntervals[i].milliseconds);
  }
}

TEST(ManualPasses, TextBecomesOneToTwenty) {
  EXPECT_EQ(ManualPasses("2"), 2);
  EXPECT_EQ(ManualPasses("0"), 1);
  EXPECT_EQ(ManualPasses("25"), 20);
  EXPECT_EQ(ManualPasses(""), 1);
  EXPECT_EQ(ManualPasses("x"), 1);
  EXPECT_EQ(ManualPasses("-7"), 1);
  EXPECT_EQ(ManualPasses("$14"), 20);
}

TEST(AcceptRemoteFreeUp, DefaultsZeroAndRefusesWhatNoBlockHolds) {
  const auto byDefault = AcceptRemoteFreeUp(196610u, 0, 512);
  ASSERT_TRUE(byDefault);
  EXPECT_EQ(byDefault->AmountMB, 512);
  EXPECT_EQ(byDefault->MaxPasses, 2);
  EXPECT_EQ(byDefault->Countdown, 3);

  EXPECT_EQ(AcceptRemoteFreeUp(1, 2047, 8)->AmountMB, 2047);
  EXPECT_FALSE(AcceptRemoteFreeUp(1, 2048, 8));
  EXPECT_FALSE(AcceptRemoteFreeUp(1, -1, 8));
  EXPECT_FALSE(AcceptRemoteFreeUp(1, -2147483647 - 1, 8));
  // the pass count comes as sent: the remote side may ask for up to 65,535
  EXPECT_EQ(AcceptRemoteFreeUp(0xFFFFu, 4, 8)->MaxPasses, 65535);
}

}  // namespace
}  // namespace rsw
