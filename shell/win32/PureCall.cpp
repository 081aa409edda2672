// A call to a pure function (through an object that is being constructed or destroyed) ends the
// process at once. Without this definition the static link leaves the runtime's weak reference
// unresolved, the function tables hold 0 in those slots, and such a call jumps to address 0,
// which Wine swallows inside a window procedure and Windows may not.
//
// Linked into each program directly (not through a library: a weak reference pulls nothing out of
// an archive).

#include <windows.h>

extern "C" void __cxa_pure_virtual() {
  OutputDebugStringA("Ramsweep Pro: pure function called\n");
  TerminateProcess(GetCurrentProcess(), 3);
  for (;;) {
  }
}
