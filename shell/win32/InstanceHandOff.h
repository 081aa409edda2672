#pragma once
// Finding a running instance of the program and handing a command line over to it.

#include <windows.h>

#include "shell/CommandLine.h"

namespace rsw::win32 {

// A window that stops answering the presence query for this long counts as not running, so a
// hung instance cannot block every later start.
inline constexpr UINT kPresenceTimeoutMs = 5000;

// Whether `window` is of class "TfrmRamsweep" and answers the presence query with the magic number
// within `timeoutMs`.
bool IsRunningInstance(HWND window, UINT timeoutMs);

// The first top-level window of class "TfrmRamsweep" that answers the presence query with the
// magic number, or nullptr.
HWND FindRunningInstance(UINT timeoutMs = kPresenceTimeoutMs);

// Posts WM_REMOTE_FREEUP with the request, or WM_REMOTE_SHOW when there was none.
void HandOff(HWND running, bool hasRequest, const CommandLineRequest& request);

}  // namespace rsw::win32
