#include "freeandrun/uFreeAndRun.h"

#include <algorithm>
#include <unordered_set>

#include "engine/FreeAmounts.h"

namespace rsw {

namespace {

constexpr std::string_view kDisplay = "Display";
// A name's suffix starts after "Display" and one more character, and is at most this long.
constexpr std::size_t kSuffixStart = 8;
constexpr std::size_t kSuffixLength = 100;

bool IsDisplayName(std::string_view name) { return name.substr(0, kDisplay.size()) == kDisplay; }

std::string SuffixOf(std::string_view name) {
  return name.size() > kSuffixStart ? std::string(name.substr(kSuffixStart, kSuffixLength)) : std::string();
}

unsigned char Lower(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c; }

// What the values in the key claim: every name in upper case (value names ignore case), and the
// entry number each "Display" name reads its other values under.
class NumbersInUse {
 public:
  explicit NumbersInUse(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      m_upperNames.insert(UpperAscii(name));
      if (IsDisplayName(name)) m_displaySuffixes.insert(SuffixOf(name));
    }
  }
  // A number is free when writing its three values would neither touch a value that is there
  // nor complete an entry that some "Display" value already points to.
  bool InUse(const std::string& number) const {
    return m_displaySuffixes.contains(number) || m_upperNames.contains("DISPLAY " + number) ||
           m_upperNames.contains("RUN " + number) || m_upperNames.contains("FREE " + number);
  }

 private:
  std::unordered_set<std::string> m_upperNames;
  std::unordered_set<std::string> m_displaySuffixes;
};

}  // namespace

