// Any sequence of property changes: the shown text, tooltip and click target always agree with
// the stored address.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "display/URLLink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rsw::URLLink link([](rsw::TmdLinkType type) { return type == rsw::TmdLinkType::http; });
  std::size_t at = 0;
  while (at < size) {
    const std::uint8_t op = data[at++];
    // an operation byte, then for text a length byte and that many bytes
    std::size_t length = at < size ? data[at++] : 0;
    if (length > size - at) length = size - at;
    const std::string text(reinterpret_cast<const char*>(data + at), length);
    switch (op % 6) {
      case 0:
        link.SetURL(text);
        at += length;
        break;
      case 1:
        link.SetCaption(text);
        at += length;
        break;
      case 2: link.SetShowPrefix(length % 2 == 1); break;
      case 3: link.SetURLAsHint(length % 2 == 1); break;
      case 4: link.SetLinkType(length % 2 == 1 ? rsw::TmdLinkType::mailto : rsw::TmdLinkType::http); break;
      default: link.SetLabelType(static_cast<rsw::TmdLabelType>(length % 3)); break;
    }
    const std::string prefix(link.Prefix());
    if (link.OpenTarget() != prefix + link.URL) std::abort();
    if (link.DisplayText != (link.ShowPrefix ? prefix + link.URL : link.URL)) std::abort();
    if (link.Hint != (link.URLAsHint ? link.DisplayText : std::string())) std::abort();
    if (!link.CaptionSet && link.Caption != link.DisplayText) std::abort();
    if (link.Secure && link.LinkType != rsw::TmdLinkType::http) {
      // only a later type change can make a secure address a mail one; its prefix is then mailto:
      if (prefix != "mailto:") std::abort();
    }
  }
  return 0;
}
