#pragma once
// What the tray icon shows: the state picture chosen from free memory, the two thresholds and the
// free-up state, the number drawn into it, and its tip.

#include <array>
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

// Where the free megabytes go in a tray picture of one size: the rows the number is centred on,
// the rows the base pictures leave free for it, and the limits of the digit font search. The
// 16-pixel row is the classic tray picture; the others keep its proportions, so the digits fill the
// free rows at every small-icon size the system may ask for.
struct TrayDigitMetrics {
  int size;             // width and height of the picture
  int colourCentreRow;  // number centred here over the bar of the colour pictures
  int busyCentreRow;    // and here under the idle and work pictures
  int colourFreeRows;   // rows 0 .. colourFreeRows - 1 of the colour pictures hold nothing else
  int busyFreeTop;      // rows busyFreeTop .. size - 1 of the idle and work pictures hold nothing else
  int maxTextWidth;     // the font search stops at the first height whose text is wider than this
  int maxTextHeight;    // or taller than this
  int firstHeight;      // character heights tried, from this
  int lastHeight;       // up to this
};

inline constexpr std::array<TrayDigitMetrics, 4> kTrayDigitTable{{
    {16, 4, 12, 11, 5, 15, 12, 4, 15},
    {20, 5, 15, 14, 6, 19, 15, 5, 19},
    {24, 6, 18, 17, 7, 23, 18, 6, 23},
    {32, 8, 24, 22, 10, 31, 24, 8, 30},
}};

// The row for the system's small-icon size: the largest size not above it (16 below 16), so a
// picture is never larger than the place the shell gives it.
const TrayDigitMetrics& TrayDigitMetricsFor(int smallIconSize);

// The row the number is centred on in `picture` at that size.
int TextCentreRow(TrayPicture picture, const TrayDigitMetrics& metrics);

// The digit font's character height: from the first height up, the first whose text is wider or
// taller than the limits, or the last height when none is. `measure` gives the text's width and
// height at a height.
struct TextExtent {
  int width;
  int height;
};
int DigitFontHeight(const std::function<TextExtent(int height)>& measure,
                    const TrayDigitMetrics& metrics = kTrayDigitTable[0]);

// Where a text of the given extent goes in a picture `size` pixels wide, centred on `centreRow`.
struct TextOrigin {
  int x;
  int y;
};
TextOrigin DigitOrigin(TextExtent extent, int centreRow, int size = 16);

}  // namespace rsw
