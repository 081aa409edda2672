#pragma once
// What the main window's implementation files share among themselves and with nobody else.

#include <windows.h>

namespace rsw::win32 {

inline constexpr UINT_PTR kTimer1 = 1;
inline constexpr UINT_PTR kTimerCritical = 2;
inline constexpr UINT kTimerCriticalMs = 1000;
inline constexpr DWORD kMainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
inline constexpr const char* kFocusWindowClass = "TfrmRamsweepFocus";
inline constexpr COLORREF kSilver = RGB(192, 192, 192);

inline HFONT MakeFont(int pixelHeight, const char* face, int weight = FW_NORMAL, bool italic = false,
                      BYTE family = FF_DONTCARE) {
  return CreateFontA(-pixelHeight, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, static_cast<BYTE>(DEFAULT_PITCH | family), face);
}

}  // namespace rsw::win32
