#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "shell/IntegerText.h"

namespace rsw {
namespace {

struct IntegerCase {
  std::string text;
  std::optional<std::int32_t> expected;
};

class ParseIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ParseIntegerTest, ConvertsOrRejects) {
  EXPECT_EQ(ParseInteger(GetParam().text), GetParam().expected) << "text: \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseIntegerTest,
    ::testing::Values(
        IntegerCase{"32", 32}, IntegerCase{"0", 0}, IntegerCase{"007", 7}, IntegerCase{"+5", 5}, IntegerCase{"-5", -5},
        IntegerCase{"   42", 42}, IntegerCase{"$20", 32}, IntegerCase{"$ff", 255}, IntegerCase{"-$10", -16},
        IntegerCase{"+$7FFFFFFF", 2147483647}, IntegerCase{"2147483647", 2147483647},
        IntegerCase{"-2147483648", -2147483647 - 1}, IntegerCase{"-$80000000", -2147483647 - 1},
        // not entirely a number
        IntegerCase{"", std::nullopt}, IntegerCase{"   ", std::nullopt}, IntegerCase{"+", std::nullopt},
        IntegerCase{"-", std::nullopt}, IntegerCase{"$", std::nullopt}, IntegerCase{"32MB", std::nullopt},
        IntegerCase{"12 ", std::nullopt}, IntegerCase{"1 2", std::nullopt}, IntegerCase{"\t5", std::nullopt},
        IntegerCase{"$G", std::nullopt}, IntegerCase{"1F", std::nullopt}, IntegerCase{"0x10", std::nullopt},
        IntegerCase{"--5", std::nullopt}, IntegerCase{"+-5", std::nullopt}, IntegerCase{"$-5", std::nullopt},
        // outside the signed 32-bit range
        IntegerCase{"2147483648", std::nullopt}, IntegerCase{"-2147483649", std::nullopt},
        IntegerCase{"$80000000", std::nullopt}, IntegerCase{"$FFFFFFFF", std::nullopt},
        IntegerCase{"99999999999999999999999", std::nullopt}));

}  // namespace
}  // namespace rsw
