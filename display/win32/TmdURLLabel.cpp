#include "display/win32/TmdURLLabel.h"

#include <commctrl.h>
#include <shellapi.h>

#include <utility>

#include "display/CursorPicture.h"
#include "shell/win32/ToolTips.h"
#include "shell/win32/Win32Registry.h"

namespace rsw::win32 {

namespace {

ScopedFont CopyFont(HFONT font, bool underline) {
  LOGFONTA logFont{};
  if (!font || GetObjectA(font, sizeof logFont, &logFont) != sizeof logFont) return ScopedFont();
  if (underline) logFont.lfUnderline = TRUE;
  return ScopedFont(CreateFontIndirectA(&logFont));
}

// Made from resource 8888 once per process and kept for the life of the process, as an
// application cursor is.
HCURSOR MakeLinkCursor() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(TmdURLLabel::kLinkCursorId), MAKEINTRESOURCEA(10));
  const HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const auto* bytes = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
  if (bytes) {
    const auto picture = ParseCursorPicture({bytes, SizeofResource(instance, found)});
    if (picture) {
      const HCURSOR cursor = CreateCursor(instance, picture->hotX, picture->hotY, MonochromeCursor::kSize,
                                          MonochromeCursor::kSize, picture->andPlane.data(), picture->xorPlane.data());
      if (cursor) return cursor;
    }
  }
  return LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND, shared: never destroyed
}

}  // namespace

HCURSOR TmdURLLabel::LinkCursor() {
  static const HCURSOR cursor = MakeLinkCursor();
  return cursor;
}

void OpenThroughShell(const std::string& target) {
  ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool SystemHasLinkHandler(TmdLinkType type) {
  if (type == TmdLinkType::mailto) {
    const HMODULE mapi = LoadLibraryA("MAPI32.DLL");
    if (!mapi) return false;
    FreeLibrary(mapi);
    return true;
  }
  Win32Registry registry;
  return !FindOpenCommand(registry, ".html").empty() && !FindOpenCommand(registry, ".htm").empty();
}

TmdURLLabel::TmdURLLabel() : OpenLink(&OpenThroughShell), m_link(&SystemHasLinkHandler) {}

bool TmdURLLabel::RegisterClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &TmdURLLabel::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = nullptr;  // chosen in WM_SETCURSOR by the label type
  wc.lpszClassName = kClassName;
  return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

std::unique_ptr<TmdURLLabel> TmdURLLabel::Create(HWND parent, int controlId, int x, int y, int width, int height) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterClass(instance)) return nullptr;
  std::unique_ptr<TmdURLLabel> label(new TmdURLLabel());
  const HWND window = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, label.get());
  if (!window) return nullptr;
  return label;
}

TmdURLLabel::~TmdURLLabel() {
  if (m_window) DestroyWindow(m_window);
}

LRESULT CALLBACK TmdURLLabel::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TmdURLLabel*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (!self) return FALSE;  // only Create makes this window
    self->m_window = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TmdURLLabel*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    return 0;  // only an allocation can fail here; the message is dropped
  }
}

LRESULT TmdURLLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate() ? 0 : -1;
    case WM_ERASEBKGND: return 0;  // the paint covers the whole client area
    case WM_PAINT: OnPaint(); return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(m_link.ActsAsLink() ? LinkCursor() : LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      m_pressed = true;
      SetCapture(m_window);
      return 0;
    case WM_LBUTTONUP: {
      // a click is a press and a release over the label, as with any label
      const bool wasPressed = std::exchange(m_pressed, false);
      if (GetCapture() == m_window) ReleaseCapture();
      RECT client{};
      GetClientRect(m_window, &client);
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (wasPressed && PtInRect(&client, at)) Click();
      return 0;
    }
    case WM_CAPTURECHANGED: m_pressed = false; return 0;
    case WM_GETDLGCODE:
      // Enter opens the link instead of pressing the dialog's default button.
      if (lParam && reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
          reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN) {
        return DLGC_WANTMESSAGE;
      }
      return DLGC_WANTCHARS;
    case WM_KEYDOWN: OnKeyDown(wParam, lParam); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
    case WM_ENABLE: {
      const LRESULT result = DefWindowProcA(m_window, message, wParam, lParam);
      Repaint();
      return result;
    }
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(m_window, message, wParam, lParam);
      Repaint();
      return result;
    }
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_shownFont);
    case WM_NCDESTROY: {
      const HWND window = std::exchange(m_window, nullptr);
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      return DefWindowProcA(window, message, wParam, lParam);
    }
    default: break;
  }
  return DefWindowProcA(m_window, message, wParam, lParam);
}

bool TmdURLLabel::OnCreate() {
  // The label's font is the parent's; the link font adds blue and an underline to it.
  const HWND parent = GetParent(m_window);
  auto font = parent ? reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0)) : nullptr;
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  m_linkFont = CopyFont(font, true);
  m_passiveFont = CopyFont(font, false);
  if (!m_linkFont || !m_passiveFont) return false;
  m_linkColor = kLinkColor;
  m_passiveColor = GetSysColor(COLOR_WINDOWTEXT);

  // The tooltip shows the hint; it follows the label's own mouse messages.
  m_tooltip.Reset(CreateToolTipWindow(parent));
  if (m_tooltip) AddToolTip(m_tooltip.Get(), parent, m_window, "");
  ShowCaption();
  RefreshHint();
  ApplyLabelType();
  return true;
}

bool TmdURLLabel::SetLinkFont(HFONT font, COLORREF color) {
  ScopedFont copy = CopyFont(font, false);
  if (!copy) return false;
  const bool shown = m_shownFont == m_linkFont.Get();
  m_linkFont = std::move(copy);
  m_linkColor = color;
  if (shown) m_shownFont = m_linkFont.Get();  // the old copy is gone; the shown look waits for ApplyLabelType
  return true;
}

