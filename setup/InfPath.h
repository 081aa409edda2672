#pragma once
// What the setup launcher hands to the shell, and what it says when the shell refuses. The
// launcher is a program of its own: nothing here is shared with rswpro.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace rswsetup {

// A path of up to 260 characters and its terminating zero.
inline constexpr std::size_t kPathBuffer = 261;
inline constexpr std::string_view kInfName = "RSWPRO.INF";

// The directory, a backslash unless it already ends in one (a drive root), and RSWPRO.INF; the
// bare file name when the directory is unknown (empty). Nothing when the result and its
// terminating zero would not fit into `capacity` bytes.
std::optional<std::string> InfPathFor(std::string_view shortDirectory, std::size_t capacity = kPathBuffer);

// Eight lines separated by single carriage returns, none after the last.
std::string SetupFailureMessage();

inline constexpr const char* kSetupTitle = "Ramsweep Setup";

}  // namespace rswsetup
