#include <gtest/gtest.h>

#include "shell/ErrorText.h"

namespace rsw {
namespace {

TEST(ErrorBoxText, AppendsADotAfterCharactersThatSortAfterIt) {
  EXPECT_EQ(ErrorBoxText("Cannot create Key: HKEY_CURRENT_USER\\X"), "Cannot create Key: HKEY_CURRENT_USER\\X.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("Trailing blank "), "Trailing blank ");
  EXPECT_EQ(ErrorBoxText("Comma,"), "Comma,");
  EXPECT_EQ(ErrorBoxText("Dash-"), "Dash-");
  EXPECT_EQ(ErrorBoxText("Slash/"), "Slash/.");
  EXPECT_EQ(ErrorBoxText("Digit 0"), "Digit 0.");
  EXPECT_EQ(ErrorBoxText("Accent \xe9"), "Accent \xe9.");  // above 127 sorts after "."
  EXPECT_EQ(ErrorBoxText(""), "");
}

}  // namespace
}  // namespace rsw