bool TmdURLLabel::SetPassiveFont(HFONT font, COLORREF color) {
  ScopedFont copy = CopyFont(font, false);
  if (!copy) return false;
  const bool shown = m_shownFont == m_passiveFont.Get();
  m_passiveFont = std::move(copy);
  m_passiveColor = color;
  if (shown) m_shownFont = m_passiveFont.Get();
  return true;
}

void TmdURLLabel::SetCaption(std::string_view caption) {
  m_link.SetCaption(caption);
  ShowCaption();
}

void TmdURLLabel::SetURL(std::string_view value) {
  m_link.SetURL(value);
  ShowCaption();
  RefreshHint();
}

void TmdURLLabel::SetURLAsHint(bool value) {
  m_link.SetURLAsHint(value);
  RefreshHint();
}

void TmdURLLabel::SetShowPrefix(bool value) {
  m_link.SetShowPrefix(value);
  ShowCaption();
  RefreshHint();
}

void TmdURLLabel::SetLabelType(TmdLabelType value) {
  if (m_link.SetLabelType(value)) ApplyLabelType();
}

void TmdURLLabel::SetLinkType(TmdLinkType value) {
  m_link.SetLinkType(value);
  ShowCaption();
  RefreshHint();
}

void TmdURLLabel::SetAlignment(TAlignment alignment) {
  m_alignment = alignment;
  Repaint();
}

void TmdURLLabel::RefreshURLText() {
  m_link.RefreshURLText();
  ShowCaption();
  RefreshHint();
}

void TmdURLLabel::RefreshHint() {
  m_link.RefreshHint();
  if (!m_tooltip || !m_window) return;
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = GetParent(m_window);
  tool.uId = reinterpret_cast<UINT_PTR>(m_window);
  tool.lpszText = const_cast<char*>(m_link.Hint.c_str());
  SendMessageA(m_tooltip.Get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageA(m_tooltip.Get(), TTM_ACTIVATE, m_link.Hint.empty() ? FALSE : TRUE, 0);
}

void TmdURLLabel::ApplyLabelType() {
  const bool link = m_link.ActsAsLink();
  m_shownFont = link ? m_linkFont.Get() : m_passiveFont.Get();
  m_shownColor = link ? m_linkColor : m_passiveColor;
  // Tab reaches a label that acts as a link, as it would a link on a web page.
  if (m_window) {
    LONG_PTR style = GetWindowLongPtrA(m_window, GWL_STYLE);
    style = link ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrA(m_window, GWL_STYLE, style);
    Repaint();
  }
}

void TmdURLLabel::CheckLinkAvailable() { m_link.CheckLinkAvailable(); }

void TmdURLLabel::Click() {
  if (OnClick) OnClick(*this);
  if (m_link.ActsAsLink() && OpenLink) OpenLink(m_link.OpenTarget());
}

void TmdURLLabel::OnKeyDown(WPARAM key, LPARAM flags) {
  const bool repeat = (flags & (1 << 30)) != 0;
  if ((key == VK_RETURN || key == VK_SPACE) && !repeat && m_link.ActsAsLink()) Click();
}

void TmdURLLabel::ShowCaption() {
  if (m_window) SetWindowTextA(m_window, m_link.Caption.c_str());
}

void TmdURLLabel::Repaint() const {
  if (m_window) InvalidateRect(m_window, nullptr, FALSE);
}

void TmdURLLabel::OnPaint() {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(m_window, &ps);
  RECT client{};
  GetClientRect(m_window, &client);
  const int width = client.right, height = client.bottom;
  ScopedMemoryDc memory(CreateCompatibleDC(dc));
  ScopedBitmap bitmap(width > 0 && height > 0 ? CreateCompatibleBitmap(dc, width, height) : nullptr);
  if (memory && bitmap) {
    ScopedSelection selectBitmap(memory.Get(), bitmap.Get());
    // The parent paints the background as it would for a static label.
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(m_window), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(memory.Get()),
                                                       reinterpret_cast<LPARAM>(m_window)));
    FillRect(memory.Get(), &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    ScopedSelection selectFont(memory.Get(), m_shownFont);
    SetBkMode(memory.Get(), TRANSPARENT);
    SetTextColor(memory.Get(), IsWindowEnabled(m_window) ? m_shownColor : GetSysColor(COLOR_GRAYTEXT));
    const std::string& text = m_link.Caption;
    // Ampersands show as they are written.
    UINT format = DT_NOPREFIX | DT_SINGLELINE | DT_TOP;
    if (m_alignment == TAlignment::Center) format |= DT_CENTER;
    if (m_alignment == TAlignment::Right) format |= DT_RIGHT;
    RECT textRect = client;
    DrawTextA(memory.Get(), text.c_str(), static_cast<int>(text.size()), &textRect, format);
    const bool hideFocus = (SendMessageA(m_window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    if (GetFocus() == m_window && !hideFocus) {
      RECT measured = client;
      DrawTextA(memory.Get(), text.c_str(), static_cast<int>(text.size()), &measured, format | DT_CALCRECT);
      const int textWidth = measured.right - measured.left;
      RECT focus{0, 0, textWidth + 2, measured.bottom - measured.top};
      if (m_alignment == TAlignment::Center) OffsetRect(&focus, (width - textWidth) / 2 - 1, 0);
      if (m_alignment == TAlignment::Right) OffsetRect(&focus, width - textWidth - 2, 0);
      IntersectRect(&focus, &focus, &client);
      DrawFocusRect(memory.Get(), &focus);
    }
    BitBlt(dc, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
  }
  EndPaint(m_window, &ps);
}

}  // namespace rsw::win32
