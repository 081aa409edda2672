#pragma once
// Tooltips for child controls: one tooltip window, a tool per control that follows the control's
// own mouse messages.

#include <windows.h>

#include <commctrl.h>

namespace rsw::win32 {

// A tooltip window owned by `owner` (nullptr when it cannot be made).
inline HWND CreateToolTipWindow(HWND owner) {
  return CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// Shows `text` over `control`, a child of `parent`.
inline void AddToolTip(HWND tooltip, HWND parent, HWND control, const char* text) {
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = parent;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(text);
  SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace rsw::win32
