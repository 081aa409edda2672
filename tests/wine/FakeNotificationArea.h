#pragma once
// A notification area of this test process: a top-level "Shell_TrayWnd" window in front of the
// desktop's own, so the shell's icon calls reach it first. It keeps icons by window and id with the
// shell's answers (an add of a present icon fails, a change or removal of a missing one fails) and
// records every call. Destroying it is what a restarting shell does to its taskbar.

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace rsw::test {

class FakeNotificationArea {
 public:
  struct Call {
    DWORD message;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
    HWND window;
    UINT id;
    std::string tip;  // empty when the record carries none
    UINT flags = 0;  // which fields the record carries (NIF_ICON, NIF_TIP, ...)
    // the balloon's fields: empty (and 0) when the record is too short to carry them
    std::string info;
    std::string infoTitle;
    DWORD infoFlags = 0;
  };

  FakeNotificationArea() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&wc);
    m_window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, wc.hInstance, nullptr);
    if (m_window) SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~FakeNotificationArea() { Destroy(); }
  FakeNotificationArea(const FakeNotificationArea&) = delete;
  FakeNotificationArea& operator=(const FakeNotificationArea&) = delete;

  HWND Handle() const { return m_window; }
  // Whether the shell's calls come here: the first taskbar window found is this one.
  bool InFront() const { return m_window && FindWindowA("Shell_TrayWnd", nullptr) == m_window; }
  void Destroy() {
    if (m_window) DestroyWindow(std::exchange(m_window, nullptr));
  }

  const std::vector<Call>& Calls() const { return m_calls; }
  std::size_t Count(DWORD message) const {
    std::size_t n = 0;
    for (const Call& call : m_calls) n += call.message == message;
    return n;
  }
  bool Shows(HWND window, UINT id = 1) const { return m_icons.contains({window, id}); }
  void ClearCalls() { m_calls.clear(); }

 private:
  // Wine's shell hands the record over as WM_COPYDATA: the call in dwData, the icon's window in
  // wParam, and a record whose fields start with the window (32 bits), the id, the flags, the
  // callback message and a 128-character UTF-16 tip, then the state and its mask, the balloon's
  // 256-character text, its time-out, its 64-character title and its flags.
  static std::string Utf16At(const std::uint8_t* bytes, std::size_t size, std::size_t offset, std::size_t chars) {
    std::string text;
    for (std::size_t i = 0; i < chars && offset + 2 * i + 2 <= size; ++i) {
      std::uint16_t c = 0;
      std::memcpy(&c, bytes + offset + 2 * i, 2);
      if (c == 0) break;
      text += static_cast<char>(c < 128 ? c : '?');
    }
    return text;
  }
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FakeNotificationArea*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != WM_COPYDATA || !self) return DefWindowProcA(window, message, wParam, lParam);
    const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    Call call{static_cast<DWORD>(data.dwData), reinterpret_cast<HWND>(wParam), 0, {}, 0, {}, {}, 0};
    constexpr std::size_t kTipOffset = 16, kTipChars = 128;
    if (data.cbData >= kTipOffset && data.lpData) {
      const auto* bytes = static_cast<const std::uint8_t*>(data.lpData);
      std::memcpy(&call.id, bytes + 4, sizeof call.id);
      UINT& flags = call.flags;
      std::memcpy(&flags, bytes + 8, sizeof flags);
      if ((flags & NIF_TIP) && data.cbData >= kTipOffset + 2 * kTipChars) {
        call.tip = Utf16At(bytes, data.cbData, kTipOffset, kTipChars);
      }
      constexpr std::size_t kInfoOffset = kTipOffset + 2 * kTipChars + 8, kInfoChars = 256;
      constexpr std::size_t kTitleOffset = kInfoOffset + 2 * kInfoChars + 4, kTitleChars = 64;
      constexpr std::size_t kInfoFlagsOffset = kTitleOffset + 2 * kTitleChars;
      if ((flags & NIF_INFO) && data.cbData >= kInfoFlagsOffset + 4) {
        call.info = Utf16At(bytes, data.cbData, kInfoOffset, kInfoChars);
        call.infoTitle = Utf16At(bytes, data.cbData, kTitleOffset, kTitleChars);
        std::memcpy(&call.infoFlags, bytes + kInfoFlagsOffset, sizeof call.infoFlags);
      }
    }
    self->m_calls.push_back(call);
    const std::pair<HWND, UINT> key{call.window, call.id};
    switch (call.message) {
      case NIM_ADD: return self->m_icons.insert(key).second;
      case NIM_MODIFY: return self->m_icons.contains(key);
      case NIM_DELETE: return self->m_icons.erase(key) != 0;
      default: return FALSE;
    }
  }

  HWND m_window = nullptr;
  std::vector<Call> m_calls;
  std::set<std::pair<HWND, UINT>> m_icons;
};

}  // namespace rsw::test
