#include "freeandrun/win32/FreeAndRunForm.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "shell/DpiScale.h"
#include "shell/ErrorText.h"
#include "shell/win32/Dpi.h"
#include "shell/win32/Fonts.h"
#include "shell/win32/ToolTips.h"

namespace rsw::win32 {

namespace {

// The forms open now, for the message loop's dialog keys.
std::vector<HWND>& OpenForms() {
  static std::vector<HWND> forms;
  return forms;
}

bool RegisterFormClass(const char* className) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(GetModuleHandleA(nullptr), className, &existing)) return true;
  // A dialog class of its own: the dialog manager's behaviour under the form's name.
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &DefDlgProcA;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className;
  return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void AppendWide(std::vector<WORD>& out, const char* text) {
  for (const char* c = text; *c; ++c) out.push_back(static_cast<WORD>(static_cast<unsigned char>(*c)));
  out.push_back(0);
}

}  // namespace

void FormDeleter::operator()(FreeAndRunForm* form) const {
  if (!form) return;
  form->DestroyFormWindow();
  delete form;
}

void FreeAndRunForm::DestroyFormWindow() {
  OnDestroyed = nullptr;
  if (m_window) DestroyWindow(m_window);
}

FreeAndRunForm::~FreeAndRunForm() {
  // Only a form deleted without FormDeleter still has its window here. The derived part is gone
  // already, so the window is cut loose before it ends: a message must never reach this object.
  if (!m_window) return;
  const HWND window = std::exchange(m_window, nullptr);
  std::erase(OpenForms(), window);
  SetWindowLongPtrA(window, DWLP_USER, 0);
  DestroyWindow(window);
}

bool FreeAndRunForm::CreateForm(HWND owner, const char* className, const char* caption, DWORD style, DWORD exStyle,
                                int clientWidth, int clientHeight) {
  if (!RegisterFormClass(className)) return false;
  m_owner = owner;
  m_dpi = owner ? WindowDpi(owner) : SystemDpi();
  m_style = style;
  m_exStyle = exStyle;
  m_clientWidth = clientWidth;
  m_clientHeight = clientHeight;
  // An empty template: the controls are made at their pixel positions once the window is there.
  std::vector<WORD> tpl(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* header = reinterpret_cast<DLGTEMPLATE*>(tpl.data());
  header->style = style;
  header->dwExtendedStyle = exStyle;
  tpl.push_back(0);  // no menu
  AppendWide(tpl, className);
  AppendWide(tpl, caption);
  const HWND window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<DLGTEMPLATE*>(tpl.data()),
                                                 owner, &FreeAndRunForm::DialogProc, reinterpret_cast<LPARAM>(this));
  if (!window || !m_window) return false;  // made, or undone again by a failed start
  const RECT frame = WindowRectForClient({0, 0, Scaled(clientWidth), Scaled(clientHeight)}, style, exStyle, m_dpi);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

INT_PTR CALLBACK FreeAndRunForm::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<FreeAndRunForm*>(GetWindowLongPtrA(window, DWLP_USER));
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<FreeAndRunForm*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->m_window = window;
    OpenForms().push_back(window);
    try {
      if (!self->OnInitDialog()) {
        DestroyWindow(window);
        return FALSE;
      }
    } catch (...) {
      DestroyWindow(window);
      return FALSE;
    }
    return FALSE;  // the form sets the focus itself
  }
  if (!self) return FALSE;
  if (message == WM_DESTROY) {
    self->OnDestroy();
    return FALSE;
  }
  if (message == WM_DPICHANGED) {
    // the new DPI (horizontal, in the low half) and the system's rectangle for the window
    self->OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
    return TRUE;
  }
  if (message == WM_NCDESTROY) {
    std::erase(OpenForms(), window);
    SetWindowLongPtrA(window, DWLP_USER, 0);
    self->m_window = nullptr;
    // last: the owner may delete the form here
    if (auto done = std::move(self->OnDestroyed)) done();
    return FALSE;
  }
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& e) {
    // An error abandons the handler that raised it; the form goes on.
    self->ShowErrorBox(e.what());
  } catch (...) {
    self->ShowErrorBox("Unexpected error.");
  }
  return TRUE;
}

void FreeAndRunForm::BringToFront() {
  if (!m_window) return;
  ShowWindow(m_window, SW_SHOW);
  if (IsIconic(m_window)) ShowWindow(m_window, SW_RESTORE);
  SetForegroundWindow(m_window);
}

