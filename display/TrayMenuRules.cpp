#include "display/TrayMenuRules.h"

namespace rsw {

TrayMouse TrayMouseOf(std::uint32_t mouseMessage) {
  switch (mouseMessage) {
    case 513: return TrayMouse::Click;        // WM_LBUTTONDOWN
    case 515: return TrayMouse::DoubleClick;  // WM_LBUTTONDBLCLK
    case 517: return TrayMouse::RightClick;   // WM_RBUTTONUP
    default: return TrayMouse::None;
  }
}

TrayCommand IconActionCommand(int iconAction) {
  switch (iconAction) {
    case 0: return TrayCommand::ShowRamsweepPro;
    case 1: return TrayCommand::BackgroundActivity;
    case 2: return TrayCommand::Free1;
    case 3: return TrayCommand::Free2;
    case 4: return TrayCommand::Free3;
    default: return TrayCommand::None;
  }
}

std::string FreeMenuCaption(int slot, std::string_view amountText) {
  static constexpr std::string_view kPrefixes[] = {"&Free up ", "Fr&ee up ", "Free &up "};
  if (slot < 0 || slot > 2) return {};
  std::string caption(kPrefixes[slot]);
  caption += amountText;
  return caption;
}

std::string IconActionText(std::string_view amountText) {
  std::string text("Free up ");
  text += amountText;
  return text;
}

}  // namespace rsw
