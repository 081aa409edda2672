#pragma once
// A text label that acts as a hyperlink: link or passive font, the hand cursor 8888, the address
// as its tooltip, and a click (or Enter or Space while it has the keyboard focus) that opens the
// address through the shell. The rules live in URLLink; this is the window.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "display/URLLink.h"
#include "shell/win32/ScopedHandles.h"

namespace rsw::win32 {

// final: its window ends in the destructor's body, while the whole object still answers the
// messages that brings; the part a derived class added would already be gone by then.
class TmdURLLabel final {
 public:
  static constexpr const char* kClassName = "TmdURLLabel";
  static constexpr int kLinkCursorId = 8888;
  static constexpr COLORREF kLinkColor = RGB(0, 0, 255);

  enum class TAlignment { Left, Right, Center };
  // Receives what a click opens ("http://...", "https://..." or "mailto:..."); the shell's "open"
  // by default, replaceable so tests can record it.
  using Opener = std::function<void(const std::string& target)>;

  static bool RegisterClass(HINSTANCE instance);
  // A visible child of `parent`; nullptr when the window or its fonts could not be made.
  static std::unique_ptr<TmdURLLabel> Create(HWND parent, int controlId, int x, int y, int width, int height);
  ~TmdURLLabel();
  TmdURLLabel(const TmdURLLabel&) = delete;
  TmdURLLabel& operator=(const TmdURLLabel&) = delete;

  HWND Handle() const { return m_window; }
  const URLLink& Link() const { return m_link; }

  // Copies of the given font (and its colour); the shown font changes only at the next
  // ApplyLabelType. False (nothing changed) when the font cannot be copied.
  bool SetLinkFont(HFONT font, COLORREF color);
  bool SetPassiveFont(HFONT font, COLORREF color);
  HFONT LinkFont() const { return m_linkFont.Get(); }
  HFONT PassiveFont() const { return m_passiveFont.Get(); }
  // The font and colour drawn now.
  HFONT ShownFont() const { return m_shownFont; }
  COLORREF ShownColor() const { return m_shownColor; }

  void SetCaption(std::string_view caption);
  void SetURL(std::string_view value);
  void SetURLAsHint(bool value);
  void SetShowPrefix(bool value);
  void SetLabelType(TmdLabelType value);
  void SetLinkType(TmdLinkType value);
  void SetAlignment(TAlignment alignment);

  void RefreshURLText();
  void RefreshHint();
  void ApplyLabelType();
  void CheckLinkAvailable();

  // The inherited click: OnClick, then the link opens when the label acts as one.
  void Click();

  std::function<void(TmdURLLabel& Sender)> OnClick;
  Opener OpenLink;

  // The cursor shown over a label that acts as a link: resource 8888 of the program, or the
  // system's hand when the program carries none.
  static HCURSOR LinkCursor();

 private:
  TmdURLLabel();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCreate();
  void OnPaint();
  void OnKeyDown(WPARAM key, LPARAM flags);
  void ShowCaption();
  void Repaint() const;

  HWND m_window = nullptr;
  URLLink m_link;
  ScopedFont m_linkFont;
  ScopedFont m_passiveFont;
  COLORREF m_linkColor = kLinkColor;
  COLORREF m_passiveColor = 0;
  HFONT m_shownFont = nullptr;  // one of the two above
  COLORREF m_shownColor = 0;
  TAlignment m_alignment = TAlignment::Left;
  ScopedWindow m_tooltip;
  bool m_pressed = false;
};

// The shell's "open" for a link; its result is ignored, as a missing browser shows nothing.
void OpenThroughShell(const std::string& target);

// Whether the system can open a kind of link: an open command for both ".html" and ".htm", or a
// loadable MAPI32.DLL for mail.
bool SystemHasLinkHandler(TmdLinkType type);

}  // namespace rsw::win32
