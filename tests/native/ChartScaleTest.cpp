#include <algorithm>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include "display/ChartScale.h"

namespace rsw {
namespace {

constexpr std::int64_t kMB = 1048576;
constexpr std::int64_t kGB = 1024 * kMB;
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();

ChartValues Filled(std::int64_t value) {
  ChartValues values;
  values.fill(value);
  return values;
}

// ---- history ----

TEST(PushValue, TheTwoHundredFirstValueDropsTheOldest) {
  ChartValues values{};
  for (std::int64_t v = 1; v <= 200; ++v) PushValue(values, v);
  EXPECT_EQ(values.front(), 1);
  EXPECT_EQ(values.back(), 200);
  PushValue(values, 201);
  EXPECT_EQ(values.front(), 2);
  EXPECT_EQ(values[198], 200);
  EXPECT_EQ(values.back(), 201);
}

TEST(PushValue, UntilFullTheOlderEntriesStayZero) {
  ChartValues values{};
  PushValue(values, 7);
  PushValue(values, 9);
  EXPECT_EQ(values[197], 0);
  EXPECT_EQ(values[198], 7);
  EXPECT_EQ(values[199], 9);
  EXPECT_EQ(values[0], 0);
}

struct ScaleTopCase {
  std::string name;
  ChartValues values;
  std::int64_t top;
};

void PrintTo(const ScaleTopCase& c, std::ostream* os) { *os << c.name; }

ChartValues WithOne(std::int64_t background, std::size_t index, std::int64_t value) {
  ChartValues values = Filled(background);
  values[index] = value;
  return values;
}

class ScaleTopTest : public ::testing::TestWithParam<ScaleTopCase> {};

TEST_P(ScaleTopTest, IsTheLargestValueAndNeverZero) { EXPECT_EQ(ScaleTop(GetParam().values), GetParam().top); }

INSTANTIATE_TEST_SUITE_P(
    Table, ScaleTopTest,
    ::testing::Values(ScaleTopCase{"Empty", Filled(0), 1}, ScaleTopCase{"AllNegative", Filled(-5), 1},
                      ScaleTopCase{"NegativeWithOneZero", WithOne(-5, 3, 0), 1},
                      ScaleTopCase{"OldestIsLargest", WithOne(10, 0, 99), 99},
                      ScaleTopCase{"NewestIsLargest", WithOne(10, 199, 99), 99},
                      ScaleTopCase{"One", WithOne(0, 50, 1), 1},
                      ScaleTopCase{"AboveFourGigabytes", WithOne(kMB, 120, 5 * kGB + 3), 5 * kGB + 3},
                      ScaleTopCase{"Largest64Bit", WithOne(kInt64Min, 7, kInt64Max), kInt64Max}),
    [](const auto& tpi) { return tpi.param.name; });

TEST(ScaleTop, ShrinksAgainOnceTheLargeValueScrollsOut) {
  ChartValues values{};
  PushValue(values, 64 * kMB);
  for (int i = 0; i < 199; ++i) PushValue(values, 3 * kMB);
  EXPECT_EQ(ScaleTop(values), 64 * kMB);
  PushValue(values, 3 * kMB);
  EXPECT_EQ(ScaleTop(values), 3 * kMB);
}

// ---- the main window's scale top ----

struct MaxYCase {
  std::int64_t incoming;
  std::int64_t top;
};

void PrintTo(const MaxYCase& c, std::ostream* os) { *os << c.incoming; }

class MaxYTest : public ::testing::TestWithParam<MaxYCase> {};

TEST_P(MaxYTest, RoundsUpToOneTwoOrAMultipleOfTwoMegabytes) {
  EXPECT_EQ(PerformanceChart1GetMaxY(GetParam().incoming), GetParam().top) << GetParam().incoming;
}

INSTANTIATE_TEST_SUITE_P(Table, MaxYTest,
                         ::testing::Values(MaxYCase{kInt64Min, 1048576}, MaxYCase{-1, 1048576}, MaxYCase{0, 1048576},
                                           MaxYCase{1, 1048576}, MaxYCase{1048576, 1048576}, MaxYCase{1048577, 2097152},
                                           MaxYCase{1572864, 2097152}, MaxYCase{2097152, 2097152},
                                           MaxYCase{2097153, 4194304}, MaxYCase{4194304, 4194304},
                                           MaxYCase{4194305, 6291456}, MaxYCase{31457280, 31457280},
                                           MaxYCase{31457281, 33554432},
                                           // the largest 32-bit value rounds up past 2 GB instead of wrapping
                                           MaxYCase{2147483647, 2147483648}, MaxYCase{2147483648, 2147483648},
                                           MaxYCase{4 * kGB, 4 * kGB}, MaxYCase{4 * kGB + 1, 4 * kGB + 2 * kMB},
                                           MaxYCase{5000000000, 5001707520}, MaxYCase{24 * kGB - 1, 24 * kGB},
                                           // nothing above the largest multiple of 2 MB fits in 64 bits
                                           MaxYCase{kInt64Max - 2 * kMB + 1, kInt64Max - 2 * kMB + 1},
                                           MaxYCase{kInt64Max, kInt64Max - 2 * kMB + 1}));

// ---- the main window's labels ----

struct DisplayCase {
  std::int64_t y;
  std::string display;
};

void PrintTo(const DisplayCase& c, std::ostream* os) { *os << c.y; }

class YDisplayTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(YDisplayTest, FirstMatchingThresholdWins) {
  EXPECT_EQ(PerformanceChart1GetYDisplay(GetParam().y), GetParam().display) << GetParam().y;
}

INSTANTIATE_TEST_SUITE_P(
    Table, YDisplayTest,
    ::testing::Values(DisplayCase{kInt64Max, "8796093022207 MB"}, DisplayCase{6 * kGB, "6144 MB"},
                      DisplayCase{2147483648, "2048 MB"}, DisplayCase{3145728, "3 MB"},
                      DisplayCase{3145727, "2 MB"},  // truncated, not rounded
                      DisplayCase{2097152, "2 MB"}, DisplayCase{2097151, "1.5 MB"}, DisplayCase{1572864, "1.5 MB"},
                      DisplayCase{1560576, "1.5 MB"}, DisplayCase{1560575, "1 MB"}, DisplayCase{1048576, "1 MB"},
                      DisplayCase{1048575, "0.75 MB"}, DisplayCase{786432, "0.75 MB"}, DisplayCase{768000, "0.75 MB"},
                      DisplayCase{767999, "0.5 MB"}, DisplayCase{524288, "0.5 MB"}, DisplayCase{512000, "0.5 MB"},
                      DisplayCase{511999, "0.25 MB"}, DisplayCase{262144, "0.25 MB"}, DisplayCase{256000, "0.25 MB"},
                      DisplayCase{255999, "0 MB"}, DisplayCase{1, "0 MB"}, DisplayCase{0, "0 MB"},
                      DisplayCase{-1, "0 MB"}, DisplayCase{kInt64Min, "0 MB"}));

// ---- the four labels as the main window's chart shows them ----

struct LabelCase {
  std::string name;
  ChartValues values;
  std::array<std::string, 4> topToBottom;
};

void PrintTo(const LabelCase& c, std::ostream* os) { *os << c.name; }

std::array<std::string, 4> LabelsTopToBottom(const ChartValues& values) {
  const std::int64_t top = PerformanceChart1GetMaxY(ScaleTop(values));
  return {PerformanceChart1GetYDisplay(top), PerformanceChart1GetYDisplay(ScaleLabelValue(top, 3)),
          PerformanceChart1GetYDisplay(ScaleLabelValue(top, 2)), PerformanceChart1GetYDisplay(ScaleLabelValue(top, 1))};
}

class ChartLabelsTest : public ::testing::TestWithParam<LabelCase> {};

TEST_P(ChartLabelsTest, ReadFromTopToBottom) {
  EXPECT_EQ(LabelsTopToBottom(GetParam().values), GetParam().topToBottom);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChartLabelsTest,
    ::testing::Values(
        LabelCase{"Empty", Filled(0), {"1 MB", "0.75 MB", "0.5 MB", "0.25 MB"}},
        LabelCase{"ThirtyMegabytes", Filled(31457280), {"30 MB", "22 MB", "15 MB", "7 MB"}},
        LabelCase{"OneAndAHalfMegabytes", Filled(1572864), {"2 MB", "1.5 MB", "1 MB", "0.5 MB"}},
        LabelCase{"HalfAMegabyte", Filled(524288), {"1 MB", "0.75 MB", "0.5 MB", "0.25 MB"}},
        LabelCase{"NegativeOnly", Filled(-kMB), {"1 MB", "0.75 MB", "0.5 MB", "0.25 MB"}},
        LabelCase{"ThreeGigabytes", Filled(3 * kGB), {"3072 MB", "2304 MB", "1536 MB", "768 MB"}},
        // 2 GB + 1 byte scales to 2,050 MB; the quarter and three quarters fall on half megabytes
        LabelCase{"JustAboveTwoGigabytes", Filled(2147483649), {"2050 MB", "1537 MB", "1025 MB", "512 MB"}},
        LabelCase{
            "OneLargeReadingAmongSmall", WithOne(kMB, 42, 24 * kGB), {"24576 MB", "18432 MB", "12288 MB", "6144 MB"}}),
    [](const auto& tpi) { return tpi.param.name; });

// ---- scale lines ----

struct LineCase {
  std::int32_t height;
  std::array<std::int32_t, 3> rowsForLevels123;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << "height " << c.height; }

class ScaleLineYTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ScaleLineYTest, QuarterRowsTruncated) {
  for (int level = 1; level <= 3; ++level) {
    EXPECT_EQ(ScaleLineY(GetParam().height, level), GetParam().rowsForLevels123[static_cast<std::size_t>(level - 1)])
        << "height " << GetParam().height << " level " << level;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ScaleLineYTest,
                         ::testing::Values(LineCase{100, {75, 50, 25}}, LineCase{149, {111, 74, 37}},
                                           LineCase{3, {2, 1, 0}}, LineCase{1, {0, 0, 0}}, LineCase{0, {0, 0, 0}},
                                           LineCase{2147483647, {1610612735, 1073741823, 536870911}}));

struct LabelValueCase {
  std::int64_t top;
  int level;
  std::int64_t value;
};

void PrintTo(const LabelValueCase& c, std::ostream* os) { *os << c.top << " level " << c.level; }

class ScaleLabelValueTest : public ::testing::TestWithParam<LabelValueCase> {};

TEST_P(ScaleLabelValueTest, QuarterStepsRoundedHalfToEven) {
  EXPECT_EQ(ScaleLabelValue(GetParam().top, GetParam().level), GetParam().value)
      << GetParam().top << " level " << GetParam().level;
}

INSTANTIATE_TEST_SUITE_P(Table, ScaleLabelValueTest,
                         ::testing::Values(LabelValueCase{1, 1, 0},    // 0.25
                                           LabelValueCase{1, 2, 0},    // 0.5 -> 0
                                           LabelValueCase{1, 3, 1},    // 0.75
                                           LabelValueCase{2, 1, 0},    // 0.5 -> 0
                                           LabelValueCase{6, 1, 2},    // 1.5 -> 2
                                           LabelValueCase{10, 1, 2},   // 2.5 -> 2
                                           LabelValueCase{14, 1, 4},   // 3.5 -> 4
                                           LabelValueCase{2, 3, 2},    // 1.5 -> 2
                                           LabelValueCase{10, 3, 8},   // 7.5 -> 8
                                           LabelValueCase{18, 3, 14},  // 13.5 -> 14
                                           LabelValueCase{22, 3, 16},  // 16.5 -> 16
                                           LabelValueCase{1048576, 3, 786432}, LabelValueCase{31457280, 1, 7864320},
                                           LabelValueCase{31457280, 2, 15728640}, LabelValueCase{31457280, 3, 23592960},
                                           LabelValueCase{2149580800, 3, 1612185600},
                                           LabelValueCase{std::int64_t{1} << 62, 3, 3LL << 60}));

TEST(ScaleLabelValue, LargestScaleDoesNotOverflow) {
  // exactly 6,917,529,027,641,081,855.25, which extended precision cannot hold to the last bit
  const std::int64_t threeQuarters = ScaleLabelValue(kInt64Max, 3);
  EXPECT_GE(threeQuarters, 6917529027641081854);
  EXPECT_LE(threeQuarters, 6917529027641081856);
}

// ---- the data polygon ----

TEST(DataPolygon, ClosesAlongTheBottomEdgeWithTheNewestValueOnTheRight) {
  ChartValues values{};
  for (int i = 0; i < 200; ++i) PushValue(values, i * 10);  // rising: 0 .. 1990
  const auto polygon = DataPolygon(values, 373, 149, 1990);
  ASSERT_TRUE(polygon);
  ASSERT_EQ(polygon->size(), 202u);
  EXPECT_EQ(polygon->front(), (ChartPoint{0, 149}));
  EXPECT_EQ(polygon->back(), (ChartPoint{373, 149}));
  EXPECT_EQ((*polygon)[1], (ChartPoint{0, 149}));    // oldest: 0 on the bottom edge at the left
  EXPECT_EQ((*polygon)[200], (ChartPoint{373, 0}));  // newest: the scale top on the top edge at the right
}

TEST(DataPolygon, TheNextValueMovesTheNewestToTheRightEdge) {
  ChartValues values = Filled(500);
  PushValue(values, 250);
  const auto polygon = DataPolygon(values, 200, 100, 1000);
  ASSERT_TRUE(polygon);
  EXPECT_EQ((*polygon)[200], (ChartPoint{200, 75}));
  EXPECT_EQ((*polygon)[199].y, 50);
}

struct ColumnCase {
  int index;
  std::int32_t x;
};

void PrintTo(const ColumnCase& c, std::ostream* os) { *os << "value " << c.index; }

class DataPolygonColumnTest : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(DataPolygonColumnTest, AChart373WideSpreadsTheValuesFromEdgeToEdge) {
  const auto polygon = DataPolygon(Filled(0), 373, 149, 1);
  ASSERT_TRUE(polygon);
  EXPECT_EQ((*polygon)[static_cast<std::size_t>(GetParam().index) + 1].x, GetParam().x) << GetParam().index;
}

// 373 / 199 = 1.8744 pixels per value
INSTANTIATE_TEST_SUITE_P(Table, DataPolygonColumnTest,
                         ::testing::Values(ColumnCase{0, 0}, ColumnCase{1, 2}, ColumnCase{2, 4}, ColumnCase{3, 6},
                                           ColumnCase{4, 7}, ColumnCase{8, 15}, ColumnCase{100, 187},
                                           ColumnCase{198, 371}, ColumnCase{199, 373}));

TEST(DataPolygon, StepsOfOneOrTwoPixelsWhen373Wide) {
  const auto polygon = DataPolygon(Filled(0), 373, 149, 1);
  ASSERT_TRUE(polygon);
  for (std::size_t i = 2; i <= 200; ++i) {
    const std::int32_t step = (*polygon)[i].x - (*polygon)[i - 1].x;
    EXPECT_TRUE(step == 1 || step == 2) << "vertex " << i << " step " << step;
  }
}

struct HeightCase {
  std::string name;
  std::int64_t value;
  std::int64_t top;
  std::int32_t height;
  std::int32_t y;
};

void PrintTo(const HeightCase& c, std::ostream* os) { *os << c.name; }

class DataPolygonHeightTest : public ::testing::TestWithParam<HeightCase> {};

TEST_P(DataPolygonHeightTest, ValueSitsAtItsShareOfTheHeight) {
  const HeightCase& c = GetParam();
  // the value both oldest and newest, so both ends of the curve are checked
  ChartValues values = Filled(0);
  values.front() = c.value;
  values.back() = c.value;
  const auto polygon = DataPolygon(values, 50, c.height, c.top);
  ASSERT_TRUE(polygon);
  EXPECT_EQ((*polygon)[1].y, c.y);
  EXPECT_EQ((*polygon)[200].y, c.y);
  EXPECT_EQ((*polygon)[100].y, c.height);  // a zero between them lies on the bottom edge
}

INSTANTIATE_TEST_SUITE_P(
    Table, DataPolygonHeightTest,
    ::testing::Values(HeightCase{"Zero", 0, 1000, 100, 100}, HeightCase{"Full", 1000, 1000, 100, 0},
                      HeightCase{"Half", 500, 1000, 100, 50}, HeightCase{"ThirtyPercent", 300, 1000, 100, 70},
                      HeightCase{"NearestFromBelow", 333, 1000, 149, 99},  // 49.617 -> 50
                      HeightCase{"NearestFromAbove", 337, 1000, 149, 99},  // 50.213 -> 50
                      HeightCase{"HalfToEvenDown", 1, 4, 10, 8},           // 2.5 -> 2
                      HeightCase{"HalfToEvenUp", 3, 4, 10, 2},             // 7.5 -> 8
                      HeightCase{"HalfOfOnePixel", 1, 2, 1, 1},            // 0.5 -> 0
                      HeightCase{"OneAndAHalfPixels", 3, 2, 1, -1},        // 1.5 -> 2
                      HeightCase{"NegativeBelowTheBottom", -500, 1000, 100, 150},
                      HeightCase{"NegativeHalfToEven", -1, 4, 10, 12},  // -2.5 -> -2
                      HeightCase{"AboveTheScaleAboveTheTop", 2000, 1000, 100, -100},
                      HeightCase{"SixOfTwelveGigabytes", 6 * kGB, 12 * kGB, 149, 75},   // 74.5 -> 74
                      HeightCase{"FiveOfTwelveGigabytes", 5 * kGB, 12 * kGB, 149, 87},  // 62.083 -> 62
                      HeightCase{"OneByteOfFourGigabytes", 1, 4 * kGB, 149, 149},       // 3.5e-8 -> 0
                      HeightCase{"FarAboveClamped", kInt64Max, 1, 100, -kChartCoordinateLimit},
                      HeightCase{"FarBelowClamped", kInt64Min, 1, 100, kChartCoordinateLimit}),
    [](const auto& tpi) { return tpi.param.name; });

TEST(DataPolygon, NoScaleTopBelowOne) {
  for (const std::int64_t top : {std::int64_t{0}, std::int64_t{-1}, kInt64Min}) {
    EXPECT_FALSE(DataPolygon(Filled(5), 100, 100, top)) << top;
  }
}

TEST(DataPolygon, EmptyClientAreaCollapsesToTheOrigin) {
  const auto polygon = DataPolygon(Filled(3), 0, 0, 3);
  ASSERT_TRUE(polygon);
  for (const ChartPoint& p : *polygon) EXPECT_EQ(p, (ChartPoint{0, 0}));
}

// ---- the free-ups' marks ----

std::vector<int> Indices(ChartMarks::Shown shown) {
  return std::vector<int>(shown.index.begin(), shown.index.begin() + shown.count);
}

TEST(ChartMarks, AMarkWaitsForItsValueThenScrollsWithItAndGoes) {
  ChartMarks marks;
  marks.MarkValue(11);  // the next after 10 values
  EXPECT_EQ(Indices(marks.ShownAfter(10)), std::vector<int>{}) << "its reading has not come yet";
  EXPECT_EQ(Indices(marks.ShownAfter(11)), std::vector<int>{199}) << "the newest value";
  EXPECT_EQ(Indices(marks.ShownAfter(12)), std::vector<int>{198});
  EXPECT_EQ(Indices(marks.ShownAfter(11 + 199)), std::vector<int>{0}) << "the oldest value";
  EXPECT_EQ(Indices(marks.ShownAfter(11 + 200)), std::vector<int>{}) << "scrolled out with its value";
  EXPECT_EQ(Indices(marks.ShownAfter(11 + 199)), std::vector<int>{}) << "and forgotten";
  EXPECT_FALSE(marks.Any());
}

TEST(ChartMarks, SeveralOldestFirstAndOneMarkPerValue) {
  ChartMarks marks;
  marks.MarkValue(1);
  marks.MarkValue(5);
  marks.MarkValue(5);  // two free-ups ended before the same reading
  marks.MarkValue(150);
  EXPECT_EQ(Indices(marks.ShownAfter(150)), (std::vector<int>{50, 54, 199}));
  EXPECT_EQ(Indices(marks.ShownAfter(203)), (std::vector<int>{1, 146})) << "the first scrolled out";
}

TEST(ChartMarks, AMarkOnEveryValueKeepsTheNewestHistory) {
  ChartMarks marks;
  for (std::uint64_t serial = 1; serial <= 1000; ++serial) marks.MarkValue(serial);
  const auto shown = Indices(marks.ShownAfter(1000));
  ASSERT_EQ(shown.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(shown[static_cast<std::size_t>(i)], i);
}

TEST(ChartMarks, NothingShownWithoutMarks) {
  ChartMarks marks;
  EXPECT_FALSE(marks.Any());
  EXPECT_EQ(marks.ShownAfter(0).count, 0);
  EXPECT_EQ(marks.ShownAfter(~std::uint64_t{0}).count, 0);
}

struct MarkCase {
  int index;
  std::int32_t width, height, size;
  ChartMarkShape shape;
};

class MarkShapeTest : public ::testing::TestWithParam<MarkCase> {};

TEST_P(MarkShapeTest, OnTheColumnOfItsValuesVertex) {
  const MarkCase& c = GetParam();
  const ChartMarkShape shape = MarkShape(c.index, c.width, c.height, c.size);
  EXPECT_EQ(shape.lineTop, c.shape.lineTop);
  EXPECT_EQ(shape.lineBottom, c.shape.lineBottom);
  EXPECT_EQ(shape.triangle, c.shape.triangle);
  // the same column as the data polygon's vertex of that value
  const auto polygon = DataPolygon(Filled(0), c.width, c.height, 1);
  ASSERT_TRUE(polygon);
  EXPECT_EQ(shape.lineTop.x, (*polygon)[static_cast<std::size_t>(std::clamp(c.index, 0, 199)) + 1].x);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MarkShapeTest,
    ::testing::Values(MarkCase{199, 373, 149, 4, {{373, 0}, {373, 149}, {{{369, 149}, {377, 149}, {373, 145}}}}},
                      MarkCase{0, 373, 149, 4, {{0, 0}, {0, 149}, {{{-4, 149}, {4, 149}, {0, 145}}}}},
                      // 373 / 199 * 100 = 187.44: rounded as the polygon rounds it
                      MarkCase{100, 373, 149, 8, {{187, 0}, {187, 149}, {{{179, 149}, {195, 149}, {187, 141}}}}},
                      // a size below one pixel still draws a triangle
                      MarkCase{50, 199, 10, 0, {{50, 0}, {50, 10}, {{{49, 10}, {51, 10}, {50, 9}}}}},
                      // an index outside the history is held at its edge
                      MarkCase{500, 199, 10, 2, {{199, 0}, {199, 10}, {{{197, 10}, {201, 10}, {199, 8}}}}}));

}  // namespace
}  // namespace rsw
