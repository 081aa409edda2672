#pragma once
// The generated part of the tray menu's "Free and &Run" submenu: under "&Manage Entries" a
// separator (tag 999) when there are entries, then one item per entry (tag 1000 + position) with
// the menu text unchanged as its caption, so an "&" marks the next character as the access key.

#include <cstdint>
#include <optional>
#include <string_view>

#include "freeandrun/uFreeAndRun.h"

namespace rsw {

inline constexpr std::int32_t kGeneratedTag = 999;  // this tag and every higher one: generated items
inline constexpr std::int32_t kSeparatorTag = 999;
inline constexpr std::int32_t kFirstEntryTag = 1000;

// Menu commands carry 16 bits. The entries' commands have a range of their own, above every
// control and menu id of the main window (100, 1000-1199, 3000-3099) and below the system
// commands (0xF000 and up). Entries past the range's end get no item.
inline constexpr std::uint32_t kFirstEntryCommand = 20000;
inline constexpr std::int32_t kEntryCommandCount = 40000;  // up to 59999

std::optional<std::uint32_t> EntryCommand(std::int32_t position);
// The tag of the entry item that sends `command`, if it is one.
std::optional<std::int32_t> EntryTagOfCommand(std::uint32_t command);

// What the rebuild needs of the submenu.
class MenuItems {
 public:
  virtual ~MenuItems() = default;
  virtual int Count() const = 0;
  virtual std::int32_t Tag(int position) const = 0;
  virtual void Remove(int position) = 0;
  virtual void AppendSeparator(std::int32_t tag) = 0;
  virtual void AppendItem(std::string_view caption, std::int32_t tag, std::uint32_t command) = 0;
};

// Loads the list and, only when the menu is out of date, replaces the generated items with the
// sorted list's. True when it rebuilt.
bool RebuildFreeAndRunMenu(FreeAndRunList& list, MenuItems& menu);

}  // namespace rsw
