#include <gtest/gtest.h>
#include <vector>

#include "display/StatusDisplay.h"
#include "display/TrayIconPictures.h"

namespace rsw {
namespace {

constexpr std::uint64_t KB = 1024;

struct StateCase {
  std::string name;
  TrayInputs in;
  TrayState state;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

class SelectTrayStateTest : public ::testing::TestWithParam<StateCase> {};

TEST_P(SelectTrayStateTest, Chooses) { EXPECT_EQ(SelectTrayState(GetParam().in), GetParam().state); }

INSTANTIATE_TEST_SUITE_P(
    Table, SelectTrayStateTest,
    ::testing::Values(StateCase{"Plenty", {5000 * KB, 500, 3000, true}, TrayState::Green},
                      StateCase{"EqualToYellowIsYellow", {3000 * KB, 500, 3000, true}, TrayState::Yellow},
                      StateCase{"JustAboveYellow", {3000 * KB + 1024, 500, 3000, true}, TrayState::Green},
                      StateCase{"EqualToCriticalIsRed", {500 * KB, 500, 3000, true}, TrayState::Red},
                      StateCase{"PartKilobyteTruncates", {500 * KB + 1023, 500, 3000, true}, TrayState::Red},
                      StateCase{"YellowAtCriticalNeverShows", {700 * KB, 800, 800, true}, TrayState::Red},
                      StateCase{"YellowBelowCritical", {900 * KB, 800, 600, true}, TrayState::Green},
                      StateCase{"BackgroundOffGreen", {5000 * KB, 500, 3000, false}, TrayState::GreenOff},
                      StateCase{"BackgroundOffYellow", {2000 * KB, 500, 3000, false}, TrayState::YellowOff},
                      StateCase{"BackgroundOffRed", {1 * KB, 500, 3000, false}, TrayState::RedOff},
                      StateCase{"CountdownKeepsTheColour", {1 * KB, 500, 3000, true, true, 3, 0}, TrayState::Red},
                      StateCase{"Working", {1 * KB, 500, 3000, true, true, 0, 0}, TrayState::Working},
                      StateCase{
                          "WorkingWithBackgroundOff", {5000 * KB, 500, 3000, false, true, 0, 0}, TrayState::Working},
                      StateCase{"IdleDetection", {1 * KB, 500, 3000, true, true, 0, 2}, TrayState::IdleDetect},
                      StateCase{"IdleBeatsCountdown", {1 * KB, 500, 3000, true, true, 5, 1}, TrayState::IdleDetect},
                      StateCase{"CountersIgnoredWhenIdle", {5000 * KB, 500, 3000, true, false, 0, 4}, TrayState::Green},
                      StateCase{"Beyond4GBIsNotLow", {6ull << 30, 512000, 512000, true}, TrayState::Green},
                      StateCase{"SeededAbove4GB", {6ull << 30, 30000000, 0, true}, TrayState::Red}),
    [](const auto& tpi) { return tpi.param.name; });

TEST(LookOf, WorkPicturesAlternateAndOthersDoNotTouchTheToggle) {
  int toggle = 0;
  EXPECT_EQ(LookOf(TrayState::Working, toggle).picture, TrayPicture::Work);
  EXPECT_EQ(toggle, 1);
  EXPECT_EQ(LookOf(TrayState::Working, toggle).picture, TrayPicture::Work2);
  EXPECT_EQ(LookOf(TrayState::Red, toggle).picture, TrayPicture::Red);
  EXPECT_EQ(toggle, 0);
  EXPECT_EQ(LookOf(TrayState::Working, toggle).textCentreRow, 12);
  EXPECT_EQ(LookOf(TrayState::IdleDetect, toggle).picture, TrayPicture::Idle);
  EXPECT_EQ(toggle, 1);
  EXPECT_EQ(LookOf(TrayState::YellowOff, toggle).picture, TrayPicture::Yellow);
  EXPECT_EQ(LookOf(TrayState::GreenOff, toggle).textCentreRow, 4);
}

TEST(TrayDigits, WholeMegabytesThenGigabytes) {
  EXPECT_EQ(TrayDigits(1536 * KB), "1");
  EXPECT_EQ(TrayDigits(512 * KB), "0");
  EXPECT_EQ(TrayDigits(9999ull << 20), "9999");
  EXPECT_EQ(TrayDigits((10000ull << 20) - 1), "9999");
  EXPECT_EQ(TrayDigits(10000ull << 20), "10G");  // 9.77 GB rounds to 10
  EXPECT_EQ(TrayDigits(12ull << 30), "12G");
  EXPECT_EQ(TrayDigits((12ull << 30) + (511ull << 20)), "12G");
  EXPECT_EQ(TrayDigits((12ull << 30) + (512ull << 20)), "13G");
  EXPECT_EQ(TrayDigits(999ull << 30), "999G");
  EXPECT_EQ(TrayDigits(5000ull << 30), "999G");
}

TEST(TrayTip, FreeMegabytesLikeTheCaption) {
  EXPECT_EQ(TrayTip(1536 * KB, "."), "1.500 MB");
  EXPECT_EQ(TrayTip(512 * KB, "."), "0.500 MB");
  EXPECT_EQ(TrayTip(123456789, ","), "117,7 MB");
}

TEST(DigitFontHeight, FirstThatExceedsOr15) {
  std::vector<int> asked;
  // the text is its height plus 3 wide
  const int wide = DigitFontHeight([&](int h) {
    asked.push_back(h);
    return TextExtent{h + 3, h};  // width exceeds 15 at height 13; height exceeds 12 at 13 too
  });
  EXPECT_EQ(wide, 13);
  EXPECT_EQ(asked.front(), 4);
  EXPECT_EQ(asked.back(), 13);
  EXPECT_EQ(DigitFontHeight([](int h) { return TextExtent{h * 2, h}; }), 8);   // 16 wide at 8
  EXPECT_EQ(DigitFontHeight([](int h) { return TextExtent{2, h - 3}; }), 15);  // nothing exceeds: 15
  EXPECT_EQ(DigitFontHeight([](int) { return TextExtent{40, 40}; }), 4);       // the first already does
}

TEST(DigitOrigin, CentresTruncatingTowardZero) {
  EXPECT_EQ(DigitOrigin({7, 11}, 4).x, 4);
  EXPECT_EQ(DigitOrigin({7, 11}, 4).y, -1);
  EXPECT_EQ(DigitOrigin({16, 12}, 12).x, 0);
  EXPECT_EQ(DigitOrigin({16, 12}, 12).y, 6);
  EXPECT_EQ(DigitOrigin({19, 13}, 4).x, -1);
}

// ---- the digits at each small-icon size ----

TEST(TrayDigitTable, SixteenPixelRowIsTheClassicOne) {
  const TrayDigitMetrics& m = TrayDigitMetricsFor(16);
  EXPECT_EQ(m.size, 16);
  EXPECT_EQ(m.colourCentreRow, 4);
  EXPECT_EQ(m.busyCentreRow, 12);
  EXPECT_EQ(m.maxTextWidth, 15);
  EXPECT_EQ(m.maxTextHeight, 12);
  EXPECT_EQ(m.firstHeight, 4);
  EXPECT_EQ(m.lastHeight, 15);
}

struct SizeCase {
  int reported;  // SM_CXSMICON
  int size;      // the row used
};

class TrayDigitMetricsForTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(TrayDigitMetricsForTest, LargestNotAboveTheSmallIconSize) {
  EXPECT_EQ(TrayDigitMetricsFor(GetParam().reported).size, GetParam().size) << GetParam().reported;
}

INSTANTIATE_TEST_SUITE_P(Table, TrayDigitMetricsForTest,
                         ::testing::Values(SizeCase{16, 16}, SizeCase{20, 20}, SizeCase{24, 24}, SizeCase{32, 32},
                                           SizeCase{18, 16}, SizeCase{22, 20}, SizeCase{40, 32}, SizeCase{0, 16},
                                           SizeCase{-5, 16}, SizeCase{12, 16}));

class TrayDigitRowTest : public ::testing::TestWithParam<TrayDigitMetrics> {};

// Each row fits its pictures: the number's rows are free in the base pictures of that size, the
// widest text the font search allows stays inside the picture, and the limits grow with the size.
TEST_P(TrayDigitRowTest, DigitsFitTheFreeRowsOfItsPictures) {
  const TrayDigitMetrics& m = GetParam();
  for (std::string_view name :
       {"ICON_GREEN", "ICON_YELLOW", "ICON_RED", "ICON_GREEN_O", "ICON_YELLOW_O", "ICON_RED_O"}) {
    const std::optional<SizedPicture> p = PictureAtSize(name, m.size);
    ASSERT_TRUE(p) << name << " at " << m.size;
    for (int y = 0; y < m.colourFreeRows; ++y) {
      for (int x = 0; x < m.size; ++x) ASSERT_EQ(p->At(x, y), Pixel::Transparent) << name << " row " << y;
    }
    bool barBelow = false;
    for (int x = 0; x < m.size; ++x) barBelow = barBelow || p->At(x, m.colourFreeRows) != Pixel::Transparent;
    EXPECT_TRUE(barBelow) << name << ": the free rows end where the bar begins";
  }
  for (std::string_view name : {"ICON_IDLE", "ICON_WORK", "ICON_WORK2"}) {
    const std::optional<SizedPicture> p = PictureAtSize(name, m.size);
    ASSERT_TRUE(p) << name;
    for (int y = m.busyFreeTop; y < m.size; ++y) {
      for (int x = 0; x < m.size; ++x) ASSERT_EQ(p->At(x, y), Pixel::Transparent) << name << " row " << y;
    }
  }
  EXPECT_LT(m.colourCentreRow, m.colourFreeRows);
  EXPECT_GE(m.busyCentreRow, m.busyFreeTop);
  EXPECT_LT(m.busyCentreRow, m.size);
  // the widest accepted text is centred inside the picture
  const TextOrigin widest = DigitOrigin({m.maxTextWidth, m.maxTextHeight}, m.colourCentreRow, m.size);
  EXPECT_GE(widest.x, 0);
  EXPECT_LE(widest.x + m.maxTextWidth, m.size);
  // the font's cell may reach above row 0 by its internal leading, never below the free rows
  EXPECT_LE(widest.y + m.maxTextHeight, m.colourFreeRows + 1);
  // proportions of the 16-pixel picture, within a pixel
  const TrayDigitMetrics& base = kTrayDigitTable[0];
  EXPECT_NEAR(m.maxTextHeight * 16.0 / m.size, base.maxTextHeight, 0.8) << m.size;
  EXPECT_NEAR(m.colourCentreRow * 16.0 / m.size, base.colourCentreRow, 0.8) << m.size;
  EXPECT_NEAR(m.busyCentreRow * 16.0 / m.size, base.busyCentreRow, 0.8) << m.size;
  EXPECT_EQ(m.maxTextWidth, m.size - 1);
}

// The font search at each size: a fake font whose digits are as wide and as high as the
// character height asked for stops at the first height that exceeds the size's limits.
TEST_P(TrayDigitRowTest, FontSearchStopsAtTheSizesLimits) {
  const TrayDigitMetrics& m = GetParam();
  std::vector<int> tried;
  const int tall = DigitFontHeight(
      [&](int h) {
        tried.push_back(h);
        return TextExtent{h / 2, h};
      },
      m);
  EXPECT_EQ(tall, m.maxTextHeight + 1);
  ASSERT_FALSE(tried.empty());
  EXPECT_EQ(tried.front(), m.firstHeight);
  EXPECT_EQ(DigitFontHeight([](int h) { return TextExtent{2 * h, 1}; }, m), m.maxTextWidth / 2 + 1);
  EXPECT_EQ(DigitFontHeight([](int) { return TextExtent{1, 1}; }, m), m.lastHeight) << "nothing exceeds";
}

INSTANTIATE_TEST_SUITE_P(EachSize, TrayDigitRowTest, ::testing::ValuesIn(kTrayDigitTable),
                         [](const ::testing::TestParamInfo<TrayDigitMetrics>& row) {
                           return "Size" + std::to_string(row.param.size);
                         });

TEST(TextCentreRow, ColourPicturesAboveBusyPicturesBelow) {
  for (const TrayDigitMetrics& m : kTrayDigitTable) {
    for (TrayPicture p : {TrayPicture::Green, TrayPicture::Yellow, TrayPicture::Red}) {
      EXPECT_EQ(TextCentreRow(p, m), m.colourCentreRow);
    }
    for (TrayPicture p : {TrayPicture::Idle, TrayPicture::Work, TrayPicture::Work2}) {
      EXPECT_EQ(TextCentreRow(p, m), m.busyCentreRow);
    }
  }
}

TEST(DigitOrigin, CentresInPicturesOfEverySize) {
  EXPECT_EQ(DigitOrigin({7, 11}, 4, 16).x, 4);
  EXPECT_EQ(DigitOrigin({7, 11}, 8, 32).x, 12);
  EXPECT_EQ(DigitOrigin({19, 15}, 5, 20).x, 0);
  EXPECT_EQ(DigitOrigin({19, 15}, 5, 20).y, -2);
  EXPECT_EQ(DigitOrigin({25, 18}, 6, 24).x, 0) << "-0.5 truncates toward zero";
}

}  // namespace
}  // namespace rsw
