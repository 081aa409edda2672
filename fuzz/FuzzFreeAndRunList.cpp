// Any values in the Free-and-Run key, and a save that stops at any change: loading never indexes
// outside the amounts, keeps only entries with a menu text and a path, and whatever a stopped save
// leaves holds whole entries and one whole list; a save that goes through keeps every entry.
//
// Input: records of [kind][name length][name][data length][data], then two bytes: the change at
// which the save stops (0: it does not). Its lowest bits choose what is saved: the first entry
// removed (bit 0) or changed (bit 1), else an entry added.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/FreeAmounts.h"
#include "freeandrun/uFreeAndRun.h"
#include "shell/MemoryRegistry.h"

namespace {

constexpr const char* kKeyBelowRoot = "Software\\Vondrel Aske\\Ramsweep Pro\\Free And Run 4";
constexpr const char* kStems[] = {"Display ", "Run ", "Free ", "Display", "", "display "};
constexpr std::uint32_t kTypes[] = {1, 4, 3, 2, 0};

// Refuses every change from the k-th on, as a process that ended there.
class StoppingRegistry final : public rsw::RegistryBackend {
 public:
  explicit StoppingRegistry(rsw::MemoryRegistry& memory) : m_memory(memory) {}
  int stopAt = 0;
  int changes = 0;
  std::unique_ptr<rsw::RegistryKey> Open(rsw::RootKey root, std::string_view path, rsw::KeyAccess access) override {
    auto key = m_memory.Open(root, path, access);
    return key ? std::make_unique<Key>(*this, std::move(key)) : nullptr;
  }
  std::unique_ptr<rsw::RegistryKey> Create(rsw::RootKey root, std::string_view path) override {
    auto key = m_memory.Create(root, path);
    return key ? std::make_unique<Key>(*this, std::move(key)) : nullptr;
  }
  void DeleteKey(rsw::RootKey root, std::string_view path) override { m_memory.DeleteKey(root, path); }
  bool DeleteKeyTree(rsw::RootKey root, std::string_view path) override { return m_memory.DeleteKeyTree(root, path); }

 private:
  class Key final : public rsw::RegistryKey {
   public:
    Key(StoppingRegistry& owner, std::unique_ptr<rsw::RegistryKey> inner) : m_owner(owner), m_inner(std::move(inner)) {}
    std::optional<rsw::RegValue> Query(std::string_view name, std::size_t capacity) const override {
      return m_inner->Query(name, capacity);
    }
    bool Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) override {
      return m_owner.Allow() && m_inner->Set(name, type, data);
    }
    bool DeleteValue(std::string_view name) override { return m_owner.Allow() && m_inner->DeleteValue(name); }
    std::optional<std::string> ValueName(std::uint32_t index, std::size_t capacity) const override {
      return m_inner->ValueName(index, capacity);
    }

   private:
    StoppingRegistry& m_owner;
    std::unique_ptr<rsw::RegistryKey> m_inner;
  };
  bool Allow() { return stopAt == 0 || ++changes < stopAt; }
  rsw::MemoryRegistry& m_memory;
};

std::vector<rsw::FreeAndRunEntry> Entries(const rsw::FreeAndRunList& list) {
  std::vector<rsw::FreeAndRunEntry> entries;
  for (std::int32_t i = 0; i < list.Count(); ++i) entries.push_back(*list.GetFreeAndRunEntry(i));
  return entries;
}

std::vector<rsw::FreeAndRunEntry> Load(rsw::MemoryRegistry& memory) {
  const rsw::uRegistry registry(memory);
  const rsw::AsciiCollation collation;
  rsw::FreeAndRunList list(registry, collation);
  list.LoadFreeAndRunList();
  auto entries = Entries(list);
  for (const auto& e : entries) {
    if (e.Free < 0 || e.Free >= rsw::kAmountCount || rsw::IsBlankText(e.Display) || rsw::IsBlankText(e.Run)) {
      std::abort();
    }
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

bool Contains(const std::vector<rsw::FreeAndRunEntry>& list, const rsw::FreeAndRunEntry& e) {
  return std::find(list.begin(), list.end(), e) != list.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int stopAt = data[size - 2] | data[size - 1] << 8;
  size -= 2;

  rsw::MemoryRegistry memory;
  {
    auto key = memory.Create(rsw::RootKey::CurrentUser, kKeyBelowRoot);
    std::size_t at = 0;
    while (at + 2 <= size) {
      const std::uint8_t kind = data[at];
      const std::size_t nameLength = std::min<std::size_t>(data[at + 1], size - at - 2);
      at += 2;
      std::string name = kStems[kind % 6] + std::string(reinterpret_cast<const char*>(data + at), nameLength);
      at += nameLength;
      std::size_t dataLength = 0;
      if (at < size) {
        dataLength = std::min<std::size_t>(data[at], size - at - 1);
        ++at;
      }
      key->Set(name, kTypes[(kind / 6) % 5], std::span<const std::uint8_t>(data + at, dataLength));
      at += dataLength;
    }
  }

  auto oldList = Load(memory);
  // A text or path that only just fitted without its terminator cannot be read once saved.
  std::erase_if(oldList, [](const rsw::FreeAndRunEntry& e) { return e.Display.size() >= 500 || e.Run.size() >= 500; });

  StoppingRegistry stopping(memory);
  stopping.stopAt = stopAt;
  const rsw::uRegistry registry(stopping);
  const rsw::AsciiCollation collation;
  rsw::FreeAndRunList list(registry, collation);
  list.LoadFreeAndRunList();
  try {
    if (list.Count() > 0 && (stopAt & 1)) {
      list.DeleteFreeAndRunEntry(0);
    } else if (list.Count() > 0 && (stopAt & 2)) {
      list.ReplaceFreeAndRunEntry(0, static_cast<std::int32_t>(stopAt) - 100, "C:\\new.exe", "New entry");
    } else {
      list.AddFreeAndRunEntry(static_cast<std::int32_t>(stopAt) - 100, "C:\\new.exe", "New entry");
    }
  } catch (const rsw::RegistryError&) {
    // the save stopped
  }
  auto newList = Entries(list);
  std::sort(newList.begin(), newList.end());
  std::erase_if(newList, [](const rsw::FreeAndRunEntry& e) { return e.Display.size() >= 500 || e.Run.size() >= 500; });

  const auto after = Load(memory);
  for (const auto& e : after) {
    if (!Contains(oldList, e) && !Contains(newList, e) && e.Display.size() < 500 && e.Run.size() < 500) std::abort();
  }
  // a stopped save keeps one list whole; one that went through keeps exactly the new list
  const bool oldWhole = std::includes(after.begin(), after.end(), oldList.begin(), oldList.end());
  const bool newWhole = std::includes(after.begin(), after.end(), newList.begin(), newList.end());
  if (!oldWhole && !newWhole) std::abort();
  if (stopAt == 0 && after != newList) std::abort();
  return 0;
}
