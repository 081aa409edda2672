#pragma once
// What the tray icon shows: the state picture chosen from free memory, the two thresholds and the
// free-up state, the number drawn into it, and its tip.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace rsw {

// 0 green, 1 yellow, 2 red; 3 to 5 the same with background activity off; 6 working, 7 idle detection.
enum class TrayState { Green = 0, Yellow, Red, GreenOff, YellowOff, RedOff, Working, IdleDetect };

struct TrayInputs {
  std::uint64_t freeBytes = 0;
  std::int64_t criticalKB = 0;
  std::int64_t yellowKB = 0;
  bool background = false;
  bool busy = false;
  std::int32_t countdownLeft = 0;
  std::int32_t idleProgress = 0;
};

// Red at or below the critical amount, else yellow at or below the yellow amount, else green; the
// free-up overrides: idle detection, then the passes. The countdown before them keeps the colour.
TrayState SelectTrayState(const TrayInputs& in);

enum class TrayPicture { Green, Yellow, Red, Idle, Work, Work2 };

struct TrayLook {
  TrayPicture picture;
  int textCentreRow;  // the number is centred on this row: 4 over the bar, 12 under the free-up pictures
};

// The picture of a state. While working the two work pictures alternate: `workToggle` says which
// comes now and is flipped for the next call.
TrayLook LookOf(TrayState state, int& workToggle);

// The number drawn into the icon: whole free megabytes; from 10,000 MB on, whole gigabytes rounded
// to the nearest ("12G"), so it still fits four characters.
std::string TrayDigits(std::uint64_t freeBytes);

// The tip: the free megabytes as the caption shows them, then " MB".
std::string TrayTip(std::uint64_t freeBytes, std::string_view decimalSeparator);

// The digit font's character height: from 4 pixels up, the first whose text is wider than 15 or
// taller than 12 pixels, or 15 when none is. `measure` gives the text's width and height at a height.
struct TextExtent {
  int width;
  int height;
};
int DigitFontHeight(const std::function<TextExtent(int height)>& measure);

// Where a text of the given extent goes in the 16×16 icon, centred on `centreRow`.
struct TextOrigin {
  int x;
  int y;
};
TextOrigin DigitOrigin(TextExtent extent, int centreRow);

}  // namespace rsw
