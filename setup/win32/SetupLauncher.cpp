#include "setup/win32/SetupLauncher.h"

#include <shellapi.h>

#include <vector>

#include "setup/InfPath.h"

namespace rswsetup::win32 {

std::string CurrentDirectoryShortForm() {
  // Both calls answer the size they need, terminator included, when the buffer is too small.
  std::vector<char> directory(kPathBuffer, '\0');
  DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(directory.size()), directory.data());
  if (length >= directory.size()) {
    directory.assign(length + 1, '\0');
    length = GetCurrentDirectoryA(static_cast<DWORD>(directory.size()), directory.data());
  }
  if (length == 0 || length >= directory.size()) return {};

  std::vector<char> shortForm(kPathBuffer, '\0');
  length = GetShortPathNameA(directory.data(), shortForm.data(), static_cast<DWORD>(shortForm.size()));
  if (length >= shortForm.size()) {
    shortForm.assign(length + 1, '\0');
    length = GetShortPathNameA(directory.data(), shortForm.data(), static_cast<DWORD>(shortForm.size()));
  }
  if (length == 0 || length >= shortForm.size()) return {};
  return std::string(shortForm.data(), length);
}

int RunSetupLauncher() {
  const auto path = InfPathFor(CurrentDirectoryShortForm());
  bool accepted = false;
  if (path) {
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "install", path->c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    // 0 to 32 are the shell's failure codes; anything else means it took the request.
    accepted = result < 0 || result > 32;
  }
  if (!accepted) {
    MessageBoxA(nullptr, SetupFailureMessage().c_str(), kSetupTitle, MB_OK | MB_ICONEXCLAMATION);
  }
  return 0;
}

}  // namespace rswsetup::win32
