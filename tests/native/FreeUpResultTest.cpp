#include <gtest/gtest.h>

#include "engine/FreeUpResult.h"

namespace rsw {
namespace {

constexpr std::uint64_t MB = 1048576;

// Bytes for a megabyte figure given to thousandths.
constexpr std::uint64_t Bytes(std::uint64_t thousandths) { return thousandths * MB / 1000; }

FreeUpResult Result(FreeUpKind kind, std::uint64_t before, std::uint64_t after, std::uint64_t ms,
                    bool ranPasses = true) {
  FreeUpResult result;
  result.kind = kind;
  result.ranPasses = ranPasses;
  result.freeBefore = before;
  result.freeAfter = after;
  result.milliseconds = ms;
  result.endedAt = {2026, 12, 11, 14, 5, 30};
  return result;
}

struct TextCase {
  const char* name;
  FreeUpResult result;
  const char* balloon;
  const char* line;
};

class ResultTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ResultTextTest, BalloonAndPageLine) {
  const TextCase& c = GetParam();
  EXPECT_EQ(ResultBalloonText(c.result, "."), c.balloon);
  EXPECT_EQ(ResultLine(c.result, "14:05", "."), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Figures, ResultTextTest,
    ::testing::Values(
        TextCase{"Gain", Result(FreeUpKind::Tray, Bytes(3308100), Bytes(4120500), 3200),
                 "812.4 MB more free memory in 3.2 s. Free now: 4120.5 MB.",
                 "Last: +812.4 MB in 3.2 s at 14:05 (tray)"},
        // the tip's patterns: two decimals from 10 MB, three below
        TextCase{"GainUnder100", Result(FreeUpKind::Window, 500 * MB, 500 * MB + Bytes(45678), 960),
                 "45.68 MB more free memory in 1.0 s. Free now: 545.7 MB.",
                 "Last: +45.7 MB in 1.0 s at 14:05 (window)"},
        TextCase{"GainUnder10", Result(FreeUpKind::Window, 500 * MB, 500 * MB + Bytes(5123), 49),
                 "5.123 MB more free memory in 0.0 s. Free now: 505.1 MB.", "Last: +5.1 MB in 0.0 s at 14:05 (window)"},
        TextCase{"Nothing", Result(FreeUpKind::Window, 700 * MB, 700 * MB, 1000),
                 "No memory gained. Free now: 700.0 MB.", "Last: 0.0 MB in 1.0 s at 14:05 (window)"},
        // less than half a thousandth of a megabyte shows as nothing in the tip's format
        TextCase{"TooLittleToShow", Result(FreeUpKind::Tray, 700 * MB, 700 * MB + 524, 1000),
                 "No memory gained. Free now: 700.0 MB.", "Last: 0.0 MB in 1.0 s at 14:05 (tray)"},
        TextCase{"SmallestShown", Result(FreeUpKind::Tray, 700 * MB, 700 * MB + 525, 1000),
                 "0.001 MB more free memory in 1.0 s. Free now: 700.0 MB.", "Last: 0.0 MB in 1.0 s at 14:05 (tray)"},
        TextCase{"Loss", Result(FreeUpKind::Regular, 1000 * MB, 1000 * MB - Bytes(3100), 1040),
                 "No memory gained. Free now: 996.9 MB.", "Last: -3.1 MB in 1.0 s at 14:05 (regular)"},
        TextCase{"LossRoundingToNothing", Result(FreeUpKind::Critical, 1000 * MB, 1000 * MB - 1000, 20),
                 "No memory gained. Free now: 1000.0 MB.", "Last: 0.0 MB in 0.0 s at 14:05 (critical)"},
        // beyond what a signed 32-bit count holds, as on every machine today
        TextCase{"Above2GB", Result(FreeUpKind::Tray, 2 * 1024 * MB, 6 * 1024 * MB + Bytes(500), 12345),
                 "4096.5 MB more free memory in 12.3 s. Free now: 6144.5 MB.",
                 "Last: +4096.5 MB in 12.3 s at 14:05 (tray)"},
        TextCase{"LossAbove2GB", Result(FreeUpKind::SecondStart, 24ull * 1024 * MB, 3ull * 1024 * MB, 65000),
                 "No memory gained. Free now: 3072.0 MB.", "Last: -21504.0 MB in 65.0 s at 14:05 (second start)"},
        TextCase{"NoPass", Result(FreeUpKind::Critical, 0, 4120 * MB + Bytes(500), 0, false),
                 "No idle moment found. Free now: 4120.5 MB.", "Last: no idle moment at 14:05 (critical)"},
        // the figures of a free-up without a pass mean nothing
        TextCase{"NoPassIgnoresFigures", Result(FreeUpKind::Regular, 100 * MB, 900 * MB, 5000, false),
                 "No idle moment found. Free now: 900.0 MB.", "Last: no idle moment at 14:05 (regular)"},
        TextCase{"TimeRoundsHalfUp", Result(FreeUpKind::Startup, 100 * MB, 200 * MB, 1250),
                 "100.0 MB more free memory in 1.3 s. Free now: 200.0 MB.",
                 "Last: +100.0 MB in 1.3 s at 14:05 (start-up)"},
        TextCase{"ExtremeFigures", Result(FreeUpKind::CommandLine, 0, ~std::uint64_t{0}, ~std::uint64_t{0}),
                 "8796093022208.0 MB more free memory in 18446744073709551.6 s. Free now: 17592186044416.0 MB.",
                 "Last: +8796093022208.0 MB in 18446744073709551.6 s at 14:05 (command line)"}),
    [](const auto& tpi) { return std::string(tpi.param.name); });

TEST(ResultText, EachKindHasItsWord) {
  const std::pair<FreeUpKind, const char*> kinds[] = {{FreeUpKind::Window, "window"},
                                                      {FreeUpKind::Tray, "tray"},
                                                      {FreeUpKind::SecondStart, "second start"},
                                                      {FreeUpKind::CommandLine, "command line"},
                                                      {FreeUpKind::Startup, "start-up"},
                                                      {FreeUpKind::Regular, "regular"},
                                                      {FreeUpKind::Critical, "critical"},
                                                      {FreeUpKind::FreeAndRun, "Free and Run"}};
  for (const auto& [kind, word] : kinds) {
    EXPECT_EQ(KindText(kind), word);
    const FreeUpResult result = Result(kind, 100 * MB, 300 * MB, 2000);
    EXPECT_EQ(ResultLine(result, "2:05 PM", "."), std::string("Last: +200.0 MB in 2.0 s at 2:05 PM (") + word + ")");
  }
}

TEST(ResultText, UsesTheLocaleSeparator) {
  const FreeUpResult result = Result(FreeUpKind::Tray, Bytes(3308100), Bytes(4120500), 3200);
  EXPECT_EQ(ResultBalloonText(result, ","), "812,4 MB more free memory in 3,2 s. Free now: 4120,5 MB.");
  EXPECT_EQ(ResultLine(result, "14.05", ","), "Last: +812,4 MB in 3,2 s at 14.05 (tray)");
  EXPECT_EQ(ResultBalloonText(Result(FreeUpKind::Tray, MB, MB, 10), ","), "No memory gained. Free now: 1,000 MB.");
}

TEST(ResultBalloon, OnlyForFreeUpsAskedInTheWindowOrTheTray) {
  struct Case {
    FreeUpKind kind;
    bool balloon;
  };
  const Case cases[] = {{FreeUpKind::Window, true},       {FreeUpKind::Tray, true},
                        {FreeUpKind::SecondStart, false}, {FreeUpKind::CommandLine, false},
                        {FreeUpKind::Startup, false},     {FreeUpKind::Regular, false},
                        {FreeUpKind::Critical, false},    {FreeUpKind::FreeAndRun, false}};
  for (const Case& c : cases) {
    const int kind = static_cast<int>(c.kind);
    EXPECT_EQ(ShowsResultBalloon(c.kind, true, true), c.balloon) << kind;
    EXPECT_FALSE(ShowsResultBalloon(c.kind, false, true)) << kind << ": the setting off";
    EXPECT_FALSE(ShowsResultBalloon(c.kind, true, false)) << kind << ": no icon to carry it";
    EXPECT_FALSE(ShowsResultBalloon(c.kind, false, false)) << kind;
  }
}

TEST(FreeChange, SignedAndWithoutOverflow) {
  EXPECT_EQ(FreeChange(Result(FreeUpKind::Tray, 10, 25, 0)), 15);
  EXPECT_EQ(FreeChange(Result(FreeUpKind::Tray, 25, 10, 0)), -15);
  EXPECT_EQ(FreeChange(Result(FreeUpKind::Tray, 0, ~std::uint64_t{0}, 0)), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(FreeChange(Result(FreeUpKind::Tray, ~std::uint64_t{0}, 0, 0)), std::numeric_limits<std::int64_t>::min());
}

}  // namespace
}  // namespace rsw
