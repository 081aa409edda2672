#include "engine/FreeUpResult.h"

#include <limits>

#include "engine/StatusCaption.h"

namespace rsw {

namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;

// A count of tenths, half away from zero, written with one decimal: 31 gives "3.1".
std::string Tenths(std::uint64_t tenths, std::string_view decimalSeparator) {
  return std::to_string(tenths / 10) + std::string(decimalSeparator) + std::to_string(tenths % 10);
}

// Tenths of a megabyte, half away from zero; whole megabytes and the rest apart, so nothing overflows.
std::uint64_t TenthMegabytes(std::uint64_t bytes) {
  return bytes / kMegabyte * 10 + (bytes % kMegabyte * 10 + kMegabyte / 2) / kMegabyte;
}

std::string Seconds(std::uint64_t milliseconds, std::string_view decimalSeparator) {
  const std::uint64_t tenths = milliseconds / 100 + (milliseconds % 100 >= 50 ? 1 : 0);
  return Tenths(tenths, decimalSeparator) + " s";
}

// The magnitude of a change, in bytes.
std::uint64_t Magnitude(std::int64_t change) {
  return change < 0 ? static_cast<std::uint64_t>(-(change + 1)) + 1 : static_cast<std::uint64_t>(change);
}

}  // namespace

std::string_view KindText(FreeUpKind kind) {
  switch (kind) {
    case FreeUpKind::Window: return "window";
    case FreeUpKind::Tray: return "tray";
    case FreeUpKind::SecondStart: return "second start";
    case FreeUpKind::CommandLine: return "command line";
    case FreeUpKind::Startup: return "start-up";
    case FreeUpKind::Regular: return "regular";
    case FreeUpKind::Critical: return "critical";
    case FreeUpKind::FreeAndRun: return "Free and Run";
  }
  return "window";
}

bool ShowsResultBalloon(FreeUpKind kind, bool showResultSetting, bool iconShown) {
  const bool askedInWindowOrTray = kind == FreeUpKind::Window || kind == FreeUpKind::Tray;
  return askedInWindowOrTray && showResultSetting && iconShown;
}

std::int64_t FreeChange(const FreeUpResult& result) {
  constexpr std::uint64_t kLargest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (result.freeAfter >= result.freeBefore) {
    const std::uint64_t gain = result.freeAfter - result.freeBefore;
    return static_cast<std::int64_t>(gain > kLargest ? kLargest : gain);
  }
  const std::uint64_t loss = result.freeBefore - result.freeAfter;
  return loss > kLargest ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(loss);
}

std::string ResultBalloonText(const FreeUpResult& result, std::string_view decimalSeparator) {
  const std::string freeNow = "Free now: " + FormatFreeMegabytes(result.freeAfter, decimalSeparator) + " MB.";
  if (!result.ranPasses) return "No idle moment found. " + freeNow;
  const std::int64_t change = FreeChange(result);
  const std::string gain = FormatFreeMegabytes(change > 0 ? static_cast<std::uint64_t>(change) : 0, decimalSeparator);
  // a gain too small to show in the tip's format is no gain to the user
  if (gain == FormatFreeMegabytes(0, decimalSeparator)) return "No memory gained. " + freeNow;
  return gain + " MB more free memory in " + Seconds(result.milliseconds, decimalSeparator) + ". " + freeNow;
}

std::string ResultLine(const FreeUpResult& result, std::string_view timeOfDay, std::string_view decimalSeparator) {
  const std::string when = " at " + std::string(timeOfDay) + " (" + std::string(KindText(result.kind)) + ")";
  if (!result.ranPasses) return "Last: no idle moment" + when;
  const std::int64_t change = FreeChange(result);
  const std::uint64_t tenths = TenthMegabytes(Magnitude(change));
  // a change that rounds to 0.0 carries no sign
  const char* sign = tenths == 0 ? "" : change > 0 ? "+" : "-";
  return "Last: " + std::string(sign) + Tenths(tenths, decimalSeparator) + " MB in " +
         Seconds(result.milliseconds, decimalSeparator) + when;
}

}  // namespace rsw
