#pragma once
// EXIT: every running instance is asked to close as its "E&xit" does, and waited for.

#include <windows.h>

#include <vector>

namespace rsw::win32 {

// How long EXIT waits for the instances to end. An installer that runs EXIT waits longer than this
// before it gives up on the program.
inline constexpr DWORD kExitDeadlineMs = 15000;

// Every top-level "TfrmRamsweep" window that answers the presence query with the magic number.
std::vector<HWND> FindRunningInstances();

// Asks each running instance to close (WM_CLOSE, which saves its settings and is refused while a
// free-up runs) whenever it can take the request: not while one of its dialogs or Free-and-Run
// forms is open. Asks again until every such process has ended or `deadlineMs` has passed; never
// ends a process by force. True when no instance remains.
bool CloseRunningInstances(DWORD deadlineMs = kExitDeadlineMs);

}  // namespace rsw::win32
