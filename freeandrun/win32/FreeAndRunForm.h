#pragma once
// What the three Free-and-Run forms share: a dialog window of a class named after the form, built
// from pixel positions at 96 DPI scaled to the owner's DPI, owned by the main window, with its
// fonts and tooltips; laid out again when its DPI changes.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/win32/ScopedHandles.h"

namespace rsw::win32 {

class FreeAndRunForm;

// Deletes a form the way its owner must: the window ends first, while the whole object still
// answers its messages and runs its own end-of-life steps, and only then the object goes.
struct FormDeleter {
  void operator()(FreeAndRunForm* form) const;
};
template <class Form>
using FormPtr = std::unique_ptr<Form, FormDeleter>;

class FreeAndRunForm {
 public:
  virtual ~FreeAndRunForm();
  FreeAndRunForm(const FreeAndRunForm&) = delete;
  FreeAndRunForm& operator=(const FreeAndRunForm&) = delete;

  HWND Handle() const { return m_window; }
  // Ends the window, if it is still there, while the object is whole: its own OnDestroy runs,
  // OnDestroyed does not (whoever calls this already knows).
  void DestroyFormWindow();
  // Shows the form and brings it to the front.
  void BringToFront();
  // Runs once the window is gone, whoever closed it; the owner may destroy this object there.
  std::function<void()> OnDestroyed;

 protected:
  FreeAndRunForm() = default;
  // Creates the window (not yet shown) with the given client size (at 96 DPI), centred on the screen.
  bool CreateForm(HWND owner, const char* className, const char* caption, DWORD style, DWORD exStyle, int clientWidth,
                  int clientHeight);
  // The form's two fonts at its DPI: the body text (MS Sans Serif, 11 pixels at 96 DPI) and the
  // title (bold Times New Roman of the given height); false when one cannot be made.
  bool CreateFonts(int titleHeight);
  virtual bool OnInitDialog() = 0;
  // A message's result for the dialog manager, or nothing for its own handling.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual void OnDestroy() {}

  // A child control at pixel position (left, top) of the client area, in 96-DPI pixels; with
  // `fitText` it is exactly as large as its text in its font, and w and h are not used.
  HWND AddControl(int id, const char* className, const char* text, DWORD style, DWORD exStyle, int x, int y, int w,
                  int h, HFONT font, bool fitText = false);
  HWND Item(int id) const { return GetDlgItem(m_window, id); }
  void AddTooltip(HWND control, const char* text);
  void SetTooltip(HWND control, const std::string& text);
  void ShowErrorBox(const std::string& message) const;
  // A 96-DPI figure at the form's DPI.
  int Scaled(int value) const;

  HWND m_window = nullptr;
  HWND m_owner = nullptr;
  HWND m_tooltip = nullptr;
  int m_dpi = 96;
  ScopedFont m_font;
  ScopedFont m_titleFont;

 private:
  struct Placed {
    HWND control;
    int x, y, w, h;  // at 96 DPI
    bool title;      // in the title font, else the body font
    bool fitText;
  };
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Place(const Placed& placed) const;
  // WM_DPICHANGED: fonts, controls and the window at the new DPI, in the rectangle suggested.
  void OnDpiChanged(int dpi, const RECT* suggested);

  DWORD m_style = 0;
  DWORD m_exStyle = 0;
  int m_clientWidth = 0;  // at 96 DPI
  int m_clientHeight = 0;
  int m_titleHeight = 16;
  std::vector<Placed> m_placed;
};

// Gives an open Free-and-Run form its keys (Tab, Enter, Esc): the message loop calls this for
// every message before translating and dispatching it, and skips the message when it says true.
bool IsFreeAndRunDialogMessage(MSG& message);

}  // namespace rsw::win32
