// Any registry path: the split either names one of the six roots with the rest after the first
// backslash as the key path, or rejects the root with the fixed message; a value written through
// the path over the in-memory registry reads back, and no key is left open.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shell/MemoryRegistry.h"
#include "shell/uRegistry.h"

namespace {

constexpr std::string_view kRoots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT",
                                       "HKEY_DYN_DATA",     "HKEY_USERS",         "HKEY_CURRENT_CONFIG"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);
  const std::size_t slash = path.find('\\');
  const std::string rootName = rsw::UpperAscii(std::string_view(path).substr(0, slash));
  const std::string expectedKey = slash == std::string::npos ? std::string() : path.substr(slash + 1);

  bool known = false;
  for (std::string_view root : kRoots) known = known || root == rootName;

  try {
    const rsw::RegistryPath split = rsw::SplitRegistryPath(path);
    if (!known) std::abort();
    if (split.keyPath != expectedKey) std::abort();
    if (rootName != kRoots[static_cast<int>(split.root)]) std::abort();
  } catch (const rsw::RegistryError& error) {
    if (known) std::abort();
    // the message as a C string: up to a zero byte the path may carry
    const std::string message = "Unknown Root Registry Key: " + rootName;
    if (std::string(error.what()) != message.substr(0, message.find('\0'))) std::abort();
    return 0;
  }

  // The whole path handling: a write through it either fails with its fixed message or reads back.
  rsw::MemoryRegistry memory;
  const rsw::uRegistry registry(memory);
  try {
    registry.WriteRegInteger(path, "Value", 4711);
    if (registry.ReadRegInteger(path, "Value", -1) != 4711) std::abort();
    registry.DeleteRegValue(path, "Value");
    if (registry.ReadRegInteger(path, "Value", -1) != -1) std::abort();
  } catch (const rsw::RegistryError& error) {
    const std::string text = error.what();
    if (!text.starts_with("Cannot create Key: ") && !text.starts_with("Cannot create Entry: ")) std::abort();
  }
  if (memory.OpenKeys() != 0) std::abort();
  return 0;
}
