// The reference for the program's own figures: a hidden window with an empty message loop and the
// same 250 ms timer, doing nothing on it. Ends on WM_CLOSE.
#include <windows.h>

namespace {

LRESULT CALLBACK EmptyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) return 0;
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &EmptyProc;
  wc.hInstance = instance;
  wc.lpszClassName = "RswBenchEmptyLoop";
  if (!RegisterClassA(&wc)) return 1;
  const HWND window = CreateWindowExA(0, wc.lpszClassName, "Empty loop", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                      nullptr, instance, nullptr);
  if (!window) return 1;
  SetTimer(window, 1, 250, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
