#include <gtest/gtest.h>

#include "engine/IdleProfile.h"
#include "engine/uProcessorTime.h"
#include "engine/uWinPerf.h"
#include "native/FakeFreeUpPlatform.h"
#include "native/PerfDataBuilder.h"
#include "shell/MemoryRegistry.h"
#include "shell/Settings.h"

namespace rsw::test {
namespace {

constexpr std::uint32_t kOtherType = 0x10410400;

std::vector<std::uint8_t> SystemBlock(std::int64_t idle, const PerfTime& time,
                                      std::uint32_t type = PERF_100NSEC_TIMER_INV) {
  return PerfDataBuilder::Build({{230, 5, {{10, kOtherType, 1}}},  // Process object with instances
                                 {2, -1, {{250, kOtherType, 7}, {240, type, idle}}}},
                                time);
}

TEST(FindProcessorTimeCounter, FindsTheSystemObjectsCounterAndTime) {
  const auto counter = FindProcessorTimeCounter(SystemBlock(123456789, {2000, 1, 1, 12, 0, 0, 0}));
  ASSERT_TRUE(counter);
  EXPECT_EQ(counter->raw, 123456789);
  EXPECT_EQ(counter->counterType, PERF_100NSEC_TIMER_INV);
  EXPECT_DOUBLE_EQ(counter->time, 36526.5);
}

TEST(FindProcessorTimeCounter, SearchRules) {
  const PerfTime t;
  // a System object with instances is passed over; the next one without is searched
  EXPECT_TRUE(FindProcessorTimeCounter(PerfDataBuilder::Build(
      {{2, 3, {{240, PERF_100NSEC_TIMER_INV, 1}}}, {2, 0, {{240, PERF_100NSEC_TIMER_INV, 2}}}}, t)));
  EXPECT_EQ(FindProcessorTimeCounter(
                PerfDataBuilder::Build(
                    {{2, 3, {{240, PERF_100NSEC_TIMER_INV, 1}}}, {2, 0, {{240, PERF_100NSEC_TIMER_INV, 2}}}}, t))
                ->raw,
            2);
  // the first System object ends the search, found or not
  EXPECT_FALSE(FindProcessorTimeCounter(
      PerfDataBuilder::Build({{2, -1, {{250, kOtherType, 1}}}, {2, -1, {{240, PERF_100NSEC_TIMER_INV, 2}}}}, t)));
  // no objects at all, as Wine answers
  EXPECT_FALSE(FindProcessorTimeCounter(PerfDataBuilder::Build({}, t)));
  // an impossible time stamp is no reading
  EXPECT_FALSE(FindProcessorTimeCounter(SystemBlock(1, {2026, 13, 1, 0, 0, 0, 0})));
}

TEST(FindProcessorTimeCounter, EveryTruncationIsNotFoundAndStaysInside) {
  const auto full = SystemBlock(42, PerfTime{});
  ASSERT_TRUE(FindProcessorTimeCounter(full));
  for (std::size_t size = 0; size < full.size(); ++size) {
    // a copy of exactly that size, so the sanitizer sees any read past it
    const std::vector<std::uint8_t> part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
    // the block's own length is the full one, so no shorter copy holds a whole block
    EXPECT_FALSE(FindProcessorTimeCounter(part)) << size;
  }
  EXPECT_FALSE(FindProcessorTimeCounter(std::vector<std::uint8_t>(full.begin(), full.begin() + 60)));
}

struct Damage {
  const char* what;
  std::size_t at;  // offset of a 32-bit field, relative to the second object for object fields
  bool inObject;
  std::uint32_t value;
};

class DamagedBlockTest : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedBlockTest, IsNotFound) {
  auto data = SystemBlock(42, PerfTime{});
  const std::size_t secondObject =
      PerfDataBuilder::kBlockHeader + PerfDataBuilder::kObjectHeader + PerfDataBuilder::kCounterDefinition + 16;
  const std::size_t at = GetParam().inObject ? secondObject + GetParam().at : GetParam().at;
  PerfDataBuilder::Put32(data, at, GetParam().value);
  EXPECT_FALSE(FindProcessorTimeCounter(data)) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedBlockTest,
    ::testing::Values(Damage{"header length far outside", 24, false, 0xFFFFFFF0u},
                      Damage{"header length just outside", 24, false, 100000},
                      Damage{"first object's length zero", PerfDataBuilder::kBlockHeader, false, 0},
                      Damage{"first object's length outside", PerfDataBuilder::kBlockHeader, false, 0xFFFFFFFFu},
                      Damage{"object header length outside", 8, true, 0x7FFFFFFF},
                      Damage{"no counters in the System object", 32, true, 0},
                      Damage{"definition length outside", 4, true, 0xFFFFFFF8u},
                      Damage{"first counter length zero", PerfDataBuilder::kObjectHeader, true, 0},
                      Damage{"counter offset outside", PerfDataBuilder::kObjectHeader + 40 + 36, true, 0xFFFFFFFFu},
                      Damage{"counter offset at the end", PerfDataBuilder::kObjectHeader + 40 + 36, true, 100}),
    [](const auto& tpi) {
      std::string name = tpi.param.what;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

TEST(FindProcessorTimeCounter, ManyCountersDoNotRunPastTheObject) {
  auto data = PerfDataBuilder::Build({{2, -1, {{250, kOtherType, 1}}}}, PerfTime{});
  PerfDataBuilder::Put32(data, PerfDataBuilder::kBlockHeader + 32, 0xFFFFFFFFu);
  EXPECT_FALSE(FindProcessorTimeCounter(data));
}

TEST(FindProcessorTimeCounter, ManyObjectsDoNotRunPastTheBlock) {
  auto data = SystemBlock(42, PerfTime{});
  PerfDataBuilder::Put32(data, 28, 0xFFFFFFFFu);  // claims four billion objects
  EXPECT_TRUE(FindProcessorTimeCounter(data));    // the System object comes second, before the end
  auto noSystem = PerfDataBuilder::Build({{230, 5, {{10, kOtherType, 1}}}}, PerfTime{});
  PerfDataBuilder::Put32(noSystem, 28, 0xFFFFFFFFu);
  EXPECT_FALSE(FindProcessorTimeCounter(noSystem));
}

TEST(EncodeDateTime, CountsDaysFromTheEpoch) {
  EXPECT_DOUBLE_EQ(*EncodeDateTime(1899, 12, 30, 0, 0, 0, 0), 0.0);
  EXPECT_DOUBLE_EQ(*EncodeDateTime(1900, 1, 1, 0, 0, 0, 0), 2.0);
  EXPECT_DOUBLE_EQ(*EncodeDateTime(2000, 1, 1, 18, 0, 0, 0), 36526.75);
  EXPECT_DOUBLE_EQ(*EncodeDateTime(2000, 3, 1, 0, 0, 0, 0), 36586.0);  // 2000 is a leap year
  EXPECT_NEAR(*EncodeDateTime(2026, 12, 10, 0, 0, 1, 500) - *EncodeDateTime(2026, 12, 10, 0, 0, 0, 0), 1.5 / 86400.0,
              1e-12);
  EXPECT_FALSE(EncodeDateTime(2026, 2, 29, 0, 0, 0, 0));
  EXPECT_FALSE(EncodeDateTime(1900, 2, 29, 0, 0, 0, 0));
  EXPECT_TRUE(EncodeDateTime(2024, 2, 29, 0, 0, 0, 0));
  EXPECT_FALSE(EncodeDateTime(2026, 1, 1, 24, 0, 0, 0));
  EXPECT_FALSE(EncodeDateTime(0, 1, 1, 0, 0, 0, 0));
  EXPECT_FALSE(EncodeDateTime(2026, 1, 1, 0, 0, 0, 1000));
}

ProcessorTimeCounter Reading(std::int64_t raw, double seconds, std::uint32_t type = PERF_100NSEC_TIMER_INV) {
  return {raw, type, 46000.0 + seconds / 86400.0};
}

TEST(UsageFromCounter, IdleShareOfTheElapsedTime) {
  PerfBaseline baseline{0.0, Reading(0, 0).time};
  // 8,000,000 units of idle in one second: idle 80, usage 20
  EXPECT_EQ(UsageFromCounter(baseline, Reading(8000000, 1)), 20);
  EXPECT_DOUBLE_EQ(baseline.LastIdleCounter, 8000000.0);
  // fully idle, fully busy
  EXPECT_EQ(UsageFromCounter(baseline, Reading(18000000, 2)), 0);
  EXPECT_EQ(UsageFromCounter(baseline, Reading(18000000, 3)), 100);
  // not limited to 0..100: more idle than time (two processors counted)
  EXPECT_EQ(UsageFromCounter(baseline, Reading(38000000, 4)), -100);
  // halves go to the even neighbour: 12.5 idle -> 12, 13.5 -> 14
  EXPECT_EQ(UsageFromCounter(baseline, Reading(38000000 + 1250000, 5)), 88);
  EXPECT_EQ(UsageFromCounter(baseline, Reading(38000000 + 1250000 + 1350000, 6)), 86);
}

TEST(UsageFromCounter, SameTimeStampIsBusyButMovesTheBaseline) {
  PerfBaseline baseline{0.0, Reading(0, 10).time};
  EXPECT_EQ(UsageFromCounter(baseline, Reading(5000000, 10)), 100);
  EXPECT_DOUBLE_EQ(baseline.LastIdleCounter, 5000000.0);
}

TEST(UsageFromCounter, OtherCounterTypeIs99AndKeepsTheBaseline) {
  PerfBaseline baseline{7.0, 1.0};
  EXPECT_EQ(UsageFromCounter(baseline, Reading(8000000, 1, kOtherType)), 99);
  EXPECT_DOUBLE_EQ(baseline.LastIdleCounter, 7.0);
  EXPECT_DOUBLE_EQ(baseline.LastSampleTime, 1.0);
}

TEST(UsageFromCounter, ClockSetBackIsBusy) {
  PerfBaseline baseline{0.0, Reading(0, 100).time};
  EXPECT_EQ(UsageFromCounter(baseline, Reading(1000, 50)), 100);
  EXPECT_DOUBLE_EQ(baseline.LastSampleTime, Reading(0, 50).time);
}

TEST(UsageFromCounter, HugeJumpsStayInRange) {
  PerfBaseline baseline{0.0, Reading(0, 0).time};
  EXPECT_EQ(UsageFromCounter(baseline, Reading(std::numeric_limits<std::int64_t>::min(), 0.001)), 100);
  // a gap of more than six hours does not wrap around
  PerfBaseline later{0.0, Reading(0, 0).time};
  EXPECT_EQ(UsageFromCounter(later, Reading(7LL * 3600 * 10000000 / 2, 7 * 3600)), 50);
}

TEST(UsageFromSystemTimes, IdleShareOfAllProcessorTime) {
  // kernel time includes idle time
  EXPECT_EQ(UsageFromSystemTimes({100, 200, 50}, {180, 260, 90}), 20);
  EXPECT_EQ(UsageFromSystemTimes({0, 0, 0}, {1000, 1000, 0}), 0);
  EXPECT_EQ(UsageFromSystemTimes({0, 0, 0}, {0, 500, 500}), 100);
  EXPECT_EQ(UsageFromSystemTimes({0, 0, 0}, {125, 1000, 0}), 88);   // 12.5 idle rounds to 12
  EXPECT_EQ(UsageFromSystemTimes({5, 5, 5}, {5, 5, 5}), 100);       // no time passed
  EXPECT_EQ(UsageFromSystemTimes({10, 10, 10}, {5, 20, 20}), 100);  // readings out of order
  EXPECT_EQ(UsageFromSystemTimes({0, 0, 0}, {900, 100, 0}), 100);   // more idle than time
}

class FakeSources {
 public:
  std::vector<std::optional<std::vector<std::uint8_t>>> blocks;  // one per read, last repeats
  std::vector<std::optional<SystemTimes>> times;
  double now = 46000.25;
  std::size_t blockReads = 0, timeReads = 0;

  NtProcessorUsage::Sources Sources() {
    return {[this] { return blocks[std::min(blockReads++, blocks.size() - 1)]; },
            [this] { return times[std::min(timeReads++, times.size() - 1)]; }, [this] { return now; }};
  }
};

TEST(NtProcessorUsage, CounterPathWhereTheCounterExists) {
  FakeSources fake;
  fake.blocks = {SystemBlock(0, {2026, 12, 10, 14, 0, 0, 0}), SystemBlock(8000000, {2026, 12, 10, 14, 0, 1, 0})};
  fake.times = {SystemTimes{0, 0, 0}};
  NtProcessorUsage usage(fake.Sources());
  usage.StartProcessorUsage();
  EXPECT_EQ(usage.ReadProcessorUsage(), 20);
  EXPECT_EQ(fake.timeReads, 1u) << "only the start's baseline";
}

TEST(NtProcessorUsage, NoCounterFallsBackToProcessorTimes) {
  FakeSources fake;
  fake.blocks = {PerfDataBuilder::Build({}, PerfTime{})};
  fake.times = {SystemTimes{0, 0, 0}, SystemTimes{900, 1000, 0}, SystemTimes{1000, 2000, 0}};
  NtProcessorUsage usage(fake.Sources());
  usage.StartProcessorUsage();
  EXPECT_EQ(usage.ReadProcessorUsage(), 10);
  EXPECT_EQ(usage.ReadProcessorUsage(), 90);
  EXPECT_EQ(fake.blockReads, 1u) << "the data is not asked again once it lacked the counter";
}

TEST(NtProcessorUsage, UnreadableDataStartsFromOneAtTheLocalTime) {
  FakeSources fake;
  fake.blocks = {std::nullopt};
  fake.times = {std::nullopt};
  NtProcessorUsage usage(fake.Sources());
  usage.StartProcessorUsage();
  EXPECT_DOUBLE_EQ(usage.Baseline().LastIdleCounter, 1.0);
  EXPECT_DOUBLE_EQ(usage.Baseline().LastSampleTime, 46000.25);
  // neither source answers: busy
  EXPECT_EQ(usage.ReadProcessorUsage(), 100);
}

TEST(NtProcessorUsage, OtherCounterTypeIs99OnEverySample) {
  FakeSources fake;
  fake.blocks = {SystemBlock(5, PerfTime{}, kOtherType)};
  fake.times = {SystemTimes{0, 0, 0}, SystemTimes{1000, 1000, 0}};
  NtProcessorUsage usage(fake.Sources());
  usage.StartProcessorUsage();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(usage.ReadProcessorUsage(), 99);
}

TEST(DynDataProcessorUsage, ReadsTheWindows9xStatistic) {
  MemoryRegistry memory;
  uRegistry registry(memory);
  DynDataProcessorUsage usage(registry);
  EXPECT_EQ(usage.ReadProcessorUsage(), 100) << "no statistic: busy";
  const auto key = memory.Create(RootKey::DynData, "PerfStats\\StatData");
  const std::uint8_t binary[4] = {37, 0, 0, 0};
  key->Set("KERNEL\\CPUUsage", static_cast<std::uint32_t>(RegType::Binary), binary);
  usage.StartProcessorUsage();
  EXPECT_EQ(usage.ReadProcessorUsage(), 37);
  registry.WriteRegInteger("HKEY_DYN_DATA\\PerfStats\\StatData", "KERNEL\\CPUUsage", 4);
  EXPECT_EQ(usage.ReadProcessorUsage(), 4);
  usage.StopProcessorUsage();
  EXPECT_EQ(memory.OpenKeys(), 1) << "only the test's own key";
}

// The idle profiles as the Idle page starts them, from the settings' defaults.
IdleProfile DefaultProfile(SettingId percent, SettingId seconds, SettingId action) {
  const Settings defaults(-1);
  return {defaults[percent], defaults[seconds], defaults[action] == 0};
}
const IdleProfile kSoftDefaults = DefaultProfile(SettingId::SoftPercent, SettingId::SoftSeconds, SettingId::SoftAction);
const IdleProfile kHardDefaults = DefaultProfile(SettingId::HardPercent, SettingId::HardSeconds, SettingId::HardAction);

// The idle profiles as the worker runs them on a machine that is never idle.
TEST(IdleProfiles, SoftDefaultsOnABusyMachineGiveUpWithoutFreeing) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(100)};
  TFreeThread worker;
  worker.AmountMB = 4;
  worker.MaxPasses = 3;
  ConfigureIdle(worker, 1, kSoftDefaults, kHardDefaults);
  worker.Execute(p);
  EXPECT_EQ(p.usage.reads, 60);
  EXPECT_EQ(p.allocations, 0);
  EXPECT_EQ(p.nowMs, 60000u);
  EXPECT_EQ(p.posts.back().message, WM_FREEUP_DONE);
}

TEST(IdleProfiles, HardDefaultsOnABusyMachineFreeAfterFiveSamples) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(100)};
  TFreeThread worker;
  worker.AmountMB = 4;
  worker.MaxPasses = 3;
  ConfigureIdle(worker, 2, kSoftDefaults, kHardDefaults);
  worker.Execute(p);
  EXPECT_EQ(p.usage.reads, 5);
  EXPECT_EQ(p.allocations, 1);
}

TEST(IdleProfiles, UsageEqualToThePercentIsNotIdle) {
  FakeFreeUpPlatform p;
  p.freeBytes = {MB(100)};
  p.usage.samples = {25, 25, 24};
  TFreeThread worker;
  worker.AmountMB = 4;
  ConfigureIdle(worker, 2, kSoftDefaults, {25, 5, false});
  worker.Execute(p);
  EXPECT_EQ(p.usage.reads, 3);
  EXPECT_EQ(p.allocations, 1);
}

}  // namespace
}  // namespace rsw::test
