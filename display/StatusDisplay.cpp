#include "display/StatusDisplay.h"

#include "engine/StatusCaption.h"

namespace rsw {

TrayState SelectTrayState(const TrayInputs& in) {
  if (in.busy && in.idleProgress > 0) return TrayState::IdleDetect;
  if (in.busy && in.countdownLeft <= 0) return TrayState::Working;
  const std::uint64_t freeKB = in.freeBytes / 1024;
  const auto atOrBelow = [freeKB](std::int64_t kb) { return kb >= 0 && freeKB <= static_cast<std::uint64_t>(kb); };
  int colour = atOrBelow(in.criticalKB) ? 2 : atOrBelow(in.yellowKB) ? 1 : 0;
  if (!in.background) colour += 3;
  return static_cast<TrayState>(colour);
}

TrayLook LookOf(TrayState state, int& workToggle) {
  switch (state) {
    case TrayState::Green:
    case TrayState::GreenOff: return {TrayPicture::Green, 4};
    case TrayState::Yellow:
    case TrayState::YellowOff: return {TrayPicture::Yellow, 4};
    case TrayState::Red:
    case TrayState::RedOff: return {TrayPicture::Red, 4};
    case TrayState::Working: {
      const TrayPicture picture = workToggle == 0 ? TrayPicture::Work : TrayPicture::Work2;
      workToggle = 1 - workToggle;
      return {picture, 12};
    }
    case TrayState::IdleDetect: return {TrayPicture::Idle, 12};
  }
  return {TrayPicture::Green, 4};
}

std::string TrayDigits(std::uint64_t freeBytes) {
  const std::uint64_t megabytes = freeBytes / (1024 * 1024);
  if (megabytes < 10000) return std::to_string(megabytes);
  const std::uint64_t gigabytes = (megabytes + 512) / 1024;
  // beyond what four characters hold, the largest that does
  return gigabytes > 999 ? "999G" : std::to_string(gigabytes) + "G";
}

std::string TrayTip(std::uint64_t freeBytes, std::string_view decimalSeparator) {
  return FormatFreeMegabytes(freeBytes, decimalSeparator) + " MB";
}

const TrayDigitMetrics& TrayDigitMetricsFor(int smallIconSize) {
  const TrayDigitMetrics* chosen = &kTrayDigitTable[0];
  for (const TrayDigitMetrics& row : kTrayDigitTable) {
    if (row.size <= smallIconSize) chosen = &row;
  }
  return *chosen;
}

int TextCentreRow(TrayPicture picture, const TrayDigitMetrics& metrics) {
  switch (picture) {
    case TrayPicture::Green:
    case TrayPicture::Yellow:
    case TrayPicture::Red: return metrics.colourCentreRow;
    case TrayPicture::Idle:
    case TrayPicture::Work:
    case TrayPicture::Work2: return metrics.busyCentreRow;
  }
  return metrics.colourCentreRow;
}

int DigitFontHeight(const std::function<TextExtent(int height)>& measure, const TrayDigitMetrics& metrics) {
  int height = metrics.firstHeight;
  for (;; ++height) {
    const TextExtent extent = measure(height);
    // the first height that no longer fits is kept, not the last that did
    if (extent.width > metrics.maxTextWidth || extent.height > metrics.maxTextHeight || height >= metrics.lastHeight) {
      return height;
    }
  }
}

TextOrigin DigitOrigin(TextExtent extent, int centreRow, int size) {
  return {(size - extent.width) / 2, centreRow - extent.height / 2};
}

}  // namespace rsw
