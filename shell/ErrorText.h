#pragma once

#include <string>

namespace rsw {

// The text of the standard error box: a "." is appended when the last character sorts after "."
// in the character code, so a text ending in ".", " ", "," or "-" is left as it is.
inline std::string ErrorBoxText(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.')) {
    message += '.';
  }
  return message;
}

}  // namespace rsw
