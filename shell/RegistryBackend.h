#pragma once
// What the registry facade needs from a registry: keys opened by root and path, typed values
// read into a bounded buffer, writes, deletions and value enumeration. The Windows registry
// implements it for the program; an in-memory registry with the same semantics serves the tests.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rsw {

enum class RootKey { CurrentUser, LocalMachine, ClassesRoot, DynData, Users, CurrentConfig };

// The Windows value type numbers.
enum class RegType : std::uint32_t { None = 0, String = 1, ExpandString = 2, Binary = 3, DWord = 4 };

struct RegValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

enum class KeyAccess { QueryValue, SetValue };

// An open key; closed when the object goes.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // The value, when it exists and its data fits into `capacity` bytes.
  virtual std::optional<RegValue> Query(std::string_view name, std::size_t capacity) const = 0;
  virtual bool Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) = 0;
  virtual bool DeleteValue(std::string_view name) = 0;
  // The name of the value at `index`, when there is one and it fits into `capacity` characters
  // with its terminating zero.
  virtual std::optional<std::string> ValueName(std::uint32_t index, std::size_t capacity) const = 0;
};

// A key path that names a key below a root: not empty, and no part of it empty.
inline bool NamesKeyBelowRoot(std::string_view path) {
  if (path.empty() || path.front() == '\\' || path.back() == '\\') return false;
  return path.find("\\\\") == std::string_view::npos;
}

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;
  // nullptr when the key does not exist or cannot be opened with that access.
  virtual std::unique_ptr<RegistryKey> Open(RootKey root, std::string_view path, KeyAccess access) = 0;
  // Opens the key for setting values, creating it and its missing parents; nullptr on failure.
  virtual std::unique_ptr<RegistryKey> Create(RootKey root, std::string_view path) = 0;
  // Deletes the key at `path` below `root`; the outcome is not reported.
  virtual void DeleteKey(RootKey root, std::string_view path) = 0;
  // Deletes the key at `path` with every key and value below it. Refuses (false) a path that does
  // not name a key below the root: empty, or with an empty part ("\\", a leading or trailing
  // backslash), so that no path can ever empty a whole hive. True when the key is gone or was
  // never there.
  virtual bool DeleteKeyTree(RootKey root, std::string_view path) = 0;
};

}  // namespace rsw
