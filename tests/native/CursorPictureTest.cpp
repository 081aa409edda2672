#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "display/CursorPicture.h"

namespace rsw {
namespace {

std::vector<std::uint8_t> Picture(int hotX, int hotY, const std::vector<std::string>& rows) {
  std::vector<std::uint8_t> data{static_cast<std::uint8_t>(hotX), static_cast<std::uint8_t>(hotX >> 8),
                                 static_cast<std::uint8_t>(hotY), static_cast<std::uint8_t>(hotY >> 8)};
  for (int r = 0; r < 32; ++r) {
    std::string row = r < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(r)] : "";
    row.resize(32, ' ');
    data.insert(data.end(), row.begin(), row.end());
  }
  return data;
}

TEST(CursorPicture, CharactersBecomeTheTwoPlanes) {
  const auto cursor = ParseCursorPicture(Picture(0, 0, {"#.", "", "       ." + std::string(24, '#')}));
  ASSERT_TRUE(cursor);
  EXPECT_EQ(cursor->hotX, 0);
  EXPECT_EQ(cursor->hotY, 0);
  // row 0: black, white, then transparent
  EXPECT_EQ(cursor->andPlane[0], 0x3F);
  EXPECT_EQ(cursor->xorPlane[0], 0x40);
  EXPECT_EQ(cursor->andPlane[1], 0xFF);
  // row 1: all transparent
  EXPECT_EQ(cursor->andPlane[4], 0xFF);
  EXPECT_EQ(cursor->xorPlane[4], 0x00);
  // row 2: seven transparent, one white, the rest black
  EXPECT_EQ(cursor->andPlane[8], 0xFE);
  EXPECT_EQ(cursor->xorPlane[8], 0x01);
  EXPECT_EQ(cursor->andPlane[9], 0x00);
  EXPECT_EQ(cursor->xorPlane[11], 0x00);
}

TEST(CursorPicture, RefusesDamagedData) {
  EXPECT_TRUE(ParseCursorPicture(Picture(31, 31, {})));
  EXPECT_FALSE(ParseCursorPicture(Picture(32, 0, {})));
  EXPECT_FALSE(ParseCursorPicture(Picture(0, 40, {})));
  EXPECT_FALSE(ParseCursorPicture(Picture(0, 0, {"#x"})));
  auto shortData = Picture(0, 0, {});
  shortData.pop_back();
  EXPECT_FALSE(ParseCursorPicture(shortData));
  EXPECT_FALSE(ParseCursorPicture({}));
}

}  // namespace
}  // namespace rsw
