#pragma once
// rswsetup's Windows side: the current directory's short form and the hand-over to the shell.

#include <windows.h>

#include <string>

namespace rswsetup::win32 {

// The short (8.3) form of the current directory, read whole however long it is, into `out`
// (`capacity` bytes); its length, or 0 when the directory or its short form cannot be read or
// would not fit.
DWORD CurrentDirectoryShortForm(char* out, DWORD capacity);

// The same as a string; "" when it cannot be read.
inline std::string CurrentDirectoryShortForm() {
  std::string shortForm(32768, '\0');
  shortForm.resize(CurrentDirectoryShortForm(shortForm.data(), static_cast<DWORD>(shortForm.size())));
  return shortForm;
}

// Hands RSWPRO.INF in the current directory to the shell's "install" verb; shows the failure
// message when the shell refuses or the path does not fit. Returns the exit code, always 0.
int RunSetupLauncher();

}  // namespace rswsetup::win32
