// A process that keeps saving a Free-and-Run list until it is killed: it loads the list from the
// given key and adds "Extra 0", "Extra 1", ... one at a time, each addition a whole save. Once its
// first value is written it sets the named event, so the test knows the saving has begun.
//   rsw_freeandrun_saver.exe KEYPATH EVENTNAME

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "freeandrun/uFreeAndRun.h"
#include "freeandrun/win32/FreeAndRunController.h"
#include "shell/uRegistry.h"
#include "shell/win32/Win32Registry.h"

namespace {

// The real registry, setting `written` after the first value that was changed.
class SignallingRegistry final : public rsw::RegistryBackend {
 public:
  explicit SignallingRegistry(HANDLE written) : m_written(written) {}
  std::unique_ptr<rsw::RegistryKey> Open(rsw::RootKey root, std::string_view path, rsw::KeyAccess access) override {
    return Wrap(m_real.Open(root, path, access));
  }
  std::unique_ptr<rsw::RegistryKey> Create(rsw::RootKey root, std::string_view path) override {
    return Wrap(m_real.Create(root, path));
  }
  void DeleteKey(rsw::RootKey root, std::string_view path) override { m_real.DeleteKey(root, path); }
  bool DeleteKeyTree(rsw::RootKey root, std::string_view path) override { return m_real.DeleteKeyTree(root, path); }

 private:
  class Key final : public rsw::RegistryKey {
   public:
    Key(HANDLE written, std::unique_ptr<rsw::RegistryKey> inner) : m_written(written), m_inner(std::move(inner)) {}
    std::optional<rsw::RegValue> Query(std::string_view name, std::size_t capacity) const override {
      return m_inner->Query(name, capacity);
    }
    bool Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) override {
      return Signal(m_inner->Set(name, type, data));
    }
    bool DeleteValue(std::string_view name) override { return Signal(m_inner->DeleteValue(name)); }
    std::optional<std::string> ValueName(std::uint32_t index, std::size_t capacity) const override {
      return m_inner->ValueName(index, capacity);
    }

   private:
    bool Signal(bool done) const {
      if (done) SetEvent(m_written);
      return done;
    }
    HANDLE m_written;
    std::unique_ptr<rsw::RegistryKey> m_inner;
  };
  std::unique_ptr<rsw::RegistryKey> Wrap(std::unique_ptr<rsw::RegistryKey> key) const {
    return key ? std::make_unique<Key>(m_written, std::move(key)) : nullptr;
  }

  HANDLE m_written;
  rsw::win32::Win32Registry m_real;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const rsw::win32::ScopedHandle written(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
  if (!written) return 3;
  SignallingRegistry backend(written.Get());
  const rsw::uRegistry registry(backend);
  rsw::win32::Win32Collation collation;
  rsw::FreeAndRunList list(registry, collation, argv[1]);
  list.LoadFreeAndRunList();
  for (int i = 0;; ++i) {
    const std::string n = std::to_string(i);
    list.AddFreeAndRunEntry(i % 41, "C:\\Extra\\" + n + ".exe", "Extra " + n);
  }
}
