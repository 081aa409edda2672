// Any text: the conversion either rejects it or gives the number the text spells.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/IntegerText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto value = rsw::ParseInteger(text);
  if (!value) return 0;
  // A decimal result must print back to the digits the text held (less blanks, "+" and zeros).
  if (text.find('$') == std::string::npos) {
    const std::size_t start = text.find_first_not_of(' ');
    const long long reread = std::strtoll(text.c_str() + start, nullptr, 10);
    if (reread != *value) std::abort();
  }
  return 0;
}
