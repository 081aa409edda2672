#pragma once
// Texts and small rules of the Free-and-Run forms that need no window.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rsw {

inline constexpr const char* kBrowseHint = "Please select the program to run using the \"Browse\" button";
inline constexpr const char* kProgramNotFoundText =
    "The program you are trying to run was not found. Please choose \"Manage Entries\" to specify the correct "
    "location for the program.";
inline constexpr const char* kStartMenuFolderKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kStartMenuFolderValue = "Start Menu";

// A string value is read with at most 500 bytes, its terminator included: longer menu texts and
// paths would be lost at the next start, so the forms take at most this many characters.
inline constexpr std::size_t kMaxEntryText = 499;

// The file name without its folder and without its extension ("C:\Tools\Editor.exe" -> "Editor").
std::string BareName(std::string_view path);
// The folder part with its trailing delimiter ("" for a bare name).
std::string FolderPart(std::string_view path);
// The menu text proposed for a program and an amount: "Editor (16 MB)".
std::string ProposedMenuText(std::string_view bareName, std::string_view amountCaption);

// The last position whose text equals `text` exactly (letter case counts), or -1.
int LastExactMatch(const std::vector<std::string>& texts, std::string_view text);
// The position to select after removing the one at `removed`: the entry that followed, or the
// new last one, or -1 when the list is empty.
int SelectionAfterRemove(int removed, int countAfter);

struct BrowseStart {
  std::string folder;    // where the file dialog opens
  std::string fileName;  // proposed in it
};
// With a program chosen, its folder and the program; otherwise the Start Menu folder.
BrowseStart BrowseStartFor(std::string_view runText, std::string_view runPath, std::string_view startMenuFolder);

}  // namespace rsw
