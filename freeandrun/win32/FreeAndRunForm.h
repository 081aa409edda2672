#pragma once
// What the three Free-and-Run forms share: a dialog window of a class named after the form, built
// from pixel positions, owned by the main window, with its fonts and tooltips.

#include <windows.h>

#include <functional>
#include <string>

#include "shell/win32/ScopedHandles.h"

namespace rsw::win32 {

class FreeAndRunForm {
 public:
  virtual ~FreeAndRunForm();
  FreeAndRunForm(const FreeAndRunForm&) = delete;
  FreeAndRunForm& operator=(const FreeAndRunForm&) = delete;

  HWND Handle() const { return m_window; }
  // Shows the form and brings it to the front.
  void BringToFront();
  // Runs once the window is gone, whoever closed it; the owner may destroy this object there.
  std::function<void()> OnDestroyed;

 protected:
  FreeAndRunForm() = default;
  // Creates the window (not yet shown) with the given client size, centred on the screen.
  bool CreateForm(HWND owner, const char* className, const char* caption, DWORD style, DWORD exStyle, int clientWidth,
                  int clientHeight);
  virtual bool OnInitDialog() = 0;
  // A message's result for the dialog manager, or nothing for its own handling.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual void OnDestroy() {}

  // A child control at pixel position (left, top) of the client area.
  HWND AddControl(int id, const char* className, const char* text, DWORD style, DWORD exStyle, int x, int y, int w,
                  int h, HFONT font);
  HWND Item(int id) const { return GetDlgItem(m_window, id); }
  void AddTooltip(HWND control, const char* text);
  void SetTooltip(HWND control, const std::string& text);
  static HFONT MakeFont(int pixelHeight, const char* face, bool bold);
  void ShowErrorBox(const std::string& message) const;

  HWND m_window = nullptr;
  HWND m_owner = nullptr;
  HWND m_tooltip = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// Gives an open Free-and-Run form its keys (Tab, Enter, Esc): the message loop calls this for
// every message before translating and dispatching it, and skips the message when it says true.
bool IsFreeAndRunDialogMessage(MSG& message);

}  // namespace rsw::win32
