#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "shell/CommandLine.h"
#include "shell/MemoryRegistry.h"
#include "shell/Messages.h"
#include "shell/SettingsKey.h"

namespace rsw {
namespace {

struct Expected {
  bool hasRequest;
  std::int32_t amount, passes, countdown, idle;
  bool exitAfter = false;
  bool minimised = false;
};

struct CommandLineCase {
  std::string name;
  std::vector<std::string> args;
  std::vector<std::pair<std::string, std::int32_t>> stored;  // settings in the registry
  Expected expected;
};

void PrintTo(const CommandLineCase& c, std::ostream* os) { *os << c.name; }

class ParseCommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(ParseCommandLineTest, ParsesAndBounds) {
  const CommandLineCase& c = GetParam();
  MemoryRegistry memory;
  uRegistry registry(memory);
  for (const auto& [name, value] : c.stored) registry.WriteRegInteger(kSettingsKey, name, value);

  CommandLineRequest request;
  const bool hasRequest = ParseCommandLine(c.args, registry, request);

  EXPECT_EQ(hasRequest, c.expected.hasRequest);
  EXPECT_EQ(request.AmountMB, c.expected.amount);
  EXPECT_EQ(request.MaxPasses, c.expected.passes);
  EXPECT_EQ(request.Countdown, c.expected.countdown);
  EXPECT_EQ(request.IdleMode, c.expected.idle);
  EXPECT_EQ(request.ExitAfterFreeUp, c.expected.exitAfter);
  EXPECT_EQ(request.StartMinimised, c.expected.minimised);
}

// Amount 0 means the default amount; unbounded initial values show only without arguments.
INSTANTIATE_TEST_SUITE_P(
    Table, ParseCommandLineTest,
    ::testing::Values(
        CommandLineCase{"NoArguments", {}, {}, {false, -1, 4, 5, 0}},
        CommandLineCase{"PlainNumber", {"32"}, {}, {true, 32, 4, 5, 0}},
        CommandLineCase{"SlashF", {"/F32"}, {}, {true, 32, 4, 5, 0}},
        CommandLineCase{"DashLowerF", {"-f32"}, {}, {true, 32, 4, 5, 0}},
        CommandLineCase{"BackslashF", {"\\F32"}, {}, {true, 32, 4, 5, 0}},
        CommandLineCase{"HexAmount", {"F$20"}, {}, {true, 32, 4, 5, 0}},
        CommandLineCase{"AmountAbove512", {"F1000"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"Amount512Kept", {"F512"}, {}, {true, 512, 4, 5, 0}},
        CommandLineCase{"NegativeAmount", {"F-5"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"DigitButNotNumber", {"32MB"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"LoneF", {"F"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"PassesAndCountdownClamped", {"T0", "D9999"}, {}, {true, 0, 1, 3600, 0}},
        CommandLineCase{"PassesAbove20", {"T25"}, {}, {true, 0, 20, 5, 0}},
        CommandLineCase{"InvalidPassesDefault4", {"TX"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"NegativeCountdown", {"D-3"}, {}, {true, 0, 4, 0, 0}},
        CommandLineCase{"DelayWordIsInvalidD", {"DELAY"}, {}, {true, 0, 4, 0, 0}},
        CommandLineCase{"CloseWordIsC", {"CLOSE"}, {}, {true, 0, 4, 5, 0, true}},
        CommandLineCase{"CWithRest", {"/c", "F8"}, {}, {true, 8, 4, 5, 0, true}},
        CommandLineCase{"LaterOverwrites", {"F8", "F16", "T2", "T3"}, {}, {true, 16, 3, 5, 0}},
        CommandLineCase{"HandOffExample", {"D30", "T3", "F16"}, {}, {true, 16, 3, 30, 0}},
        CommandLineCase{"StartupEmptyRegistry", {"STARTUP"}, {}, {true, 0, 3, 5, 0, false, true}},
        CommandLineCase{
            "StartupStoredZeroIsOneMB", {"STARTUP"}, {{"StartupAmount", 0}}, {true, 1, 3, 5, 0, false, true}},
        CommandLineCase{"StartupStoredValues",
                        {"Startup"},
                        {{"StartupAmount", 16}, {"StartupCount", 7}, {"StartupDelay", 60}, {"IdleStartup", 2}},
                        {true, 32, 7, 60, 2, false, true}},
        CommandLineCase{
            "StartupAmountOutsideTable", {"STARTUP"}, {{"StartupAmount", 41}}, {true, 0, 3, 5, 0, false, true}},
        CommandLineCase{"StartupAmountNegative", {"STARTUP"}, {{"StartupAmount", -7}}, {true, 0, 3, 5, 0, false, true}},
        CommandLineCase{"StartupStoredOutOfRange",
                        {"STARTUP"},
                        {{"StartupCount", 0}, {"StartupDelay", 100000}, {"IdleStartup", 9}},
                        {true, 0, 1, 3600, 9, false, true}},
        CommandLineCase{"SlashStartupThenT7", {"/startup", "T7"}, {}, {true, 0, 7, 5, 0, false, true}},
        CommandLineCase{"StartupOverwritesEarlier", {"F64", "T9", "STARTUP"}, {}, {true, 0, 3, 5, 0, false, true}},
        CommandLineCase{"StartupWithPrefixLetter", {"STARTUPX"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"LowerInstallIsAWord", {"install"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"InstallWithAnother", {"INSTALL", "X"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"OnlySlash", {"/"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"OnlyDash", {"-"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"EmptyArgument", {""}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"DoublePrefixIsIgnoredWord", {"//F32"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"NonAsciiLetterNotUpperCased", {"\xe9", "f\xe9"}, {}, {true, 0, 4, 5, 0}},
        CommandLineCase{"AmountOverflow", {"F99999999999"}, {}, {true, 0, 4, 5, 0}}),
    [](const auto& tpi) { return tpi.param.name; });

TEST(ParseCommandLine, LeavesCloseFlagAndMinimisedSetAndResetsNumbers) {
  MemoryRegistry memory;
  uRegistry registry(memory);
  CommandLineRequest request;
  request.ExitAfterFreeUp = true;
  request.AmountMB = 77;
  request.MaxPasses = 9;
  const std::vector<std::string> args{"D1"};
  EXPECT_TRUE(ParseCommandLine(args, registry, request));
  EXPECT_TRUE(request.ExitAfterFreeUp);
  EXPECT_EQ(request.AmountMB, 0);
  EXPECT_EQ(request.MaxPasses, 4);
  EXPECT_EQ(request.Countdown, 1);
}

TEST(ParseCommandLine, StartupReadsOnlyTheSettingsKey) {
  MemoryRegistry memory;
  uRegistry registry(memory);
  registry.WriteRegInteger("HKEY_CURRENT_USER\\Software\\Other", "StartupCount", 9);
  registry.WriteRegString(kSettingsKey, "StartupDelay", "30");  // wrong type: the default applies
  CommandLineRequest request;
  const std::vector<std::string> args{"STARTUP"};
  ASSERT_TRUE(ParseCommandLine(args, registry, request));
  EXPECT_EQ(request.MaxPasses, 3);
  EXPECT_EQ(request.Countdown, 5);
}

struct ActionCase {
  std::vector<std::string> args;
  StartAction action;
};

class StartActionTest : public ::testing::TestWithParam<ActionCase> {};

TEST_P(StartActionTest, OnlyTheExactSingleWordIsAnAction) {
  EXPECT_EQ(ChooseStartAction(GetParam().args), GetParam().action);
}

INSTANTIATE_TEST_SUITE_P(Table, StartActionTest,
                         ::testing::Values(ActionCase{{"INSTALL"}, StartAction::Install},
                                           ActionCase{{"UNINSTALL"}, StartAction::Uninstall},
                                           ActionCase{{}, StartAction::Run}, ActionCase{{"install"}, StartAction::Run},
                                           ActionCase{{"/INSTALL"}, StartAction::Run},
                                           ActionCase{{"INSTALL", "X"}, StartAction::Run},
                                           ActionCase{{"UNINSTALL", "UNINSTALL"}, StartAction::Run},
                                           ActionCase{{"INSTALL "}, StartAction::Run},
                                           ActionCase{{"EXIT"}, StartAction::Exit},
                                           ActionCase{{"exit"}, StartAction::Run},
                                           ActionCase{{"Exit"}, StartAction::Run},
                                           ActionCase{{"/EXIT"}, StartAction::Run},
                                           ActionCase{{"EXIT", "F32"}, StartAction::Run},
                                           ActionCase{{"F32", "EXIT"}, StartAction::Run},
                                           ActionCase{{"EXIT "}, StartAction::Run},
                                           ActionCase{{"EXITS"}, StartAction::Run}));

}  // namespace
}  // namespace rsw

namespace rsw {
namespace {

TEST(RemoteFreeUp, PacksCountdownHighAndPassesLow) {
  EXPECT_EQ(PackRemoteWParam(30, 3), 1966083u);  // D30 T3
  EXPECT_EQ(PackRemoteWParam(3, 2), 196610u);
  EXPECT_EQ(PackRemoteWParam(3600, 20), 3600u * 65536u + 20u);

  const RemoteFreeUp request = UnpackRemoteFreeUp(196610u, 0);
  EXPECT_EQ(request.AmountMB, 0);
  EXPECT_EQ(request.MaxPasses, 2);
  EXPECT_EQ(request.Countdown, 3);

  // both halves are unsigned 16-bit: another program's wParam can ask for at most 65,535 of each
  const RemoteFreeUp widest = UnpackRemoteFreeUp(0xFFFFFFFFu, -5);
  EXPECT_EQ(widest.MaxPasses, 65535);
  EXPECT_EQ(widest.Countdown, 65535);
  EXPECT_EQ(widest.AmountMB, -5);
}

}  // namespace
}  // namespace rsw
