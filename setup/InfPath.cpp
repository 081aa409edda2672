#include "setup/InfPath.h"

namespace rswsetup {

std::size_t WriteInfPath(std::string_view shortDirectory, char* out, std::size_t capacity) {
  const bool separator = !shortDirectory.empty() && shortDirectory.back() != '\\';
  const std::size_t length = shortDirectory.size() + (separator ? 1 : 0) + kInfName.size();
  if (out == nullptr || length + 1 > capacity) return 0;
  std::size_t at = 0;
  for (char c : shortDirectory) out[at++] = c;
  if (separator) out[at++] = '\\';
  for (char c : kInfName) out[at++] = c;
  out[at] = '\0';
  return length;
}

}  // namespace rswsetup
