#pragma once
// An in-memory registry with the Windows registry's semantics: key and value names compare
// without regard to case, values keep their type and bytes, keys are created with their parents
// on write, names have Windows' length limits, and a key with subkeys cannot be deleted (as on
// Windows NT). Values enumerate in the order of creation, as Windows does; Wine enumerates them
// by name, so callers must not rely on either order.

#include <map>
#include <memory>
#include <string>

#include "shell/RegistryBackend.h"

namespace rsw {

class MemoryRegistry final : public RegistryBackend {
 public:
  struct Node;

  MemoryRegistry();
  ~MemoryRegistry() override;

  std::unique_ptr<RegistryKey> Open(RootKey root, std::string_view path, KeyAccess access) override;
  std::unique_ptr<RegistryKey> Create(RootKey root, std::string_view path) override;
  void DeleteKey(RootKey root, std::string_view path) override;
  bool DeleteKeyTree(RootKey root, std::string_view path) override;

  // Makes every key below `path` refuse writes, as an access-denied key does.
  void SetReadOnly(RootKey root, std::string_view path, bool readOnly);
  // Number of keys currently open; a leak shows as a count that does not return to 0.
  int OpenKeys() const { return m_openKeys; }

 private:
  std::shared_ptr<Node> Find(RootKey root, std::string_view path, bool create);

  std::map<RootKey, std::shared_ptr<Node>> m_roots;
  int m_openKeys = 0;
  friend class MemoryKey;
};

}  // namespace rsw
