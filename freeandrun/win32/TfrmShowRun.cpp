#include "freeandrun/win32/TfrmShowRun.h"

namespace rsw::win32 {

namespace {
constexpr int kWidth = 280;
constexpr int kHeight = 67;
constexpr int kBevel = 3;
// the labels sit on the inner panel, inside the one-pixel black frame
constexpr int kInner = 1;
}  // namespace

FormPtr<TfrmShowRun> TfrmShowRun::Create(HWND owner, const std::string& menuText) {
  FormPtr<TfrmShowRun> form(new TfrmShowRun());
  form->m_menuText = menuText;
  if (!form->CreateForm(owner, kClassName, "Free and Run", WS_POPUP, WS_EX_CONTROLPARENT, kWidth, kHeight)) {
    return nullptr;
  }
  return form;
}

bool TfrmShowRun::OnInitDialog() {
  if (!CreateFonts(19)) return false;
  const DWORD label = WS_VISIBLE | SS_CENTER | SS_NOPREFIX | SS_ENDELLIPSIS;
  return AddControl(Label1, "STATIC", "Free and Run", label, 0, kInner + 8, kInner + 8, 265, 22, m_titleFont.Get()) &&
         AddControl(lblProgram, "STATIC", m_menuText.c_str(), label, 0, kInner + 8, kInner + 40, 265, 13, m_font.Get());
}

INT_PTR TfrmShowRun::HandleMessage(UINT message, WPARAM, LPARAM) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(m_window, &ps);
    Paint(dc);
    EndPaint(m_window, &ps);
    return TRUE;
  }
  // Esc, Enter and Alt+F4 do not close it: it goes when the program opens
  if (message == WM_COMMAND || message == WM_CLOSE) return TRUE;
  return FALSE;
}

void TfrmShowRun::Paint(HDC dc) const {
  RECT r{};
  GetClientRect(m_window, &r);
  // a thin black frame round a raised panel
  for (int i = 0; i < Scaled(kInner); ++i) {
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
  }
  for (int i = 0; i < Scaled(kBevel); ++i) {
    const HBRUSH light = GetSysColorBrush(COLOR_BTNHIGHLIGHT);
    const HBRUSH dark = GetSysColorBrush(COLOR_BTNSHADOW);
    RECT top{r.left, r.top, r.right, r.top + 1};
    RECT left{r.left, r.top, r.left + 1, r.bottom};
    RECT bottom{r.left, r.bottom - 1, r.right, r.bottom};
    RECT right{r.right - 1, r.top, r.right, r.bottom};
    FillRect(dc, &top, light);
    FillRect(dc, &left, light);
    FillRect(dc, &bottom, dark);
    FillRect(dc, &right, dark);
    InflateRect(&r, -1, -1);
  }
}

}  // namespace rsw::win32
