#include <gtest/gtest.h>
#include <vector>

#include "display/StatusDisplay.h"

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

}  // namespace
}  // namespace rsw
