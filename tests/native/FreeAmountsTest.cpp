#include <gtest/gtest.h>

#include "engine/FreeAmounts.h"

namespace rsw {
namespace {

TEST(FreeAmounts, TableRunsFrom1To512InItsSteps) {
  EXPECT_EQ(FreeAmounts.front(), 1);
  EXPECT_EQ(FreeAmounts[2], 4);
  EXPECT_EQ(FreeAmounts[16], 32);
  EXPECT_EQ(FreeAmounts[17], 40);
  EXPECT_EQ(FreeAmounts[28], 128);
  EXPECT_EQ(FreeAmounts[29], 160);
  EXPECT_EQ(FreeAmounts.back(), 512);
  for (int i = 1; i < kAmountCount; ++i) EXPECT_LT(FreeAmounts[i - 1], FreeAmounts[i]);
}

struct DefaultCase {
  std::uint64_t totalBytes;
  int index;
};

class DefaultAmountTest : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultAmountTest, LargestAmountNotAboveHalfTheMemory) {
  EXPECT_EQ(DefaultAmountIndex(GetParam().totalBytes), GetParam().index) << GetParam().totalBytes;
}

INSTANTIATE_TEST_SUITE_P(Table, DefaultAmountTest,
                         ::testing::Values(DefaultCase{64ull << 20, 16},  // H = 32: 32 MB
                                           DefaultCase{96ull << 20, 18},  // H = 49: 48 MB
                                           DefaultCase{2047999, -1},      // H = 0: nothing fits
                                           DefaultCase{2048000, 0},       // H = 1: 1 MB
                                           DefaultCase{24ull << 30, 40},  // far above 1 GB: 512 MB
                                           DefaultCase{0, -1}));

TEST(FreeAmounts, DefaultAmountAndText) {
  EXPECT_EQ(DefaultAmountMB(64ull << 20), 32);
  EXPECT_EQ(DefaultAmountMB(1024), 0);
  EXPECT_EQ(AmountText(1), "1 MB");
  EXPECT_EQ(AmountText(512), "512 MB");
}

}  // namespace
}  // namespace rsw
