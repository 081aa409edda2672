#pragma once
// The main window's rules that need no window: which controls are enabled or shown for the
// settings in them, how the window shows itself, and what happens at the end of a session.

namespace rsw {

struct ControlInputs {
  bool background = false;  // chkBackground
  bool regular = false;     // chkRegular
  bool critical = false;    // chkCritical
  bool autoRun = false;     // chkAutoRun
  bool showIcon = false;    // chkShowIcon
  bool backgroundPageShown = false;
};

struct ControlStates {
  bool backgroundChecks = false;  // chkRegular and chkCritical
  bool criticalGroup = false;     // the critical free-up's amount, seconds, idle choice and labels
  bool regularGroup = false;      // the regular free-up's amount, minutes, idle choice and labels
  bool nextShown = false;         // labNext
  bool startupGroup = false;      // the start-up free-up's amount, passes, delay, idle choice and labels
  bool iconGroup = false;         // the Icon page's thresholds, menu amounts and double-click action
};

ControlStates ControlStatesFor(const ControlInputs& in);

// Background activity and regular free-ups both ticked.
constexpr bool RegularFreeUpsOn(bool background, bool regular) { return background && regular; }

// Show commands as the system numbers them.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowMinNoActive = 7;

struct StartShow {
  int command = kShowNormal;
  bool hideAfterwards = false;  // only the tray icon shows: no taskbar button
};

// How the window first shows: minimised for the start-up free-up, never maximised (it has no
// maximise button), and hidden again when it starts minimised with the tray icon shown.
StartShow StartShowFor(bool startMinimised, int processShowCommand, bool iconShown);

// At the end of a Windows session the icon goes, if it was there from the start; a session that
// goes on (another program refused to end it) keeps it.
constexpr bool RemoveIconAtEndOfSession(bool iconShownAtStart, bool sessionEnds) {
  return iconShownAtStart && sessionEnds;
}

}  // namespace rsw