HWND FreeAndRunForm::AddControl(int id, const char* className, const char* text, DWORD style, DWORD exStyle, int x,
                                int y, int w, int h, HFONT font, bool fitText) {
  const HWND control =
      CreateWindowExA(exStyle, className, text, WS_CHILD | style, 0, 0, 0, 0, m_window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (!control) return nullptr;
  if (font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  m_placed.push_back({control, x, y, w, h, font && font == m_titleFont.Get(), fitText});
  Place(m_placed.back());
  return control;
}

void FreeAndRunForm::Place(const Placed& placed) const {
  // edges are scaled, so controls that meet at 96 DPI still meet
  const int left = Scaled(placed.x);
  const int top = Scaled(placed.y);
  int width = Scaled(placed.x + placed.w) - left;
  int height = Scaled(placed.y + placed.h) - top;
  if (placed.fitText) {
    char text[256] = {};
    const int length = GetWindowTextA(placed.control, text, sizeof text);
    SIZE extent{};
    const HDC dc = GetDC(m_window);
    if (dc) {
      {
        const auto font = reinterpret_cast<HFONT>(SendMessageA(placed.control, WM_GETFONT, 0, 0));
        const ScopedSelection selection(dc, font);
        GetTextExtentPoint32A(dc, text, length, &extent);
      }
      ReleaseDC(m_window, dc);
    }
    width = extent.cx + Scaled(2);
    height = extent.cy;
  }
  SetWindowPos(placed.control, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool FreeAndRunForm::CreateFonts(int titleHeight) {
  m_titleHeight = titleHeight;
  ScopedFont body(MakeFont(Scaled(11), "MS Sans Serif"));
  ScopedFont title(MakeFont(Scaled(titleHeight), "Times New Roman", FW_BOLD));
  if (!body || !title) return false;
  m_font = std::move(body);
  m_titleFont = std::move(title);
  return true;
}

void FreeAndRunForm::OnDpiChanged(int dpi, const RECT* suggested) {
  m_dpi = UsableDpi(dpi);
  // the controls hold the old fonts until they are handed the new ones
  ScopedFont oldBody = std::move(m_font);
  ScopedFont oldTitle = std::move(m_titleFont);
  if (!CreateFonts(m_titleHeight)) {
    m_font = std::move(oldBody);
    m_titleFont = std::move(oldTitle);
  }
  for (const Placed& placed : m_placed) {
    SendMessageA(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(placed.title ? m_titleFont.Get() : m_font.Get()),
                 FALSE);
    Place(placed);
  }
  RECT frame = WindowRectForClient({0, 0, Scaled(m_clientWidth), Scaled(m_clientHeight)}, m_style, m_exStyle, m_dpi);
  if (suggested) {
    frame = *suggested;
  } else {
    RECT here{};
    GetWindowRect(m_window, &here);
    OffsetRect(&frame, here.left - frame.left, here.top - frame.top);
  }
  SetWindowPos(m_window, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(m_window, nullptr, TRUE);
}

int FreeAndRunForm::Scaled(int value) const { return ScaleToDpi(value, m_dpi); }

void FreeAndRunForm::AddTooltip(HWND control, const char* text) {
  if (!m_tooltip) {
    m_tooltip = CreateToolTipWindow(m_window);
    if (!m_tooltip) return;
    // long paths show whole
    SendMessageA(m_tooltip, TTM_SETMAXTIPWIDTH, 0, Scaled(600));
  }
  AddToolTip(m_tooltip, m_window, control, text);
}

void FreeAndRunForm::SetTooltip(HWND control, const std::string& text) {
  if (!m_tooltip) return;
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = m_window;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(text.c_str());
  SendMessageA(m_tooltip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void FreeAndRunForm::ShowErrorBox(const std::string& message) const {
  // titled with the application title, the main window's caption
  char title[256] = {};
  if (m_owner) GetWindowTextA(m_owner, title, sizeof title);
  MessageBoxA(m_window, ErrorBoxText(message).c_str(), title[0] ? title : "Ramsweep Pro", MB_OK | MB_ICONERROR);
}

bool IsFreeAndRunDialogMessage(MSG& message) {
  const std::vector<HWND> forms = OpenForms();  // a key may close the form
  for (HWND form : forms) {
    if ((message.hwnd == form || IsChild(form, message.hwnd)) && IsDialogMessageA(form, &message)) return true;
  }
  return false;
}

}  // namespace rsw::win32
