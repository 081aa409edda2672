#include "freeandrun/win32/TfrmErrorRun.h"

#include "freeandrun/EntryTexts.h"
#include "shell/Messages.h"

namespace rsw::win32 {

FormPtr<TfrmErrorRun> TfrmErrorRun::Create(HWND owner) {
  FormPtr<TfrmErrorRun> form(new TfrmErrorRun());
  form->m_appWasVisible = owner && IsWindowVisible(owner);
  if (!form->CreateForm(owner, kClassName, "Program Not Found", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                        WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, 308, 126)) {
    return nullptr;
  }
  return form;
}

bool TfrmErrorRun::OnInitDialog() {
  if (!CreateFonts(16)) return false;
  // the title is as wide as its text
  const bool made =
      AddControl(Label1, "STATIC", "Free And Run", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 104, 8, 0, 0,
                 m_titleFont.Get(), true) &&
      AddControl(Label2, "STATIC", kProgramNotFoundText, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 8, 32, 289, 41,
                 m_font.Get()) &&
      AddControl(Button1, "BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 120, 88, 75, 25, m_font.Get());
  if (!made) return false;
  SendMessageA(m_window, DM_SETDEFID, Button1, 0);
  SetFocus(Item(Button1));
  return true;
}

INT_PTR TfrmErrorRun::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) {
    // OK, Enter, Esc and the close box all close it
    if (LOWORD(wParam) == Button1 || LOWORD(wParam) == IDCANCEL) DestroyWindow(m_window);
    return TRUE;
  }
  if (message == WM_CLOSE) {
    DestroyWindow(m_window);
    return TRUE;
  }
  return FALSE;
}

void TfrmErrorRun::OnDestroy() {
  // a taskbar button that showing the form brought up goes again
  if (!m_appWasVisible && m_owner) PostMessageA(m_owner, WM_HIDE_TASKBUTTON, 0, 0);
}

}  // namespace rsw::win32
