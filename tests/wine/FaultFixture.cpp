// A program that faults inside its own window procedure while its window ends, where Wine catches
// the fault and goes on: the fault net's fixture. `null-write` writes through a null pointer (the fault lies in this
// program), `null-call` calls through an empty function slot (the fault lies at address 0).
// Ends with 0 once its window has ended, as a program would that Wine let go on. `pure-call` calls
// a pure function through an object under construction, which the program's handler ends at once.

#include <windows.h>

#include <cstring>

namespace {

const char* g_mode = "";
bool g_armed = false;

LRESULT CALLBACK FixtureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WINDOWPOSCHANGING && g_armed) {
    g_armed = false;
    if (std::strcmp(g_mode, "null-write") == 0) {
      volatile int* nowhere = nullptr;
      *nowhere = 1;
    } else if (std::strcmp(g_mode, "null-call") == 0) {
      void (*volatile empty)() = nullptr;
      empty();
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

struct Base;
Base* volatile g_underConstruction = nullptr;
void CallPure();

// Its constructor calls a pure function while the object is still only a Base (through a pointer
// the compiler cannot see through, as a window procedure would).
struct Base {
  Base() {
    g_underConstruction = this;
    CallPure();
  }
  virtual ~Base() = default;
  virtual void Pure() = 0;
};

__attribute__((noinline)) void CallPure() { g_underConstruction->Pure(); }
struct Derived final : Base {
  void Pure() override {}
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  g_mode = commandLine;
  if (std::strcmp(g_mode, "pure-call") == 0) {
    Derived derived;
    return 1;  // not reached: the pure call ends the program
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = &FixtureProc;
  wc.hInstance = instance;
  wc.lpszClassName = "RswFaultFixture";
  if (!RegisterClassA(&wc)) return 2;
  const HWND window =
      CreateWindowA(wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
  if (!window) return 2;
  // Ending a shown window hides it first; Wine catches a fault in the message that sends.
  g_armed = true;
  DestroyWindow(window);
  return 0;
}
