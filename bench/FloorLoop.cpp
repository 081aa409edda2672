// The floor for the program's figures in the tray: the least a program must do to show what it
// shows there. On the same 250 ms timer it reads free memory, sets its hidden window's caption and
// the tray tip when their text changes, and hands the shell a new picture when the digits drawn in
// it change; nothing else. The texts come from the program's own formatting and the picture from
// its own resources at the small-icon size. Ends on WM_CLOSE, removing its icon.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "display/StatusDisplay.h"
#include "engine/StatusCaption.h"

namespace {

constexpr UINT kCallbackMessage = WM_APP;
constexpr DWORD kIconDataSize = 88;  // the record's first version, as the program hands it over

struct Floor {
  HWND window = nullptr;
  HICON base = nullptr;
  HICON shown = nullptr;  // the picture the shell has now, with `digits` drawn in
  HFONT font = nullptr;
  int size = 16;
  std::string separator = ".";
  std::string caption, tip, digits;
};

Floor g_floor;

std::uint64_t FreeBytes() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  return GlobalMemoryStatusEx(&status) ? status.ullAvailPhys : 0;
}

// The digits written into the mask of a copy of the base picture, where they show black.
HICON Compose(const std::string& text) {
  ICONINFO info{};
  if (!GetIconInfo(g_floor.base, &info)) return nullptr;
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (dc) {
    const HGDIOBJ oldBitmap = SelectObject(dc, info.hbmMask);
    const HGDIOBJ oldFont = SelectObject(dc, g_floor.font);
    SetBkMode(dc, TRANSPARENT);
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    TextOutA(dc, (g_floor.size - extent.cx) / 2, 0, text.c_str(), static_cast<int>(text.size()));
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
  }
  ICONINFO result{TRUE, 0, 0, info.hbmMask, info.hbmColor};
  const HICON icon = CreateIconIndirect(&result);
  DeleteObject(info.hbmMask);
  DeleteObject(info.hbmColor);
  return icon;
}

NOTIFYICONDATAA Record(UINT flags) {
  NOTIFYICONDATAA data{};
  data.cbSize = kIconDataSize;
  data.hWnd = g_floor.window;
  data.uID = 1;
  data.uFlags = flags;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = g_floor.shown;
  const std::size_t length = std::min<std::size_t>(g_floor.tip.size(), 63);
  std::memcpy(data.szTip, g_floor.tip.data(), length);
  return data;
}

void Tick() {
  const std::uint64_t free = FreeBytes();
  std::string caption = rsw::StatusCaption({}, true, free, g_floor.separator);
  if (caption != g_floor.caption) {
    g_floor.caption = std::move(caption);
    SetWindowTextA(g_floor.window, g_floor.caption.c_str());
  }
  std::string tip = rsw::TrayTip(free, g_floor.separator);
  std::string digits = rsw::TrayDigits(free);
  UINT flags = 0;
  HICON replaced = nullptr;
  if (digits != g_floor.digits) {
    if (const HICON picture = Compose(digits)) {
      replaced = g_floor.shown;
      g_floor.shown = picture;
      g_floor.digits = std::move(digits);
      flags |= NIF_ICON;
    }
  }
  if (tip != g_floor.tip) {
    g_floor.tip = std::move(tip);
    flags |= NIF_TIP;
  }
  if (flags) {
    NOTIFYICONDATAA data = Record(flags);
    Shell_NotifyIconA(NIM_MODIFY, &data);
  }
  if (replaced) DestroyIcon(replaced);
}

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER: Tick(); return 0;
    case WM_DESTROY: {
      NOTIFYICONDATAA data = Record(0);
      Shell_NotifyIconA(NIM_DELETE, &data);
      PostQuitMessage(0);
      return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &FloorProc;
  wc.hInstance = instance;
  wc.lpszClassName = "RswBenchFloor";
  if (!RegisterClassA(&wc)) return 1;
  g_floor.window = CreateWindowExA(0, wc.lpszClassName, rsw::kProductName, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                   nullptr, instance, nullptr);
  if (!g_floor.window) return 1;
  char separator[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) > 1) {
    g_floor.separator = separator;
  }
  g_floor.size = rsw::TrayDigitMetricsFor(GetSystemMetrics(SM_CXSMICON)).size;
  g_floor.base =
      static_cast<HICON>(LoadImageA(instance, "ICON_GREEN", IMAGE_ICON, g_floor.size, g_floor.size, LR_DEFAULTCOLOR));
  g_floor.font = CreateFontA(-(g_floor.size * 10 / 16), 0, 0, 0, 100, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, DEFAULT_PITCH | FF_MODERN, "Arial");
  if (!g_floor.base || !g_floor.font) return 1;
  // the first picture and tip, as the program shows them once it is in the tray
  const std::uint64_t free = FreeBytes();
  g_floor.digits = rsw::TrayDigits(free);
  g_floor.tip = rsw::TrayTip(free, g_floor.separator);
  g_floor.shown = Compose(g_floor.digits);
  NOTIFYICONDATAA data = Record(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  if (!Shell_NotifyIconA(NIM_ADD, &data)) return 1;
  SetTimer(g_floor.window, 1, 250, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  if (g_floor.shown) DestroyIcon(g_floor.shown);
  DestroyIcon(g_floor.base);
  DeleteObject(g_floor.font);
  return 0;
}