int AsciiCollation::Compare(std::string_view a, std::string_view b) const {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = Lower(static_cast<unsigned char>(a[i]));
    const unsigned char y = Lower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::int32_t ValidAmountIndex(std::int32_t index) { return index >= 0 && index < kAmountCount ? index : 0; }

bool IsBlankText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

FreeAndRunList::FreeAndRunList(const uRegistry& registry, const TextCollation& collation, std::string keyPath)
    : m_registry(registry), m_collation(collation), m_keyPath(std::move(keyPath)) {}

void FreeAndRunList::LoadFreeAndRunList() {
  if (m_listLoaded) return;
  m_listLoaded = true;
  m_menuDirty = true;
  m_items.clear();
  // Every name, however long: a name too long for a small buffer would hide the ones after it.
  for (const std::string& name : m_registry.ListRegValueNames(m_keyPath, uRegistry::kAnyValueName)) {
    if (!IsDisplayName(name)) continue;
    const std::string suffix = SuffixOf(name);
    TFreeAndRunObject entry;
    entry.Run = m_registry.ReadRegString(m_keyPath, "Run " + suffix, "");
    entry.Free = ValidAmountIndex(m_registry.ReadRegInteger(m_keyPath, "Free " + suffix, 0));
    std::string text = m_registry.ReadRegString(m_keyPath, "Display " + suffix, "");
    if (IsBlankText(text) || IsBlankText(entry.Run)) continue;
    m_items.emplace_back(std::move(text), std::move(entry));
  }
}

void FreeAndRunList::WriteEntry(const std::string& number,
                                const std::pair<std::string, TFreeAndRunObject>& item) const {
  // The menu text last: an entry is found by it, so it is found only once it is whole.
  m_registry.WriteRegString(m_keyPath, "Run " + number, item.second.Run);
  m_registry.WriteRegInteger(m_keyPath, "Free " + number, item.second.Free);
  m_registry.WriteRegString(m_keyPath, "Display " + number, item.first);
}

void FreeAndRunList::DeleteEntryValues(const std::string& number) const {
  // The menu text first, so the entry is gone before any of its parts is.
  m_registry.DeleteRegValue(m_keyPath, "Display " + number);
  m_registry.DeleteRegValue(m_keyPath, "Run " + number);
  m_registry.DeleteRegValue(m_keyPath, "Free " + number);
}

void FreeAndRunList::SaveFreeAndRunList() {
  LoadFreeAndRunList();
  // The list is written beside the old one before the old one goes, so a save that stops at any
  // point (a refused write, the process ending) leaves whole entries and at least one whole list.
  const std::vector<std::string> oldNames = m_registry.ListRegValueNames(m_keyPath, uRegistry::kAnyValueName);
  const std::size_t count = m_items.size();
  std::vector<std::string> numbers;
  numbers.reserve(count);
  {
    const NumbersInUse inUse(oldNames);
    bool finalNumbersFree = true;
    for (std::size_t i = 0; i < count && finalNumbersFree; ++i) finalNumbersFree = !inUse.InUse(std::to_string(i));
    for (std::uint64_t n = finalNumbersFree ? 0 : count; numbers.size() < count; ++n) {
      std::string number = std::to_string(n);
      if (finalNumbersFree || !inUse.InUse(number)) numbers.push_back(std::move(number));
    }
  }
  const bool inPlace = count == 0 || numbers.front() == "0";

  // 1. The new list under numbers nothing uses.
  for (std::size_t i = 0; i < count; ++i) WriteEntry(numbers[i], m_items[i]);

  // 2. Every old value, the menu texts first: no old entry is ever left without one of its parts.
  for (const std::string& name : oldNames) {
    if (IsDisplayName(name)) m_registry.DeleteRegValue(m_keyPath, name);
  }
  for (const std::string& name : oldNames) {
    if (!IsDisplayName(name)) m_registry.DeleteRegValue(m_keyPath, name);
  }
  if (inPlace) return;

  // 3. Each entry to its final number, copied before its old copy goes. A value the registry
  // refused to delete may still sit on a final number: then the list stays whole where it is.
  const NumbersInUse leftOver(m_registry.ListRegValueNames(m_keyPath, uRegistry::kAnyValueName));
  for (std::size_t i = 0; i < count; ++i) {
    if (leftOver.InUse(std::to_string(i))) return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    WriteEntry(std::to_string(i), m_items[i]);
    DeleteEntryValues(numbers[i]);
  }
}

void FreeAndRunList::InsertEntry(std::int32_t amountIndex, std::string_view path, std::string_view menuText) {
  m_items.emplace_back(std::string(menuText), TFreeAndRunObject{std::string(path), ValidAmountIndex(amountIndex)});
  Sort();
}

void FreeAndRunList::AddFreeAndRunEntry(std::int32_t amountIndex, std::string_view path, std::string_view menuText) {
  LoadFreeAndRunList();
  InsertEntry(amountIndex, path, menuText);
  m_menuDirty = true;
  SaveFreeAndRunList();
}

void FreeAndRunList::DeleteFreeAndRunEntry(std::int32_t position) {
  LoadFreeAndRunList();
  if (position < 0 || position >= Count()) return;
  m_items.erase(m_items.begin() + position);
  m_menuDirty = true;
  SaveFreeAndRunList();
}

void FreeAndRunList::ReplaceFreeAndRunEntry(std::int32_t position, std::int32_t amountIndex, std::string_view path,
                                            std::string_view menuText) {
  LoadFreeAndRunList();
  if (position < 0 || position >= Count()) return;
  m_items.erase(m_items.begin() + position);
  InsertEntry(amountIndex, path, menuText);
  m_menuDirty = true;
  SaveFreeAndRunList();
}

std::optional<FreeAndRunEntry> FreeAndRunList::GetFreeAndRunEntry(std::int32_t position) const {
  if (position < 0 || position >= Count()) return std::nullopt;
  const auto& item = m_items[static_cast<std::size_t>(position)];
  return FreeAndRunEntry{item.first, item.second.Run, item.second.Free};
}

void FreeAndRunList::ReleaseFreeAndRunList() { m_items.clear(); }

void FreeAndRunList::Sort() {
  if (m_items.size() < 2) return;
  // A merge sort stays within the list even if the platform's comparison is inconsistent.
  std::stable_sort(m_items.begin(), m_items.end(),
                   [this](const auto& a, const auto& b) { return m_collation.Compare(a.first, b.first) < 0; });
}

std::vector<std::string> FreeAndRunList::MenuTexts() const {
  std::vector<std::string> texts;
  texts.reserve(m_items.size());
  for (const auto& item : m_items) texts.push_back(item.first);
  return texts;
}

}  // namespace rsw
