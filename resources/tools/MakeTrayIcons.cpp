// Writes the tray pictures and the application icon, each at all its sizes, as .ico files into the folder given on the
// command line, for the resource script to embed:  MakeTrayIcons resources/icons

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "display/TrayIconPictures.h"

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: MakeTrayIcons <folder>\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "MakeTrayIcons: cannot create %s: %s\n", folder.string().c_str(), error.message().c_str());
    return 1;
  }
  for (std::string_view name : rsw::kPictureNames) {
    // every size the picture comes in, in one file
    const std::vector<std::uint8_t> bytes = rsw::EncodeIcoFile(name);
    if (bytes.empty()) {
      std::fprintf(stderr, "MakeTrayIcons: no picture named %.*s\n", static_cast<int>(name.size()), name.data());
      return 1;
    }
    const std::filesystem::path file = folder / (std::string(name) + ".ico");
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "MakeTrayIcons: cannot write %s\n", file.string().c_str());
      return 1;
    }
  }
  return 0;
}
