#include <gtest/gtest.h>

#include "engine/IdleProfile.h"
#include "native/FakeFreeUpPlatform.h"

namespace rsw::test {
namespace {

Posted Countdown(std::uint32_t n) { return {WM_FREEUP_COUNTDOWN, n, 0}; }
Posted Idle(std::uint32_t n) { return {WM_FREEUP_IDLE, n, 0}; }
Posted Pass(std::uint32_t n) { return {WM_FREEUP_PASS, n, 0}; }
Posted Done() { return {WM_FREEUP_DONE, 0, 0}; }

TFreeThread Worker(std::int32_t amount, std::int32_t passes, std::int32_t countdown = 0) {
  TFreeThread w;
  w.AmountMB = amount;
  w.MaxPasses = passes;
  w.Countdown = countdown;
  return w;
}

TEST(TFreeThread, CountdownZeroPostsOnlyZeroThenPasses) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(100)};
  Worker(2, 3).Execute(p);
  EXPECT_EQ(p.Messages(), (std::vector<Posted>{Countdown(0), Pass(0), Done()}));
  EXPECT_EQ(p.nowMs, 0u);
}

TEST(TFreeThread, CountdownOfThreePostsOneSecondApart) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(100)};
  Worker(1, 1, 3).Execute(p);
  ASSERT_EQ(p.Messages(),
            (std::vector<Posted>{Countdown(3), Countdown(2), Countdown(1), Countdown(0), Pass(0), Done()}));
  EXPECT_EQ(p.posts[0].atMs, 0u);
  EXPECT_EQ(p.posts[1].atMs, 1000u);
  EXPECT_EQ(p.posts[2].atMs, 2000u);
  EXPECT_EQ(p.posts[3].atMs, 3000u);
}

TEST(TFreeThread, NegativeCountdownStillPostsZero) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(100)};
  Worker(1, 1, -4).Execute(p);
  EXPECT_EQ(p.Messages(), (std::vector<Posted>{Countdown(0), Pass(0), Done()}));
}

TEST(TFreeThread, EveryPassTouchesEachKilobyteAfterAYield) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(0)};
  Worker(3, 2).Execute(p);
  EXPECT_EQ(p.Messages(), (std::vector<Posted>{Countdown(0), Pass(0), Pass(1), Done()}));
  EXPECT_EQ(p.allocatedSizes, (std::vector<std::size_t>{MB(3), MB(3)}));
  EXPECT_EQ(p.touchWrites, 2u * 3u * 1024u);
  EXPECT_EQ(p.yields, 2u * 3u * 1024u);
}

struct PassCase {
  std::string name;
  std::int32_t amount;
  std::int32_t maxPasses;
  std::vector<std::uint64_t> freeAfterPass;
  int expectedPasses;
};

void PrintTo(const PassCase& c, std::ostream* os) { *os << c.name; }

class PassRuleTest : public ::testing::TestWithParam<PassCase> {};

TEST_P(PassRuleTest, RunsUntilTargetOrLimit) {
  const PassCase& c = GetParam();
  FakeFreeUpPlatform p;
  p.freeBytes = {c.freeAfterPass.begin(), c.freeAfterPass.end()};
  Worker(c.amount, c.maxPasses).Execute(p);
  std::vector<Posted> expected{Countdown(0)};
  for (int i = 0; i < c.expectedPasses; ++i) expected.push_back(Pass(static_cast<std::uint32_t>(i)));
  expected.push_back(Done());
  EXPECT_EQ(p.Messages(), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PassRuleTest,
                         ::testing::Values(PassCase{"OnePassLimitWhateverTheMemory", 10, 1, {MB(0)}, 1},
                                           PassCase{"ZeroLimitStillOnePass", 10, 0, {MB(0)}, 1},
                                           PassCase{"NegativeLimitStillOnePass", 10, -3, {MB(0)}, 1},
                                           PassCase{"NineFreeOfTenEnds", 10, 5, {MB(9)}, 1},
                                           PassCase{"JustUnderNineGoesOn", 10, 5, {MB(9) - 1, MB(9) - 1, MB(9)}, 3},
                                           PassCase{"LimitReachedBeforeTarget", 10, 4, {MB(1)}, 4},
                                           PassCase{"SecondPassReachesTarget", 16, 20, {MB(3), MB(15)}, 2},
                                           PassCase{"MoreThan4GBFreeEnds", 512, 20, {5ull << 30}, 1},
                                           PassCase{"ZeroAmountOnePass", 0, 20, {MB(0)}, 1},
                                           PassCase{"OneMBAmountEndsAtZeroFree", 1, 20, {MB(0)}, 1}),
                         [](const auto& tpi) { return tpi.param.name; });

TEST(TFreeThread, AllocationFailureEndsWithDone) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(0)};
  p.failAllocationAt = 0;
  Worker(8, 5).Execute(p);
  EXPECT_EQ(p.Messages(), (std::vector<Posted>{Countdown(0), Pass(0), Done()}));
  EXPECT_EQ(p.yields, 0u);
}

