#pragma once
// rswsetup's Windows side: the current directory's short form and the hand-over to the shell.

#include <windows.h>

#include <string>

namespace rswsetup::win32 {

// The short (8.3) form of the current directory, read whole however long it is; "" when the
// directory or its short form cannot be read.
std::string CurrentDirectoryShortForm();

// Hands RSWPRO.INF in the current directory to the shell's "install" verb; shows the failure
// message when the shell refuses or the path does not fit. Returns the exit code, always 0.
int RunSetupLauncher();

}  // namespace rswsetup::win32
