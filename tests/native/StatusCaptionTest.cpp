#include <cmath>
#include <gtest/gtest.h>

#include "engine/StatusCaption.h"

namespace rsw {
namespace {

// Bytes for a megabyte figure given to millionths, rounded to the nearest byte.
std::uint64_t Bytes(double megabytes) { return static_cast<std::uint64_t>(std::llround(megabytes * 1048576.0)); }

struct FormatCase {
  std::uint64_t bytes;
  std::string text;
};

class FormatFreeMegabytesTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatFreeMegabytesTest, RoundsAndPicksThePattern) {
  EXPECT_EQ(FormatFreeMegabytes(GetParam().bytes, "."), GetParam().text) << GetParam().bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatFreeMegabytesTest,
    ::testing::Values(FormatCase{Bytes(123.4567), "123.5"}, FormatCase{Bytes(45.678), "45.68"},
                      FormatCase{Bytes(5.1234), "5.123"}, FormatCase{Bytes(0.5), "0.500"},
                      FormatCase{1536 * 1024, "1.500"}, FormatCase{0, "0.000"}, FormatCase{Bytes(100), "100.0"},
                      FormatCase{Bytes(10), "10.00"},
                      FormatCase{Bytes(9.9996), "10.00"},    // rounds to 10.000 first, then "#00.00"
                      FormatCase{Bytes(99.9994), "100.00"},  // 99.999 is below 100, so "#00.00", which rounds up
                      FormatCase{1048576ull * 24000, "24000.0"}, FormatCase{3ull << 40, "3145728.0"}));

TEST(FormatFreeMegabytes, HalfThousandthRoundsToEven) {
  // 65,536 bytes are exactly 62.5 thousandths of a megabyte
  EXPECT_EQ(FormatFreeMegabytes(65536, "."), "0.062");      // 62.5 -> 62 (even)
  EXPECT_EQ(FormatFreeMegabytes(3 * 65536, "."), "0.188");  // 187.5 -> 188 (even)
  EXPECT_EQ(FormatFreeMegabytes(65536 + 1, "."), "0.063");  // just above the half
}

TEST(FormatFreeMegabytes, UsesTheLocaleSeparator) {
  EXPECT_EQ(FormatFreeMegabytes(1536 * 1024, ","), "1,500");
  EXPECT_EQ(FormatFreeMegabytes(Bytes(123.4567), ","), "123,5");
}

struct CaptionCase {
  std::string name;
  FreeUpProgress progress;
  bool show;
  std::string caption;
};

void PrintTo(const CaptionCase& c, std::ostream* os) { *os << c.name; }

class StatusCaptionTest : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(StatusCaptionTest, FirstMatchingRowWins) {
  EXPECT_EQ(StatusCaption(GetParam().progress, GetParam().show, 1536 * 1024, "."), GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatusCaptionTest,
    ::testing::Values(
        CaptionCase{"IdleShown", {false, 0, 0, 0}, true, "1.500 MB - Ramsweep Pro"},
        CaptionCase{"IdleHidden", {false, 0, 0, 0}, false, "Ramsweep Pro"},
        CaptionCase{"CountersIgnoredWhenIdle", {false, 5, 3, 2}, false, "Ramsweep Pro"},
        CaptionCase{"Waiting", {true, 3, 0, 0}, false, "Ramsweep Pro - Waiting (3)"},
        CaptionCase{"WaitingShown", {true, 3, 0, 0}, true, "1.500 MB - Ramsweep Pro - Waiting (3)"},
        CaptionCase{"WaitingBeatsPass", {true, 2, 4, 7}, false, "Ramsweep Pro - Waiting (2)"},
        CaptionCase{"FirstPass", {true, 0, 0, 0}, false, "Ramsweep Pro - Working"},
        CaptionCase{"SecondPass", {true, 0, 1, 0}, false, "Ramsweep Pro - Working (2)"},
        CaptionCase{"ThirdPassShown", {true, 0, 2, 0}, true, "1.500 MB - Ramsweep Pro - Working (3)"},
        CaptionCase{"PassBeatsIdle", {true, 0, 1, 4}, false, "Ramsweep Pro - Working (2)"},
        CaptionCase{"IdleDetect", {true, 0, 0, 1}, false, "Ramsweep Pro - Idle Detect (1)"},
        CaptionCase{"IdleDetectShown", {true, 0, 0, 6}, true, "1.500 MB - Ramsweep Pro - Idle Detect (6)"},
        CaptionCase{"NegativeCountdownIsNoWait", {true, -1, 0, 0}, false, "Ramsweep Pro - Working"},
        CaptionCase{"LargestPass", {true, 0, 2147483647, 0}, false, "Ramsweep Pro - Working (2147483648)"}),
    [](const auto& tpi) { return tpi.param.name; });

}  // namespace
}  // namespace rsw
