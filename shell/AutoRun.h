#pragma once
// Running with Windows: the log-on entry under the current user's Run key, shared by the main
// window's save and by the installer's INSTALL and UNINSTALL words.

#include <string>
#include <string_view>

#include "shell/uRegistry.h"

namespace rsw {

inline constexpr const char* kRunKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "Ramsweep Pro";

// The entry's command: the quoted program path followed by " Startup".
std::string AutoRunCommand(std::string_view programPath);

// Writes the entry for `programPath` when `autoRun` is set, otherwise removes it (silently when it
// is absent). Throws RegistryError when the entry cannot be written.
void WriteAutoRunEntry(const uRegistry& registry, bool autoRun, std::string_view programPath);

// INSTALL: keeps a switched-off start-up free-up off (only the entry goes); otherwise switches it
// on with the stored values, or 1 MB, 1 pass and a 1-second countdown where none are stored, and
// points the entry at `programPath`. Throws RegistryError when a write fails.
void InstallAutoRun(const uRegistry& registry, std::string_view programPath);

// UNINSTALL: removes the entry and the settings key with everything below it; the maker's key
// above it stays.
void UninstallAutoRun(const uRegistry& registry);

}  // namespace rsw
