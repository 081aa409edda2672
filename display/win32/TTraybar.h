#pragma once
// One icon with a tip in the taskbar's notification area, and the shell's mouse notifications for
// it turned into callbacks. It never adds its icon by itself: the owner adds, changes and removes
// it; CheckTaskbar adds it again once the taskbar has been replaced (the shell restarted).

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

#include "shell/win32/ScopedHandles.h"

namespace rsw::win32 {

class TTraybar {
 public:
  using TNotifyEvent = std::function<void(TTraybar& Sender)>;

  // The first version of the shell's record: what every Windows understands.
  static constexpr DWORD kIconDataSize = 88;
  static constexpr UINT kIconId = 1;
  static constexpr UINT kFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  static constexpr std::size_t kTipLength = 63;

  // nullptr when the hidden callback window cannot be made. `owner` receives the command chosen
  // from PopupMenu as WM_COMMAND.
  static std::unique_ptr<TTraybar> Create(HINSTANCE instance, HWND owner = nullptr);
  ~TTraybar();
  TTraybar(const TTraybar&) = delete;
  TTraybar& operator=(const TTraybar&) = delete;

  // The picture; the handle stays owned by whoever installed it.
  HICON Icon = nullptr;
  std::string Hint;
  // Shown at the cursor on a right-button release when OnRightClick is not set; the chosen command
  // goes to the owner.
  HMENU PopupMenu = nullptr;
  TNotifyEvent Onclick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnRightClick;
  // Called when the shell announces a new taskbar, so the owner can show its icon again.
  TNotifyEvent OnTaskbarCreated;

  bool AddIcon();
  bool ModifyIcon();
  // Changes the tip alone: the shell keeps the picture it has and neither copies nor redraws it.
  bool ModifyTip();
  bool DeleteIcon();
  void CheckTaskbar();

  HWND CallbackWindow() const { return m_window; }
  HWND TrayWindow() const { return m_trayWindow; }
  const NOTIFYICONDATAA& IconData() const { return m_data; }
  // For tests: pretend the icon was added to another taskbar than the current one.
  void ForgetTrayWindow() { m_trayWindow = nullptr; }

 private:
  TTraybar() = default;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnNotify(LPARAM mouseMessage);
  void ShowPopupMenu();
  bool PrepareIconData();

  HWND m_window = nullptr;
  HWND m_owner = nullptr;
  HWND m_trayWindow = nullptr;
  NOTIFYICONDATAA m_data{};
  UINT m_taskbarCreated = 0;
};

}  // namespace rsw::win32
