#include "shell/win32/Dpi.h"

#include "shell/DpiScale.h"

namespace rsw::win32 {

namespace {

// Looked up once; nullptr on systems without it.
template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

int ScreenLogPixels() {
  const HDC screen = GetDC(nullptr);
  if (!screen) return kBaseDpi;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return UsableDpi(dpi);
}

}  // namespace

int SystemDpi() {
  static const auto getDpiForSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
  if (getDpiForSystem) return UsableDpi(static_cast<int>(getDpiForSystem()));
  return ScreenLogPixels();
}

int WindowDpi(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return UsableDpi(static_cast<int>(dpi));
  }
  return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
  static const auto getSystemMetricsForDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (getSystemMetricsForDpi) return getSystemMetricsForDpi(index, static_cast<UINT>(UsableDpi(dpi)));
  const int system = SystemDpi();
  return MulDiv(GetSystemMetrics(index), UsableDpi(dpi), system);
}

RECT WindowRectForClient(const RECT& client, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjustForDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  RECT frame = client;
  if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(UsableDpi(dpi)))) {
    frame = client;
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  }
  return frame;
}

int SmallIconSize() { return GetSystemMetrics(SM_CXSMICON); }

}  // namespace rsw::win32
