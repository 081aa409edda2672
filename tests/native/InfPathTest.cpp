#include <gtest/gtest.h>

#include "setup/InfPath.h"

namespace rswsetup {
namespace {

struct PathCase {
  std::string directory;
  std::optional<std::string> expected;
};

class InfPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(InfPathTest, JoinsDirectoryAndFileName) {
  EXPECT_EQ(InfPathFor(GetParam().directory), GetParam().expected) << GetParam().directory;
}

// 261 bytes hold 260 characters: a directory of 249 characters, the backslash and the 10 of
// RSWPRO.INF just fit.
const std::string k249 = "C:\\" + std::string(246, 'd');
const std::string k250 = k249 + "e";

INSTANTIATE_TEST_SUITE_P(
    Table, InfPathTest,
    ::testing::Values(PathCase{"C:\\SETUP", "C:\\SETUP\\RSWPRO.INF"},
                      PathCase{"C:\\", "C:\\RSWPRO.INF"},                      // a drive root: no second backslash
                      PathCase{"C:\\PROGRA~1\\", "C:\\PROGRA~1\\RSWPRO.INF"},  // ends in a backslash
                      PathCase{"\\\\SERVER\\SHARE", "\\\\SERVER\\SHARE\\RSWPRO.INF"},
                      PathCase{"", "RSWPRO.INF"},  // directory unknown: the bare name
                      PathCase{k249, k249 + "\\RSWPRO.INF"}, PathCase{k249 + "\\", k249 + "\\RSWPRO.INF"},
                      PathCase{k250, std::nullopt}, PathCase{k250 + "\\", std::nullopt},
                      PathCase{std::string(5000, 'x'), std::nullopt}));

TEST(InfPath, ResultAndTerminatorFitTheCapacityExactly) {
  EXPECT_EQ(InfPathFor("C:", 14), "C:\\RSWPRO.INF");  // 13 characters and the zero
  EXPECT_EQ(InfPathFor("C:", 13), std::nullopt);
  EXPECT_EQ(InfPathFor("", 11), "RSWPRO.INF");
  EXPECT_EQ(InfPathFor("", 10), std::nullopt);
  EXPECT_EQ(InfPathFor("", 0), std::nullopt);
  ASSERT_TRUE(InfPathFor(k249).has_value());
  EXPECT_EQ(InfPathFor(k249)->size(), kPathBuffer - 1);
}

TEST(InfPath, FailureMessageIsEightLinesWithCarriageReturnsOnly) {
  const std::string message = SetupFailureMessage();
  EXPECT_EQ(message.find('\n'), std::string::npos);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t cr; (cr = message.find('\r', start)) != std::string::npos; start = cr + 1) {
    lines.push_back(message.substr(start, cr - start));
  }
  lines.push_back(message.substr(start));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "Cannot find file RSWPRO.INF");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "Maybe the original file is corrupt");
  EXPECT_EQ(lines[3], "or you accidentally deleted some setup files.");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], "If this problem persists, please");
  EXPECT_EQ(lines[6], "contact our customer support at");
  EXPECT_FALSE(lines[7].empty());
}

}  // namespace
}  // namespace rswsetup
