#pragma once
// The Free-and-Run list: the user's programs to open after a free-up, each with its menu text and
// the amount to free first. Read from the registry once per process, written back in full after
// every change.
//
// Registry format, below the settings key in "Free And Run 4": for the entry at position N the
// values "Display N" (REG_SZ, the menu text), "Run N" (REG_SZ, the path) and "Free N" (REG_DWORD,
// the index into FreeAmounts). Nothing else belongs there; a save removes anything else.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/uRegistry.h"

namespace rsw {

inline constexpr const char* kFreeAndRunKey = "HKEY_CURRENT_USER\\Software\\Vondrel Aske\\Ramsweep Pro\\Free And Run 4";

// Compares two texts in the user's locale without regard to case: negative, 0 or positive.
class TextCollation {
 public:
  virtual ~TextCollation() = default;
  virtual int Compare(std::string_view a, std::string_view b) const = 0;
};

// Letters a to z equal to A to Z, everything else by its byte value; for places without a locale.
class AsciiCollation final : public TextCollation {
 public:
  int Compare(std::string_view a, std::string_view b) const override;
};

struct TFreeAndRunObject {
  std::string Run;        // the path, exactly as chosen (a shortcut stays the shortcut)
  std::int32_t Free = 0;  // index into FreeAmounts, 0..40
};

struct FreeAndRunEntry {
  std::string Display;
  std::string Run;
  std::int32_t Free = 0;
  auto operator<=>(const FreeAndRunEntry&) const = default;
};

// A stored amount index outside FreeAmounts counts as 0 (1 MB), as a missing one does.
std::int32_t ValidAmountIndex(std::int32_t index);

// True when nothing but blanks and control characters is left once both ends are trimmed.
bool IsBlankText(std::string_view text);

class FreeAndRunList {
 public:
  FreeAndRunList(const uRegistry& registry, const TextCollation& collation, std::string keyPath = kFreeAndRunKey);

  // Reads the list unless that has happened before in the life of this object.
  void LoadFreeAndRunList();
  // Makes the key hold exactly the current list, numbered 0..count-1. Throws RegistryError when a
  // value cannot be written; at every moment of a save the key holds only whole entries, and
  // among them the whole previous list or the whole new one.
  void SaveFreeAndRunList();
  // Adds, sorts, marks the menu dirty and saves.
  void AddFreeAndRunEntry(std::int32_t amountIndex, std::string_view path, std::string_view menuText);
  // Removes the entry at `position` (nothing for a position outside the list), marks the menu
  // dirty and saves.
  void DeleteFreeAndRunEntry(std::int32_t position);
  // A change of the entry at `position`: in memory exactly a removal followed by an addition, but
  // one save, so a save that fails leaves the stored entry as it was, never gone. Nothing for a
  // position outside the list.
  void ReplaceFreeAndRunEntry(std::int32_t position, std::int32_t amountIndex, std::string_view path,
                              std::string_view menuText);
  std::optional<FreeAndRunEntry> GetFreeAndRunEntry(std::int32_t position) const;
  void ReleaseFreeAndRunList();

  // By menu text, ignoring case in the user's locale; texts that compare equal keep their order.
  void Sort();
  std::int32_t Count() const { return static_cast<std::int32_t>(m_items.size()); }
  const std::string& MenuText(std::int32_t position) const {
    return m_items.at(static_cast<std::size_t>(position)).first;
  }
  std::vector<std::string> MenuTexts() const;

  bool ListLoaded() const { return m_listLoaded; }
  bool MenuDirty() const { return m_menuDirty; }
  void ClearMenuDirty() { m_menuDirty = false; }
  const std::string& KeyPath() const { return m_keyPath; }

 private:
  // Appends the entry in memory and sorts; nothing is saved.
  void InsertEntry(std::int32_t amountIndex, std::string_view path, std::string_view menuText);
  void WriteEntry(const std::string& number, const std::pair<std::string, TFreeAndRunObject>& item) const;
  void DeleteEntryValues(const std::string& number) const;

  const uRegistry& m_registry;
  const TextCollation& m_collation;
  std::string m_keyPath;
  std::vector<std::pair<std::string, TFreeAndRunObject>> m_items;  // (menu text, entry), owned
  bool m_listLoaded = false;
  bool m_menuDirty = false;
};

}  // namespace rsw
