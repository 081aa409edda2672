#include <gtest/gtest.h>
#include <vector>

#include "engine/AutomaticFreeUps.h"

namespace rsw {
namespace {

CivilTime At(int h, int m, int s, int day = 10, int month = 12, int year = 2026) { return {year, month, day, h, m, s}; }

struct ScheduleCase {
  CivilTime now;
  std::int32_t minutes;
  CivilTime due;
};

class NextRegularTimeTest : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(NextRegularTimeTest, CurrentMinutePlusTheInterval) {
  EXPECT_EQ(FromLocalSeconds(NextRegularTime(GetParam().now, GetParam().minutes)), GetParam().due);
}

INSTANTIATE_TEST_SUITE_P(Table, NextRegularTimeTest,
                         ::testing::Values(ScheduleCase{At(14, 7, 45), 30, At(14, 37, 0)},
                                           ScheduleCase{At(15, 0, 20), 30, At(15, 30, 0)},
                                           ScheduleCase{At(15, 0, 0), 5, At(15, 5, 0)},
                                           ScheduleCase{At(23, 50, 59), 30, At(0, 20, 0, 11)},
                                           ScheduleCase{At(23, 59, 1, 31, 12, 2026), 1440, At(23, 59, 0, 1, 1, 2027)},
                                           ScheduleCase{At(12, 0, 0, 28, 2, 2028), 1440, At(12, 0, 0, 29, 2, 2028)},
                                           ScheduleCase{At(12, 0, 0, 28, 2, 2027), 1440, At(12, 0, 0, 1, 3, 2027)}));

TEST(LocalSeconds, RoundTripsAndOrders) {
  for (const CivilTime t :
       {At(0, 0, 0, 1, 1, 1970), At(13, 14, 15), At(23, 59, 59, 31, 12, 1999), At(1, 2, 3, 29, 2, 2000)}) {
    EXPECT_EQ(FromLocalSeconds(LocalSeconds(t)), t);
  }
  EXPECT_EQ(LocalSeconds(At(0, 0, 0, 1, 1, 1970)), 0);
  EXPECT_LT(LocalSeconds(At(23, 59, 59, 9)), LocalSeconds(At(0, 0, 0, 10)));
  EXPECT_EQ(FromLocalSeconds(-1), At(23, 59, 59, 31, 12, 1969));
}

struct Tick {
  std::uint64_t freeKB;
  bool fires;
};

TEST(CriticalCounter, FiresAtTheEleventhLowTickWithTenSeconds) {
  CriticalCounter counter;
  for (int i = 1; i <= 10; ++i) {
    EXPECT_FALSE(counter.Tick(400, 500, 10)) << i;
    EXPECT_EQ(counter.Count(), i);
  }
  EXPECT_TRUE(counter.Tick(500, 500, 10)) << "equality counts as low";
  EXPECT_EQ(counter.Count(), 0);
  // still low: the next one needs another full period
  for (int i = 1; i <= 10; ++i) EXPECT_FALSE(counter.Tick(100, 500, 10));
  EXPECT_TRUE(counter.Tick(100, 500, 10));
}

TEST(CriticalCounter, AHighReadingStartsAgain) {
  CriticalCounter counter;
  const std::vector<Tick> ticks{{500, false}, {500, false}, {501, false}, {0, false}, {0, false}, {0, true}};
  for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_EQ(counter.Tick(ticks[i].freeKB, 500, 2), ticks[i].fires) << i;
}

TEST(CriticalCounter, MemoryBeyond4GBIsNeverLow) {
  CriticalCounter counter;
  const std::uint64_t free5GB = 5ull * 1024 * 1024;  // in KB: 5 GB, more than 32 bits of bytes hold
  for (int i = 0; i < 20; ++i) EXPECT_FALSE(counter.Tick(free5GB, 512000, 1));
  EXPECT_EQ(counter.Count(), 0);
  // but an amount seeded above it counts
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(counter.Tick(free5GB, 30000000, 2));
  EXPECT_TRUE(counter.Tick(free5GB, 30000000, 2));
}

TEST(CriticalCounter, ZeroSecondsFiresAtTheFirstLowTickAndResetWorks) {
  CriticalCounter counter;
  EXPECT_TRUE(counter.Tick(0, 200, 0));
  counter.Tick(0, 200, 5);
  counter.Tick(0, 200, 5);
  counter.Reset();
  EXPECT_EQ(counter.Count(), 0);
  EXPECT_FALSE(counter.Tick(0, -1, 0)) << "a negative amount is never reached";
}

}  // namespace
}  // namespace rsw
