// The main window's painting: the page colour behind everything, the group frames drawn on it,
// and the colours of its static controls.
#include <windows.h>

#include "shell/win32/MainWindowInternals.h"
#include "shell/win32/TfrmRamsweep.h"

namespace rsw::win32 {

void TfrmRamsweep::MatchPageColor() {
  // Labels and check boxes sit on the page control's body, whose colour depends on the visual
  // style (white in some, the button face in the classic look): take it from the body itself.
  const HWND tabs = Control(PageControl1);
  RECT bounds{};
  GetClientRect(tabs, &bounds);
  COLORREF color = GetSysColor(COLOR_BTNFACE);
  ScopedMemoryDc dc;
  ScopedBitmap bitmap;
  {
    const ScopedWindowDc screen(tabs);
    dc.Reset(CreateCompatibleDC(screen.Get()));
    bitmap.Reset(CreateCompatibleBitmap(screen.Get(), bounds.right, bounds.bottom));
  }
  if (dc && bitmap) {
    const ScopedSelection selection(dc.Get(), bitmap.Get());
    SendMessageA(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT | PRF_ERASEBKGND);
    const COLORREF body = GetPixel(dc.Get(), bounds.right / 2, bounds.bottom / 2);
    if (body != CLR_INVALID) color = body;
  }
  m_pageColor = color;
  m_pageBrush.Reset(CreateSolidBrush(color));
}

HBRUSH TfrmRamsweep::PageBrush() const { return m_pageBrush ? m_pageBrush.Get() : GetSysColorBrush(COLOR_BTNFACE); }

LRESULT TfrmRamsweep::OnEraseBackground(HDC dc) {
  // The page colour all round, so frames and labels match the page they sit on; styled controls
  // ask for it through WM_PRINTCLIENT to draw their own background.
  RECT client{};
  GetClientRect(m_window, &client);
  FillRect(dc, &client, PageBrush());
  return 1;
}

void TfrmRamsweep::DrawGroupBox(const DRAWITEMSTRUCT& item) {
  // Drawn here rather than by the system, whose styled group boxes fill their inside with a colour
  // of their own: this one takes the page's colour, an etched frame and its caption on the frame.
  const HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, PageBrush());
  char caption[128] = {};
  GetWindowTextA(item.hwndItem, caption, sizeof caption);
  const ScopedSelection font(dc, m_font.Get());
  SIZE text{};
  GetTextExtentPoint32A(dc, caption, lstrlenA(caption), &text);
  RECT frame = item.rcItem;
  frame.top += text.cy / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  SetBkColor(dc, m_pageColor);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(item.hwndItem) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  RECT label{item.rcItem.left + 8, item.rcItem.top, item.rcItem.left + 12 + text.cx, item.rcItem.top + text.cy};
  ExtTextOutA(dc, label.left + 2, label.top, ETO_OPAQUE, &label, caption, static_cast<UINT>(lstrlenA(caption)),
              nullptr);
}

LRESULT TfrmRamsweep::OnCtlColorStatic(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  const bool onSilver = id == panAbout || id == Label5 || id == lblVersion || id == mdURLLabel1 || id == mdURLLabel2;
  if (id == Label15) SetTextColor(dc, RGB(255, 255, 0));
  if (id == Label5) SetTextColor(dc, RGB(255, 0, 0));
  if (id == mdURLLabel1 || id == mdURLLabel2) SetTextColor(dc, RGB(0, 0, 255));
  if (onSilver) {
    SetBkColor(dc, kSilver);
    return reinterpret_cast<LRESULT>(m_silverBrush.Get());
  }
  char className[16] = {};
  GetClassNameA(control, className, sizeof className);
  // read-only edits keep their own look
  if (lstrcmpiA(className, "Edit") == 0 || !m_pageBrush) {
    return DefWindowProcA(m_window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  }
  SetBkColor(dc, m_pageColor);
  return reinterpret_cast<LRESULT>(m_pageBrush.Get());
}

}  // namespace rsw::win32
