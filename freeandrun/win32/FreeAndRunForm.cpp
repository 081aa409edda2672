#include "freeandrun/win32/FreeAndRunForm.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "shell/ErrorText.h"
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

FreeAndRunForm::~FreeAndRunForm() {
  OnDestroyed = nullptr;
  if (m_window) {
    const HWND window = m_window;
    DestroyWindow(window);
  }
}

bool FreeAndRunForm::CreateForm(HWND owner, const char* className, const char* caption, DWORD style, DWORD exStyle,
                                int clientWidth, int clientHeight) {
  if (!RegisterFormClass(className)) return false;
  m_owner = owner;
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
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
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
                                int y, int w, int h, HFONT font) {
  const HWND control =
      CreateWindowExA(exStyle, className, text, WS_CHILD | style, x, y, w, h, m_window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (control && font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

void FreeAndRunForm::AddTooltip(HWND control, const char* text) {
  if (!m_tooltip) {
    m_tooltip = CreateToolTipWindow(m_window);
    if (!m_tooltip) return;
    // long paths show whole
    SendMessageA(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 600);
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

HFONT FreeAndRunForm::MakeFont(int pixelHeight, const char* face, bool bold) {
  return CreateFontA(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
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
