#include "shell/uRegistry.h"

#include <array>
#include <cstring>

#include "shell/SettingsKey.h"

namespace rsw {

namespace {

struct RootName {
  std::string_view name;
  RootKey root;
};

constexpr std::array<RootName, 6> kRootNames{{
    {"HKEY_CURRENT_USER", RootKey::CurrentUser},
    {"HKEY_LOCAL_MACHINE", RootKey::LocalMachine},
    {"HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
    {"HKEY_DYN_DATA", RootKey::DynData},
    {"HKEY_USERS", RootKey::Users},
    {"HKEY_CURRENT_CONFIG", RootKey::CurrentConfig},
}};

std::array<std::uint8_t, 4> LittleEndian(std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 24)};
}

}  // namespace

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

RegistryPath SplitRegistryPath(std::string_view path) {
  const std::size_t slash = path.find('\\');
  const std::string rootName = UpperAscii(path.substr(0, slash));
  const std::string_view keyPath = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
  for (const RootName& entry : kRootNames) {
    if (entry.name == rootName) return {entry.root, std::string(keyPath)};
  }
  throw RegistryError("Unknown Root Registry Key: " + rootName);
}

std::int32_t uRegistry::ReadFourBytes(std::string_view path, std::string_view name, std::int32_t def,
                                      bool acceptBinary) const {
  const RegistryPath where = SplitRegistryPath(path);
  const auto key = m_backend.Open(where.root, where.keyPath, KeyAccess::QueryValue);
  if (!key) return def;
  const auto value = key->Query(name, 4);
  if (!value || value->data.size() != 4) return def;
  const bool typeOk = value->type == static_cast<std::uint32_t>(RegType::DWord) ||
                      (acceptBinary && value->type == static_cast<std::uint32_t>(RegType::Binary));
  if (!typeOk) return def;
  const auto& d = value->data;
  return static_cast<std::int32_t>(std::uint32_t{d[0]} | std::uint32_t{d[1]} << 8 | std::uint32_t{d[2]} << 16 |
                                   std::uint32_t{d[3]} << 24);
}

std::int32_t uRegistry::ReadRegInteger(std::string_view path, std::string_view name, std::int32_t def) const {
  return ReadFourBytes(path, name, def, false);
}

std::int32_t uRegistry::ReadRegDWordOrBinary(std::string_view path, std::string_view name, std::int32_t def) const {
  return ReadFourBytes(path, name, def, true);
}

bool uRegistry::ReadRegBool(std::string_view path, std::string_view name, bool def) const {
  switch (ReadRegInteger(path, name, -1)) {
    case 1: return true;
    case 0: return false;
    default: return def;
  }
}

std::string uRegistry::ReadRegString(std::string_view path, std::string_view name, std::string_view def) const {
  const RegistryPath where = SplitRegistryPath(path);
  const auto key = m_backend.Open(where.root, where.keyPath, KeyAccess::QueryValue);
  if (!key) return std::string(def);
  const auto value = key->Query(name, kStringBuffer - 1);
  if (!value || value->type != static_cast<std::uint32_t>(RegType::String)) return std::string(def);
  const auto& d = value->data;
  const auto* text = reinterpret_cast<const char*>(d.data());
  return std::string(text, strnlen(text, d.size()));
}

void uRegistry::Write(std::string_view path, std::string_view name, RegType type,
                      std::span<const std::uint8_t> data) const {
  const RegistryPath where = SplitRegistryPath(path);
  const auto key = m_backend.Create(where.root, where.keyPath);
  if (!key) throw RegistryError("Cannot create Key: " + std::string(path));
  if (!key->Set(name, static_cast<std::uint32_t>(type), data)) {
    throw RegistryError("Cannot create Entry: " + std::string(name) + " in Key: " + std::string(path));
  }
}

void uRegistry::WriteRegInteger(std::string_view path, std::string_view name, std::int32_t value) const {
  const auto bytes = LittleEndian(value);
  Write(path, name, RegType::DWord, bytes);
}

void uRegistry::WriteRegBool(std::string_view path, std::string_view name, bool value) const {
  WriteRegInteger(path, name, value ? 1 : 0);
}

void uRegistry::WriteRegString(std::string_view path, std::string_view name, std::string_view text) const {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  Write(path, name, RegType::String, bytes);
}

void uRegistry::DeleteRegValue(std::string_view path, std::string_view name) const {
  const RegistryPath where = SplitRegistryPath(path);
  if (const auto key = m_backend.Open(where.root, where.keyPath, KeyAccess::SetValue)) {
    key->DeleteValue(name);
  }
}

void uRegistry::DeleteRegKey(std::string_view path) const {
  const RegistryPath where = SplitRegistryPath(path);
  m_backend.DeleteKey(where.root, where.keyPath);
}

bool uRegistry::DeleteSettingsKeyTree(std::string_view path) const {
  const RegistryPath where = SplitRegistryPath(path);
  const RegistryPath settings = SplitRegistryPath(kSettingsKey);
  if (where.root != settings.root || UpperAscii(where.keyPath) != UpperAscii(settings.keyPath)) return false;
  return m_backend.DeleteKeyTree(where.root, where.keyPath);
}

std::vector<std::string> uRegistry::ListRegValueNames(std::string_view path) const {
  const RegistryPath where = SplitRegistryPath(path);
  std::vector<std::string> names;
  const auto key = m_backend.Open(where.root, where.keyPath, KeyAccess::QueryValue);
  if (!key) return names;
  for (std::uint32_t index = 0;; ++index) {
    auto name = key->ValueName(index, kStringBuffer);
    if (!name) break;
    names.push_back(std::move(*name));
  }
  return names;
}

}  // namespace rsw
