#pragma once
// The Windows registry behind uRegistry.

#include "shell/RegistryBackend.h"

namespace rsw::win32 {

class Win32Registry final : public RegistryBackend {
 public:
  std::unique_ptr<RegistryKey> Open(RootKey root, std::string_view path, KeyAccess access) override;
  std::unique_ptr<RegistryKey> Create(RootKey root, std::string_view path) override;
  void DeleteKey(RootKey root, std::string_view path) override;
  bool DeleteKeyTree(RootKey root, std::string_view path) override;
};

}  // namespace rsw::win32
