#pragma once
// What a free-up did: the free memory before its first pass and at its end, the time between,
// when it ended and what started it; the texts that tell the user, and which free-ups tell it in a
// balloon from the tray icon.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/AutomaticFreeUps.h"

namespace rsw {

// What started a free-up.
enum class FreeUpKind {
  Window,       // "Allocate and Free" or a double click on the amount list
  Tray,         // one of the tray menu's free-ups or the icon's double-click action
  SecondStart,  // a request handed over by a second start of the program
  CommandLine,  // the program's own command line
  Startup,      // the start-up free-up (STARTUP)
  Regular,      // the regular schedule
  Critical,     // free memory stayed at or below the critical amount
  FreeAndRun,   // an entry of the Free-and-Run menu
};

// The word the Free Memory page shows in brackets: "window", "tray", "regular", ...
std::string_view KindText(FreeUpKind kind);

// Only a free-up the user asked for in the window or the tray menu is reported in a balloon, and
// only while the icon is shown to carry it and the user wants it ("ShowResult").
bool ShowsResultBalloon(FreeUpKind kind, bool showResultSetting, bool iconShown);

struct FreeUpResult {
  FreeUpKind kind = FreeUpKind::Window;
  // False when the worker ran no pass (no idle moment found, and told not to free without one);
  // the figures below then mean nothing.
  bool ranPasses = false;
  std::uint64_t freeBefore = 0;  // available physical bytes as the first pass began
  std::uint64_t freeAfter = 0;   // and as the free-up ended
  std::uint64_t milliseconds = 0;
  CivilTime endedAt;  // local time of day it ended
};

// The change in bytes, negative when other programs took more than the free-up made available.
std::int64_t FreeChange(const FreeUpResult& result);

// The balloon's text, the megabytes in the tip's format: "812.4 MB more free memory in 3.2 s. Free
// now: 4120.5 MB.", "No memory gained. Free now: 4120.5 MB." when nothing was gained, and "No idle
// moment found. Free now: 4120.5 MB." when no pass ran (the end's reading).
std::string ResultBalloonText(const FreeUpResult& result, std::string_view decimalSeparator);

// The Free Memory page's line: "Last: +812.4 MB in 3.2 s at 14:05 (tray)", "Last: -3.1 MB in 1.0 s
// at 14:07 (regular)" or "Last: no idle moment at 14:10 (critical)"; `timeOfDay` is the end in the
// user's short time format.
std::string ResultLine(const FreeUpResult& result, std::string_view timeOfDay, std::string_view decimalSeparator);

}  // namespace rsw
