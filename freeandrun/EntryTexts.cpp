#include "freeandrun/EntryTexts.h"

namespace rsw {

namespace {
constexpr std::string_view kPathDelimiters = "\\/:";
}

std::string FolderPart(std::string_view path) {
  const std::size_t last = path.find_last_of(kPathDelimiters);
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

std::string BareName(std::string_view path) {
  const std::size_t last = path.find_last_of(kPathDelimiters);
  std::string_view name = last == std::string_view::npos ? path : path.substr(last + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

std::string ProposedMenuText(std::string_view bareName, std::string_view amountCaption) {
  std::string text = std::string(bareName) + " (" + std::string(amountCaption) + ")";
  if (text.size() > kMaxEntryText) text.resize(kMaxEntryText);
  return text;
}

int LastExactMatch(const std::vector<std::string>& texts, std::string_view text) {
  for (std::size_t i = texts.size(); i-- > 0;) {
    if (texts[i] == text) return static_cast<int>(i);
  }
  return -1;
}

int SelectionAfterRemove(int removed, int countAfter) {
  if (countAfter <= 0) return -1;
  return removed < countAfter ? removed : countAfter - 1;
}

BrowseStart BrowseStartFor(std::string_view runText, std::string_view runPath, std::string_view startMenuFolder) {
  if (!runText.empty()) return {FolderPart(runPath), std::string(runPath)};
  return {std::string(startMenuFolder), std::string()};
}

}  // namespace rsw
