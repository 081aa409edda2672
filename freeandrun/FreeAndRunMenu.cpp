#include "freeandrun/FreeAndRunMenu.h"

#include <algorithm>
#include <vector>

namespace rsw {

std::optional<std::uint32_t> EntryCommand(std::int32_t position) {
  if (position < 0 || position >= kEntryCommandCount) return std::nullopt;
  return kFirstEntryCommand + static_cast<std::uint32_t>(position);
}

std::optional<std::int32_t> EntryTagOfCommand(std::uint32_t command) {
  if (command < kFirstEntryCommand || command - kFirstEntryCommand >= static_cast<std::uint32_t>(kEntryCommandCount)) {
    return std::nullopt;
  }
  return kFirstEntryTag + static_cast<std::int32_t>(command - kFirstEntryCommand);
}

bool RebuildFreeAndRunMenu(FreeAndRunList& list, MenuItems& menu) {
  list.LoadFreeAndRunList();
  if (!list.MenuDirty()) return false;
  // Collect first, remove afterwards, from the bottom up so the positions stay right.
  std::vector<int> generated;
  for (int i = 0; i < menu.Count(); ++i) {
    if (menu.Tag(i) >= kGeneratedTag) generated.push_back(i);
  }
  for (auto it = generated.rbegin(); it != generated.rend(); ++it) menu.Remove(*it);

  list.Sort();
  if (list.Count() > 0) menu.AppendSeparator(kSeparatorTag);
  const std::int32_t shown = std::min(list.Count(), kEntryCommandCount);
  for (std::int32_t i = 0; i < shown; ++i) menu.AppendItem(list.MenuText(i), kFirstEntryTag + i, *EntryCommand(i));
  list.ClearMenuDirty();
  return true;
}

}  // namespace rsw
