#pragma once
// The tray icon's menu and clicks without a window: what a shell notification means, which command
// the double-click and the bold default item stand for, and the free-up items' captions.

#include <cstdint>
#include <string>
#include <string_view>

namespace rsw {

enum class TrayMouse { None, Click, DoubleClick, RightClick };

// The mouse message the shell reports over the icon: a press of the left button, its double
// click, and the release of the right one; everything else means nothing.
TrayMouse TrayMouseOf(std::uint32_t mouseMessage);

enum class TrayCommand { None, ShowRamsweepPro, BackgroundActivity, Free1, Free2, Free3 };

// The Icon page's double-click action (cboIconAction's position): also the menu's default item.
TrayCommand IconActionCommand(int iconAction);

// The menu's free-up items, each with its own access key: "&Free up 32 MB", "Fr&ee up 64 MB",
// "Free &up 128 MB" (slot 0 to 2).
std::string FreeMenuCaption(int slot, std::string_view amountText);

// The same amount as the double-click action lists it: "Free up 32 MB".
std::string IconActionText(std::string_view amountText);

}  // namespace rsw
