#include "shell/win32/Win32Registry.h"

#include <string>

#include "shell/win32/ScopedHandles.h"

namespace rsw::win32 {

namespace {

HKEY RootHandle(RootKey root) {
  switch (root) {
    case RootKey::CurrentUser: return HKEY_CURRENT_USER;
    case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RootKey::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RootKey::DynData: return HKEY_DYN_DATA;
    case RootKey::Users: return HKEY_USERS;
    case RootKey::CurrentConfig: return HKEY_CURRENT_CONFIG;
  }
  return HKEY_CURRENT_USER;
}

class Win32Key final : public RegistryKey {
 public:
  explicit Win32Key(ScopedHKEY key) : m_key(std::move(key)) {}

  std::optional<RegValue> Query(std::string_view name, std::size_t capacity) const override {
    const std::string valueName(name);
    RegValue value;
    value.data.resize(capacity);
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(capacity);
    // A buffer too small fails with ERROR_MORE_DATA, which is the "does not fit" answer.
    if (RegQueryValueExA(m_key.Get(), valueName.c_str(), nullptr, &type, value.data.data(), &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    value.type = type;
    value.data.resize(size);
    return value;
  }

  bool Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) override {
    const std::string valueName(name);
    return RegSetValueExA(m_key.Get(), valueName.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())) ==
           ERROR_SUCCESS;
  }

  bool DeleteValue(std::string_view name) override {
    const std::string valueName(name);
    return RegDeleteValueA(m_key.Get(), valueName.c_str()) == ERROR_SUCCESS;
  }

  std::optional<std::string> ValueName(std::uint32_t index, std::size_t capacity) const override {
    std::string name(capacity, '\0');
    DWORD length = static_cast<DWORD>(capacity);
    if (RegEnumValueA(m_key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    name.resize(length);
    return name;
  }

 private:
  ScopedHKEY m_key;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::Open(RootKey root, std::string_view path, KeyAccess access) {
  const std::string keyPath(path);
  ScopedHKEY key;
  const REGSAM sam = access == KeyAccess::SetValue ? KEY_SET_VALUE : KEY_QUERY_VALUE;
  if (RegOpenKeyExA(RootHandle(root), keyPath.c_str(), 0, sam, key.Receive()) != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32Key>(std::move(key));
}

std::unique_ptr<RegistryKey> Win32Registry::Create(RootKey root, std::string_view path) {
  const std::string keyPath(path);
  ScopedHKEY key;
  if (RegCreateKeyExA(RootHandle(root), keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(std::move(key));
}

void Win32Registry::DeleteKey(RootKey root, std::string_view path) {
  if (path.empty()) return;  // a root key itself is never deleted
  const std::string keyPath(path);
  RegDeleteKeyA(RootHandle(root), keyPath.c_str());
}

bool Win32Registry::DeleteKeyTree(RootKey root, std::string_view path) {
  // RegDeleteTree with an empty path would empty the root key itself.
  if (!NamesKeyBelowRoot(path)) return false;
  const std::string keyPath(path);
  const LSTATUS status = RegDeleteTreeA(RootHandle(root), keyPath.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace rsw::win32
