#pragma once
// What the setup launcher hands to the shell, and what it says when the shell refuses. The
// launcher is a program of its own: nothing here is shared with rswpro. The launcher itself uses
// only the buffer forms, so it carries no string library.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace rswsetup {

// A path of up to 260 characters and its terminating zero.
inline constexpr std::size_t kPathBuffer = 261;
inline constexpr std::string_view kInfName = "RSWPRO.INF";

// Writes the directory, a backslash unless it already ends in one (a drive root), and RSWPRO.INF
// into `out`; the bare file name when the directory is unknown (empty). Returns the length, or 0
// (nothing written) when the result and its terminating zero would not fit into `capacity` bytes.
std::size_t WriteInfPath(std::string_view shortDirectory, char* out, std::size_t capacity);

// The same as a string, or nothing when it would not fit.
inline std::optional<std::string> InfPathFor(std::string_view shortDirectory, std::size_t capacity = kPathBuffer) {
  std::string path(capacity, '\0');
  const std::size_t length = WriteInfPath(shortDirectory, path.data(), capacity);
  if (length == 0) return std::nullopt;
  path.resize(length);
  return path;
}

// Eight lines separated by single carriage returns, none after the last.
inline constexpr const char* kSetupFailureMessage =
    "Cannot find file RSWPRO.INF\r"
    "\r"
    "Maybe the original file is corrupt\r"
    "or you accidentally deleted some setup files.\r"
    "\r"
    "If this problem persists, please\r"
    "contact our customer support at\r"
    "support@vondrel-aske.example";

inline std::string SetupFailureMessage() { return kSetupFailureMessage; }

inline constexpr const char* kSetupTitle = "Ramsweep Setup";

}  // namespace rswsetup
