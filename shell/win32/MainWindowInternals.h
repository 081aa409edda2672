#pragma once
// What the main window's implementation files share among themselves and with nobody else.

#include <windows.h>

#include "engine/AutomaticFreeUps.h"
#include "shell/win32/Fonts.h"

namespace rsw::win32 {

inline constexpr UINT_PTR kTimer1 = 1;
inline constexpr UINT_PTR kTimerCritical = 2;
inline constexpr UINT kTimerCriticalMs = 1000;
inline constexpr DWORD kMainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
inline constexpr const char* kFocusWindowClass = "TfrmRamsweepFocus";
inline constexpr COLORREF kSilver = RGB(192, 192, 192);

// A local time of day as the locale's time formats take it.
inline SYSTEMTIME SystemTimeOf(const CivilTime& at) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(at.year);
  time.wMonth = static_cast<WORD>(at.month);
  time.wDay = static_cast<WORD>(at.day);
  time.wHour = static_cast<WORD>(at.hour);
  time.wMinute = static_cast<WORD>(at.minute);
  time.wSecond = static_cast<WORD>(at.second);
  return time;
}

}  // namespace rsw::win32
