#include "setup/InfPath.h"

namespace rswsetup {

std::optional<std::string> InfPathFor(std::string_view shortDirectory, std::size_t capacity) {
  std::string path(shortDirectory);
  if (!path.empty() && path.back() != '\\') path += '\\';
  path += kInfName;
  if (path.size() + 1 > capacity) return std::nullopt;
  return path;
}

std::string SetupFailureMessage() {
  return "Cannot find file RSWPRO.INF\r"
         "\r"
         "Maybe the original file is corrupt\r"
         "or you accidentally deleted some setup files.\r"
         "\r"
         "If this problem persists, please\r"
         "contact our customer support at\r"
         "support@vondrel-aske.example";
}

}  // namespace rswsetup
