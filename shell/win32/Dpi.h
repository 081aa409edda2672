#pragma once
// The display scale as the running system reports it. The per-monitor functions exist only on newer
// systems (Windows 10 1607 on); they are looked up at run time, and where they are missing the
// screen's LOGPIXELSX stands in, so the program starts on every system it ever started on.

#include <windows.h>

namespace rsw::win32 {

// The DPI of the screen the system lays windows out for (96 when nothing answers).
int SystemDpi();

// The DPI of the monitor `window` is on, for a per-monitor aware program; the system DPI where the
// system cannot tell.
int WindowDpi(HWND window);

// A system metric at `dpi`: exact where the system can give it, else the system DPI's figure scaled.
int SystemMetricForDpi(int index, int dpi);

// The window rectangle around `client` for a window of that style at `dpi`.
RECT WindowRectForClient(const RECT& client, DWORD style, DWORD exStyle, int dpi);

// The small-icon size the shell asks for (SM_CXSMICON: 16, 20, 24 or 32 at 100 to 200 %).
int SmallIconSize();

// The rectangle of a WM_DPICHANGED message: the system's suggestion for the window at the new DPI.
inline const RECT& SuggestedRect(LPARAM lParam) { return *reinterpret_cast<const RECT*>(lParam); }

}  // namespace rsw::win32
