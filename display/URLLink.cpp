#include "display/URLLink.h"

#include "shell/uRegistry.h"

namespace rsw {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && UpperAscii(text.substr(0, prefix.size())) == UpperAscii(prefix);
}

}  // namespace

URLLink::URLLink(AvailabilityProbe probe) : m_probe(std::move(probe)) {
  CheckLinkAvailable();
  SetURL(kPlaceholderWebAddress);
  SetURLAsHint(true);
}

void URLLink::SetURL(std::string_view value) {
  if (value == URL) return;
  if (value.find('@') != std::string_view::npos) LinkType = TmdLinkType::mailto;
  if (value.find('/') != std::string_view::npos) LinkType = TmdLinkType::http;  // a "/" wins
  Secure = false;
  if (StartsWithNoCase(value, "mailto:") || StartsWithNoCase(value, "http://")) {
    URL = value.substr(7);
  } else if (StartsWithNoCase(value, "https://")) {
    // kept as a web address that opens with its own scheme, never as "http://https://..."
    URL = value.substr(8);
    Secure = true;
  } else {
    URL = value;
  }
  RefreshURLText();
}

void URLLink::SetLinkType(TmdLinkType value) {
  if (value == LinkType) return;
  LinkType = value;
  CheckLinkAvailable();
  if (value == TmdLinkType::http && URL == kPlaceholderMailAddress) {
    URL = kPlaceholderWebAddress;
    Secure = false;
  } else if (value == TmdLinkType::mailto && URL == kPlaceholderWebAddress) {
    URL = kPlaceholderMailAddress;
  }
  RefreshURLText();
}

void URLLink::SetCaption(std::string_view caption) {
  CaptionSet = true;
  Caption = caption;
}

void URLLink::SetShowPrefix(bool value) {
  ShowPrefix = value;
  RefreshURLText();
}

void URLLink::SetURLAsHint(bool value) {
  if (value == URLAsHint) return;
  URLAsHint = value;
  RefreshHint();
}

bool URLLink::SetLabelType(TmdLabelType value) {
  if (value == LabelType) return false;
  LabelType = value;
  return true;
}

std::string_view URLLink::Prefix() const {
  if (LinkType == TmdLinkType::mailto) return "mailto:";
  return Secure ? "https://" : "http://";
}

void URLLink::RefreshURLText() {
  std::string shown = ShowPrefix ? std::string(Prefix()) + URL : URL;
  if (!CaptionSet) Caption = shown;
  DisplayText = std::move(shown);
  RefreshHint();
}

void URLLink::RefreshHint() { Hint = URLAsHint ? DisplayText : std::string(); }

void URLLink::CheckLinkAvailable() { LinkAvailable = m_probe && m_probe(LinkType); }

namespace {

// The unnamed value of a key below HKEY_CLASSES_ROOT, as text; "" when absent or not text.
std::string DefaultText(RegistryBackend& registry, const std::string& keyPath) {
  const auto key = registry.Open(RootKey::ClassesRoot, keyPath, KeyAccess::QueryValue);
  if (!key) return {};
  const auto value = key->Query("", uRegistry::kStringBuffer - 1);
  if (!value) return {};
  if (value->type != static_cast<std::uint32_t>(RegType::String) &&
      value->type != static_cast<std::uint32_t>(RegType::ExpandString)) {
    return {};
  }
  const auto* text = reinterpret_cast<const char*>(value->data.data());
  std::size_t length = 0;
  while (length < value->data.size() && text[length] != '\0') ++length;
  return std::string(text, length);
}

}  // namespace

std::string FindOpenCommand(RegistryBackend& registry, std::string_view extension) {
  // An empty name would read the root key itself.
  if (!NamesKeyBelowRoot(extension)) return {};
  const std::string extensionKey(extension);
  if (!registry.Open(RootKey::ClassesRoot, extensionKey, KeyAccess::QueryValue)) return {};
  const std::string fileType = DefaultText(registry, extensionKey);
  const std::string base = fileType.empty() || !NamesKeyBelowRoot(fileType) ? extensionKey : fileType;
  return DefaultText(registry, base + "\\shell\\open\\command");
}

}  // namespace rsw
