#pragma once
// The hyperlink label's rules without a window: how an address is stored and typed, the text and
// tooltip it shows, whether it acts as a link, and what a click opens.

#include <functional>
#include <string>
#include <string_view>

#include "shell/RegistryBackend.h"

namespace rsw {

enum class TmdLabelType { Auto = 0, Passive = 1, Link = 2 };
enum class TmdLinkType { http = 0, mailto = 1 };

inline constexpr std::string_view kPlaceholderWebAddress = "www.example.com";
inline constexpr std::string_view kPlaceholderMailAddress = "someone@example.com";

class URLLink {
 public:
  // Answers whether the system has a handler for a kind of link.
  using AvailabilityProbe = std::function<bool(TmdLinkType)>;

  // Starts as a web link to the placeholder address with the address as its tooltip.
  explicit URLLink(AvailabilityProbe probe);

  void SetURL(std::string_view value);
  void SetLinkType(TmdLinkType value);
  void SetCaption(std::string_view caption);
  void SetShowPrefix(bool value);
  void SetURLAsHint(bool value);
  // True when the type changed, so the label must apply it.
  bool SetLabelType(TmdLabelType value);

  void RefreshURLText();
  void RefreshHint();
  void CheckLinkAvailable();

  // Link behaviour: always, never, or when the system has a handler.
  bool ActsAsLink() const {
    return LabelType == TmdLabelType::Link || (LabelType == TmdLabelType::Auto && LinkAvailable);
  }
  // "http://", "https://" or "mailto:" by the kind of address.
  std::string_view Prefix() const;
  // What a click hands to the shell.
  std::string OpenTarget() const { return std::string(Prefix()) + URL; }

  std::string URL;          // without its "http://", "https://" or "mailto:"
  std::string DisplayText;  // URL, with its prefix when ShowPrefix is set
  std::string Caption;      // the visible text
  std::string Hint;         // the tooltip
  bool ShowPrefix = false;
  bool CaptionSet = false;
  bool Secure = false;  // the address came as "https://" and opens that way
  TmdLabelType LabelType = TmdLabelType::Auto;
  TmdLinkType LinkType = TmdLinkType::http;
  bool LinkAvailable = false;
  bool URLAsHint = false;

 private:
  AvailabilityProbe m_probe;
};

// The open command registered under HKEY_CLASSES_ROOT for a file extension such as ".html", by
// its file type when it names one; "" when there is none.
std::string FindOpenCommand(RegistryBackend& registry, std::string_view extension);

}  // namespace rsw
