#include "shell/win32/ProgramPath.h"

#include <algorithm>
#include <vector>

namespace rsw::win32 {

std::string ModuleFilePath(HMODULE module, std::size_t firstBufferSize) {
  // GetModuleFileName cuts the path to the buffer without saying how long it is: grow the buffer
  // until the path fits (the system allows about 32,767 characters).
  std::vector<char> path(std::max<std::size_t>(firstBufferSize, 2));
  for (;;) {
    const DWORD length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size() - 1) return std::string(path.data(), length);
    if (path.size() >= 65536) return {};
    path.resize(path.size() * 2);
  }
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

}  // namespace rsw::win32