TEST(TFreeThread, AllocationFailureInALaterPass) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(0)};
  p.failAllocationAt = 2;
  Worker(2, 5).Execute(p);
  EXPECT_EQ(p.Messages(), (std::vector<Posted>{Countdown(0), Pass(0), Pass(1), Pass(2), Done()}));
  EXPECT_EQ(p.touchedBytes, MB(4));
}

TEST(TFreeThread, AmountsBeyondTheBlockLimitNeverOverflow) {
  EXPECT_EQ(Worker(2047, 1).BlockMB(), 2047);
  EXPECT_EQ(Worker(2048, 1).BlockMB(), 2047);
  EXPECT_EQ(Worker(65535, 1).BlockMB(), 2047);
  EXPECT_EQ(Worker(2147483647, 1).BlockMB(), 2047);
  EXPECT_EQ(Worker(-5, 1).BlockMB(), 0);

  // a negative amount allocates nothing and still ends properly
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(0)};
  Worker(-5, 3).Execute(p);
  EXPECT_EQ(p.Messages(), (std::vector<Posted>{Countdown(0), Pass(0), Done()}));
  EXPECT_EQ(p.allocations, 0);
}

TFreeThread IdleWorker(std::int32_t percent, std::int32_t seconds, bool freeIfNoIdle) {
  TFreeThread w = Worker(1, 1);
  w.IdleDetect = true;
  w.IdlePercent = percent;
  w.IdleSeconds = seconds;
  w.FreeIfNoIdle = freeIfNoIdle;
  return w;
}

TEST(TFreeThread, NoIdleFoundAndNoFreeSkipsThePasses) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(100)};
  p.usage.samples = {25, 30, 99, 100, 26};  // never strictly below 25
  IdleWorker(25, 5, false).Execute(p);
  EXPECT_EQ(p.Messages(),
            (std::vector<Posted>{Countdown(0), Idle(1), Idle(2), Idle(3), Idle(4), Idle(5), Idle(6), Idle(0), Done()}));
  EXPECT_EQ(p.usage.starts, 1);
  EXPECT_EQ(p.usage.stops, 1);
  EXPECT_EQ(p.nowMs, 5000u);
  EXPECT_EQ(p.allocations, 0);
}

TEST(TFreeThread, NoIdleFoundButFreeAnyway) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(100)};
  IdleWorker(25, 2, true).Execute(p);
  EXPECT_EQ(p.Messages(), (std::vector<Posted>{Countdown(0), Idle(1), Idle(2), Idle(3), Idle(0), Pass(0), Done()}));
}

TEST(TFreeThread, FirstIdleSampleStopsDetection) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(100)};
  p.usage.samples = {24};
  IdleWorker(25, 60, false).Execute(p);
  EXPECT_EQ(p.Messages(), (std::vector<Posted>{Countdown(0), Idle(1), Idle(2), Idle(0), Pass(0), Done()}));
  EXPECT_EQ(p.usage.reads, 1);
  EXPECT_EQ(p.nowMs, 1000u);
}

TEST(TFreeThread, IdleAfterSomeBusySamples) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(100)};
  p.usage.samples = {90, 50, 3};
  IdleWorker(10, 60, false).Execute(p);
  EXPECT_EQ(p.Messages(),
            (std::vector<Posted>{Countdown(0), Idle(1), Idle(2), Idle(3), Idle(4), Idle(0), Pass(0), Done()}));
}

TEST(TFreeThread, ZeroIdleSecondsTakesNoSample) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(100)};
  IdleWorker(25, 0, false).Execute(p);
  EXPECT_EQ(p.Messages(), (std::vector<Posted>{Countdown(0), Idle(1), Idle(0), Done()}));
  EXPECT_EQ(p.usage.reads, 0);
}

}  // namespace
}  // namespace rsw::test

namespace rsw::test {
namespace {

TEST(ConfigureIdle, ModeChoosesTheProfile) {
  const IdleProfile soft{30, 60, false};
  const IdleProfile hard{20, 5, true};
  TFreeThread w;
  ConfigureIdle(w, 1, soft, hard);
  EXPECT_TRUE(w.IdleDetect);
  EXPECT_EQ(w.IdlePercent, 30);
  EXPECT_EQ(w.IdleSeconds, 60);
  EXPECT_FALSE(w.FreeIfNoIdle);
  ConfigureIdle(w, 2, soft, hard);
  EXPECT_TRUE(w.IdleDetect);
  EXPECT_EQ(w.IdlePercent, 20);
  EXPECT_EQ(w.IdleSeconds, 5);
  EXPECT_TRUE(w.FreeIfNoIdle);
  for (std::int32_t other : {0, 3, -1, 65536}) {
    ConfigureIdle(w, other, soft, hard);
    EXPECT_FALSE(w.IdleDetect) << other;
  }
}

}  // namespace
}  // namespace rsw::test
