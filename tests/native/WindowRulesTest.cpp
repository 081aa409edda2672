// The main window's rules that need no window: enabled and shown controls, the first show, the end
// of a session, and what the tray icon's notifications and menu stand for.
#include <gtest/gtest.h>

#include "display/TrayMenuRules.h"
#include "shell/MainWindowRules.h"

namespace rsw {
namespace {

struct StatesCase {
  ControlInputs in;
  ControlStates out;
};

class ControlStatesTest : public ::testing::TestWithParam<StatesCase> {};

TEST_P(ControlStatesTest, FollowTheSettings) {
  const StatesCase& c = GetParam();
  const ControlStates s = ControlStatesFor(c.in);
  EXPECT_EQ(s.backgroundChecks, c.out.backgroundChecks);
  EXPECT_EQ(s.criticalGroup, c.out.criticalGroup);
  EXPECT_EQ(s.regularGroup, c.out.regularGroup);
  EXPECT_EQ(s.nextShown, c.out.nextShown);
  EXPECT_EQ(s.startupGroup, c.out.startupGroup);
  EXPECT_EQ(s.iconGroup, c.out.iconGroup);
}

// inputs: background, regular, critical, autoRun, showIcon, Background page shown
// states: checks, critical group, regular group, labNext, startup group, icon group
INSTANTIATE_TEST_SUITE_P(
    Table, ControlStatesTest,
    ::testing::Values(
        // background activity off greys everything it governs, whatever is ticked below it
        StatesCase{{false, true, true, false, false, true}, {false, false, false, false, false, false}},
        StatesCase{{true, false, false, false, false, true}, {true, false, false, false, false, false}},
        StatesCase{{true, true, false, false, false, true}, {true, false, true, true, false, false}},
        // labNext shows only on its own page
        StatesCase{{true, true, false, false, false, false}, {true, false, true, false, false, false}},
        StatesCase{{true, false, true, false, false, true}, {true, true, false, false, false, false}},
        StatesCase{{true, true, true, false, false, true}, {true, true, true, true, false, false}},
        // the Startup and Icon pages follow their own check boxes only
        StatesCase{{false, false, false, true, false, false}, {false, false, false, false, true, false}},
        StatesCase{{false, false, false, false, true, false}, {false, false, false, false, false, true}},
        StatesCase{{true, true, true, true, true, true}, {true, true, true, true, true, true}}));

struct ShowCase {
  bool startMinimised;
  int processShow;
  bool iconShown;
  int command;
  bool hide;
};

class StartShowTest : public ::testing::TestWithParam<ShowCase> {};

TEST_P(StartShowTest, NeverMaximisedAndOnlyTheIconWhenMinimised) {
  const ShowCase& c = GetParam();
  const StartShow show = StartShowFor(c.startMinimised, c.processShow, c.iconShown);
  EXPECT_EQ(show.command, c.command);
  EXPECT_EQ(show.hideAfterwards, c.hide);
}

INSTANTIATE_TEST_SUITE_P(Table, StartShowTest,
                         ::testing::Values(ShowCase{false, 1, true, 1, false},  // normal
                                           ShowCase{false, 3, true, 1, false},  // maximised: normal size
                                           ShowCase{false, 3, false, 1, false},
                                           ShowCase{false, 7, true, 7, true},    // minimised: only the icon
                                           ShowCase{false, 7, false, 7, false},  // minimised: taskbar button
                                           ShowCase{true, 1, true, 7, true},     // STARTUP
                                           ShowCase{true, 3, false, 7, false},
                                           ShowCase{false, 2, true, 2, false}));  // other minimise commands stay

TEST(EndOfSession, TheIconGoesOnlyWhenTheSessionReallyEnds) {
  EXPECT_TRUE(RemoveIconAtEndOfSession(true, true));
  EXPECT_FALSE(RemoveIconAtEndOfSession(true, false)) << "a cancelled shutdown keeps the icon";
  EXPECT_FALSE(RemoveIconAtEndOfSession(false, true)) << "an icon switched on later is not watched";
  EXPECT_FALSE(RemoveIconAtEndOfSession(false, false));
}

TEST(TrayMouse, OnlyPressDoubleClickAndRightReleaseMeanSomething) {
  const std::pair<std::uint32_t, TrayMouse> cases[] = {{513, TrayMouse::Click},       {514, TrayMouse::None},
                                                       {515, TrayMouse::DoubleClick}, {516, TrayMouse::None},
                                                       {517, TrayMouse::RightClick},  {518, TrayMouse::None},
                                                       {512, TrayMouse::None},        {519, TrayMouse::None},
                                                       {0, TrayMouse::None},          {0xFFFFFFFFu, TrayMouse::None}};
  for (const auto& [message, meaning] : cases) EXPECT_EQ(TrayMouseOf(message), meaning) << message;
}

TEST(TrayCommands, IconActionPicksTheDoubleClickAndTheDefaultItem) {
  const std::pair<int, TrayCommand> cases[] = {
      {-1, TrayCommand::None}, {0, TrayCommand::ShowRamsweepPro}, {1, TrayCommand::BackgroundActivity},
      {2, TrayCommand::Free1}, {3, TrayCommand::Free2},           {4, TrayCommand::Free3},
      {5, TrayCommand::None},  {1000, TrayCommand::None}};
  for (const auto& [action, command] : cases) EXPECT_EQ(IconActionCommand(action), command) << action;
}

TEST(TrayCommands, FreeUpItemsCarryTheirOwnAccessKeys) {
  EXPECT_EQ(FreeMenuCaption(0, "32 MB"), "&Free up 32 MB");
  EXPECT_EQ(FreeMenuCaption(1, "64 MB"), "Fr&ee up 64 MB");
  EXPECT_EQ(FreeMenuCaption(2, "512 MB"), "Free &up 512 MB");
  EXPECT_EQ(FreeMenuCaption(3, "1 MB"), "");
  EXPECT_EQ(FreeMenuCaption(-1, "1 MB"), "");
  EXPECT_EQ(IconActionText("128 MB"), "Free up 128 MB");
}

}  // namespace
}  // namespace rsw
