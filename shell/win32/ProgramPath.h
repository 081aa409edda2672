#pragma once
// The program's own file and folder, read whole however deep the folder is.

#include <windows.h>

#include <string>

namespace rsw::win32 {

// The full path of the module's file ("" only when the system cannot tell).
// nullptr: the program's own executable. The first buffer's size only matters to tests.
std::string ModuleFilePath(HMODULE module = nullptr, std::size_t firstBufferSize = MAX_PATH);

// The folder part of a path with its trailing backslash ("" for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace rsw::win32
