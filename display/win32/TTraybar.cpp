#include "display/win32/TTraybar.h"

#include <cstring>
#include <exception>

#include "display/TrayMenuRules.h"
#include "shell/Messages.h"

namespace rsw::win32 {

namespace {
constexpr const char* kClassName = "TTraybarCallback";
}  // namespace

std::unique_ptr<TTraybar> TTraybar::Create(HINSTANCE instance, HWND owner) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &TTraybar::WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;

  std::unique_ptr<TTraybar> tray(new TTraybar());
  // A hidden top-level window: a message-only one would miss the shell's broadcast of a new taskbar.
  tray->m_window = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (!tray->m_window) return nullptr;
  SetWindowLongPtrA(tray->m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(tray.get()));
  tray->m_owner = owner;
  tray->m_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");

  static_assert(kIconDataSize <= sizeof(NOTIFYICONDATAA));
  tray->m_data.cbSize = kIconDataSize;
  tray->m_data.hWnd = tray->m_window;
  tray->m_data.uID = kIconId;
  tray->m_data.uFlags = kFlags;
  tray->m_data.uCallbackMessage = WM_TRAYNOTIFY;
  return tray;
}

TTraybar::~TTraybar() {
  DeleteIcon();
  SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
  DestroyWindow(m_window);
}

bool TTraybar::PrepareIconData() {
  m_data.hIcon = Icon;
  // at most 63 characters and the terminating zero
  const std::size_t length = std::min(Hint.size(), kTipLength);
  std::memcpy(m_data.szTip, Hint.data(), length);
  m_data.szTip[length] = '\0';
  return true;
}

bool TTraybar::AddIcon() {
  if (!PrepareIconData()) return false;
  const bool added = Shell_NotifyIconA(NIM_ADD, &m_data) != FALSE;
  m_trayWindow = FindWindowA("Shell_TrayWnd", nullptr);
  return added;
}

bool TTraybar::ModifyIcon() { return PrepareIconData() && Shell_NotifyIconA(NIM_MODIFY, &m_data) != FALSE; }

bool TTraybar::ModifyTip() {
  if (!PrepareIconData()) return false;
  NOTIFYICONDATAA tip = m_data;
  tip.uFlags = NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, &tip) != FALSE;
}

bool TTraybar::DeleteIcon() { return PrepareIconData() && Shell_NotifyIconA(NIM_DELETE, &m_data) != FALSE; }

void TTraybar::CheckTaskbar() {
  if (!PrepareIconData()) return;
  if (FindWindowA("Shell_TrayWnd", nullptr) != m_trayWindow) AddIcon();
}

void TTraybar::OnNotify(LPARAM mouseMessage) {
  switch (TrayMouseOf(static_cast<std::uint32_t>(mouseMessage))) {
    case TrayMouse::Click:
      if (Onclick) Onclick(*this);
      break;
    case TrayMouse::DoubleClick:
      if (OnDblClick) OnDblClick(*this);
      break;
    case TrayMouse::RightClick:
      if (OnRightClick) {
        OnRightClick(*this);
      } else if (PopupMenu) {
        ShowPopupMenu();
      }
      break;
    case TrayMouse::None: break;
  }
}

void TTraybar::ShowPopupMenu() {
  POINT cursor{};
  if (!GetCursorPos(&cursor)) return;
  // The program must be the foreground application, or the menu would not close when the user
  // clicks elsewhere; the hidden window is the menu's window, so the command is handed on.
  SetForegroundWindow(m_window);
  const UINT command = static_cast<UINT>(TrackPopupMenu(PopupMenu, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                                        cursor.x, cursor.y, 0, m_window, nullptr));
  PostMessageA(m_window, WM_NULL, 0, 0);
  if (command != 0 && m_owner) PostMessageA(m_owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

LRESULT CALLBACK TTraybar::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TTraybar*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self) {
    try {
      if (message == WM_TRAYNOTIFY) self->OnNotify(lParam);
      if (message == self->m_taskbarCreated && self->m_taskbarCreated != 0 && self->OnTaskbarCreated) {
        self->OnTaskbarCreated(*self);
      }
    } catch (const std::exception&) {
      // a callback's failure must not leave the shell's message unanswered
    }
  }
  // every message, handled or not, also gets the default handling
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace rsw::win32
