#pragma once
// The program's private window messages and the single-instance protocol.

#include <cstdint>

namespace rsw {

inline constexpr std::uint32_t kWmUser = 1024;

inline constexpr std::uint32_t WM_FREEUP_DONE = kWmUser + 1;
inline constexpr std::uint32_t WM_FREEUP_PASS = kWmUser + 2;
inline constexpr std::uint32_t WM_FREEUP_COUNTDOWN = kWmUser + 3;
inline constexpr std::uint32_t WM_PRESENCE_QUERY = kWmUser + 4;
inline constexpr std::uint32_t WM_REMOTE_FREEUP = kWmUser + 5;
inline constexpr std::uint32_t WM_REMOTE_SHOW = kWmUser + 6;
inline constexpr std::uint32_t WM_FREEUP_IDLE = kWmUser + 7;
inline constexpr std::uint32_t WM_HIDE_TASKBUTTON = kWmUser + 8;
inline constexpr std::uint32_t WM_TRAYNOTIFY = 2048;

// Sent as wParam and lParam of WM_PRESENCE_QUERY and answered by a running instance.
inline constexpr std::int32_t PRESENCE_MAGIC = 140971;

inline constexpr const char* kMainWindowClass = "TfrmRamsweep";

struct RemoteFreeUp {
  std::int32_t AmountMB;
  std::int32_t MaxPasses;
  std::int32_t Countdown;
};

// wParam = Countdown * 65536 + MaxPasses, lParam = AmountMB.
inline std::uint32_t PackRemoteWParam(std::int32_t countdown, std::int32_t maxPasses) {
  return (static_cast<std::uint32_t>(countdown) << 16) + static_cast<std::uint32_t>(maxPasses);
}

// Both halves of wParam are taken as unsigned 16-bit numbers.
inline RemoteFreeUp UnpackRemoteFreeUp(std::uint32_t wParam, std::int32_t lParam) {
  return {lParam, static_cast<std::int32_t>(wParam & 0xFFFFu), static_cast<std::int32_t>(wParam >> 16)};
}

}  // namespace rsw
