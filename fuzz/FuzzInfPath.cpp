// Any directory text and buffer size: the launcher's path either fits the buffer with its
// terminator and ends in the file name after exactly one separator, or is refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "setup/InfPath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // the first two bytes choose the capacity (0 to 65535), the rest is the directory
  const std::size_t capacity = std::size_t{data[0]} | std::size_t{data[1]} << 8;
  const std::string directory(reinterpret_cast<const char*>(data + 2), size - 2);
  for (const std::size_t limit : {capacity, rswsetup::kPathBuffer}) {
    const auto path = rswsetup::InfPathFor(directory, limit);
    if (!path) continue;
    if (path->size() + 1 > limit) std::abort();
    const std::string_view name = rswsetup::kInfName;
    if (path->size() < name.size() || path->compare(path->size() - name.size(), name.size(), name) != 0) std::abort();
    const std::string head = path->substr(0, path->size() - name.size());
    if (directory.empty() ? !head.empty() : (head.back() != '\\' || head.substr(0, directory.size()) != directory)) {
      std::abort();
    }
    if (head.size() >= 2 && head[head.size() - 2] == '\\' && directory.back() != '\\') std::abort();
  }
  return 0;
}
