#pragma once
// One-call access to single registry values by full path ("HKEY_CURRENT_USER\Software\...").
// Reads never fail (they fall back to the caller's default); writes throw RegistryError.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "shell/RegistryBackend.h"

namespace rsw {

class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RegistryPath {
  RootKey root;
  std::string keyPath;
};

// Splits at the first backslash; the root name matches regardless of case. Throws
// RegistryError("Unknown Root Registry Key: " + upper-cased root) for any other root name.
RegistryPath SplitRegistryPath(std::string_view path);

// Upper-cases the letters a to z only.
std::string UpperAscii(std::string_view text);

class uRegistry {
 public:
  // Strings are read into a 501-byte buffer whose last byte is kept for the terminator.
  static constexpr std::size_t kStringBuffer = 501;

  explicit uRegistry(RegistryBackend& backend) : m_backend(backend) {}

  std::int32_t ReadRegInteger(std::string_view path, std::string_view name, std::int32_t def) const;
  std::int32_t ReadRegDWordOrBinary(std::string_view path, std::string_view name, std::int32_t def) const;
  bool ReadRegBool(std::string_view path, std::string_view name, bool def) const;
  std::string ReadRegString(std::string_view path, std::string_view name, std::string_view def) const;

  void WriteRegInteger(std::string_view path, std::string_view name, std::int32_t value) const;
  void WriteRegBool(std::string_view path, std::string_view name, bool value) const;
  void WriteRegString(std::string_view path, std::string_view name, std::string_view text) const;

  void DeleteRegValue(std::string_view path, std::string_view name) const;
  void DeleteRegKey(std::string_view path) const;
  // Deletes the settings key with every key and value below it; false when refused. Any path but
  // the settings key (an empty one, a root alone, a parent, another program's key) is refused, so
  // no path can remove more than this program's own settings.
  bool DeleteSettingsKeyTree(std::string_view path) const;
  std::vector<std::string> ListRegValueNames(std::string_view path) const;

 private:
  std::int32_t ReadFourBytes(std::string_view path, std::string_view name, std::int32_t def, bool acceptBinary) const;
  void Write(std::string_view path, std::string_view name, RegType type, std::span<const std::uint8_t> data) const;

  RegistryBackend& m_backend;
};

}  // namespace rsw
