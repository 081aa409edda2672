#pragma once
// An in-memory registry that counts what is asked of it and can refuse the k-th change (a value
// set or deleted), either that one alone or every change from it on (a process that ended there).

#include <functional>
#include <memory>

#include "shell/MemoryRegistry.h"

namespace rsw::test {

class FaultyRegistry final : public RegistryBackend {
 public:
  enum class Mode { Never, Only, FromThenOn };

  MemoryRegistry& Memory() { return m_memory; }
  void FailAt(int change, Mode mode) {
    m_failAt = change;
    m_mode = mode;
  }
  int Changes() const { return m_changes; }  // attempted so far
  int Opens() const { return m_opens; }      // keys opened or created
  // Called after every change that took place.
  std::function<void()> afterChange;

  std::unique_ptr<RegistryKey> Open(RootKey root, std::string_view path, KeyAccess access) override {
    ++m_opens;
    auto key = m_memory.Open(root, path, access);
    return key ? std::make_unique<Key>(*this, std::move(key)) : nullptr;
  }
  std::unique_ptr<RegistryKey> Create(RootKey root, std::string_view path) override {
    ++m_opens;
    auto key = m_memory.Create(root, path);
    return key ? std::make_unique<Key>(*this, std::move(key)) : nullptr;
  }
  void DeleteKey(RootKey root, std::string_view path) override { m_memory.DeleteKey(root, path); }
  bool DeleteKeyTree(RootKey root, std::string_view path) override { return m_memory.DeleteKeyTree(root, path); }

 private:
  class Key final : public RegistryKey {
   public:
    Key(FaultyRegistry& owner, std::unique_ptr<RegistryKey> inner) : m_owner(owner), m_inner(std::move(inner)) {}
    std::optional<RegValue> Query(std::string_view name, std::size_t capacity) const override {
      return m_inner->Query(name, capacity);
    }
    bool Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) override {
      if (!m_owner.Allow()) return false;
      const bool done = m_inner->Set(name, type, data);
      if (done && m_owner.afterChange) m_owner.afterChange();
      return done;
    }
    bool DeleteValue(std::string_view name) override {
      if (!m_owner.Allow()) return false;
      const bool done = m_inner->DeleteValue(name);
      if (done && m_owner.afterChange) m_owner.afterChange();
      return done;
    }
    std::optional<std::string> ValueName(std::uint32_t index, std::size_t capacity) const override {
      return m_inner->ValueName(index, capacity);
    }

   private:
    FaultyRegistry& m_owner;
    std::unique_ptr<RegistryKey> m_inner;
  };

  bool Allow() {
    const int change = ++m_changes;
    switch (m_mode) {
      case Mode::Never: return true;
      case Mode::Only: return change != m_failAt;
      case Mode::FromThenOn: return change < m_failAt;
    }
    return true;
  }

  MemoryRegistry m_memory;
  Mode m_mode = Mode::Never;
  int m_failAt = 0;
  int m_changes = 0;
  int m_opens = 0;
};

}  // namespace rsw::test
