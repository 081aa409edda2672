#include "setup/win32/SetupLauncher.h"

#include <shellapi.h>

#include "setup/InfPath.h"

namespace rswsetup::win32 {

namespace {

// Paths of every length Windows allows (32,767 characters and the zero), on the stack: the
// program then carries no 64 KB of zeros in its file.
constexpr DWORD kLongestPath = 32768;

}  // namespace

DWORD CurrentDirectoryShortForm(char* out, DWORD capacity) {
  // Both calls answer the size they need, terminator included, when the buffer is too small.
  char directory[kLongestPath];
  const DWORD length = GetCurrentDirectoryA(kLongestPath, directory);
  if (length == 0 || length >= kLongestPath) return 0;
  const DWORD shortLength = GetShortPathNameA(directory, out, capacity);
  return shortLength == 0 || shortLength >= capacity ? 0 : shortLength;
}

int RunSetupLauncher() {
  char shortForm[kLongestPath];
  const DWORD directoryLength = CurrentDirectoryShortForm(shortForm, kLongestPath);
  char path[kPathBuffer];
  const std::size_t pathLength = WriteInfPath(std::string_view(shortForm, directoryLength), path, sizeof path);
  bool accepted = false;
  if (pathLength != 0) {
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "install", path, nullptr, nullptr, SW_SHOWNORMAL));
    // 0 to 32 are the shell's failure codes; anything else means it took the request.
    accepted = result < 0 || result > 32;
  }
  if (!accepted) MessageBoxA(nullptr, kSetupFailureMessage, kSetupTitle, MB_OK | MB_ICONEXCLAMATION);
  return 0;
}

}  // namespace rswsetup::win32
