// The main window's life: how it shows (never maximised), minimises to the tray, refuses to close
// while a free-up runs, ends with the Windows session, takes a second start's requests and opens
// the help.
#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include <vector>

#include "display/win32/TTraybar.h"
#include "engine/FreeAmounts.h"
#include "engine/FreeUpRequests.h"
#include "shell/MainWindowRules.h"
#include "shell/win32/ProgramPath.h"
#include "shell/win32/TfrmRamsweep.h"

namespace rsw::win32 {

void TfrmRamsweep::ShowAtStart(int processShowCommand) {
  const StartShow show = StartShowFor(m_startMinimised, processShowCommand, Checked(chkShowIcon) && TrayReady);
  ShowWindow(m_window, show.command);
  UndoMaximise();
  if (show.hideAfterwards) ShowWindow(m_window, SW_HIDE);
  UpdateWindow(m_window);
}

void TfrmRamsweep::UndoMaximise() {
  // The window has no maximise button, yet Windows maximises it all the same when the process was
  // started "Maximized" (a shortcut's setting applies to the first show), when it was minimised
  // from a maximised state, or when another program asks: it goes back to its own size at once.
  if (!IsZoomed(m_window) || m_undoingMaximise) return;
  m_undoingMaximise = true;
  const bool visible = IsWindowVisible(m_window) != FALSE;
  ShowWindow(m_window, SW_RESTORE);
  if (!visible) ShowWindow(m_window, SW_HIDE);
  m_undoingMaximise = false;
}

void TfrmRamsweep::OnSize(WPARAM kind) {
  if (kind == SIZE_MAXIMIZED) UndoMaximise();
}

bool TfrmRamsweep::FormCloseQuery() {
  // A running free-up cannot be stopped, so the window stays until it ends; the settings are
  // saved either way.
  bool canClose = !Busy;
  try {
    SaveSettings();
  } catch (const RegistryError& e) {
    ShowErrorBox(e.what());
    canClose = false;
  }
  return canClose;
}

void TfrmRamsweep::FormClose() {
  Traybar1->DeleteIcon();
  FocusWindow.Reset();
}

void TfrmRamsweep::OnEndSession(bool ending) {
  if (RemoveIconAtEndOfSession(m_watchEndSession, ending)) Traybar1->DeleteIcon();
  if (ending) DestroyWindow(m_window);
}

void TfrmRamsweep::ShowRamsweepPro1Click() {
  ShowWindow(m_window, SW_SHOW);
  if (IsIconic(m_window)) ShowWindow(m_window, SW_RESTORE);
  UndoMaximise();
  SetForegroundWindow(m_window);
}

void TfrmRamsweep::butClose1Click() { PostMessageA(m_window, WM_SYSCOMMAND, SC_MINIMIZE, 0); }

void TfrmRamsweep::OnSysCommand(WPARAM command, LPARAM lParam) {
  DefWindowProcA(m_window, WM_SYSCOMMAND, command, lParam);
  const WPARAM kind = command & 0xFFF0;
  // With the tray icon shown, a minimised program lives only there: no taskbar button.
  if (kind == SC_MINIMIZE && Checked(chkShowIcon) && TrayReady) ShowWindow(m_window, SW_HIDE);
  // the taskbar button restores through here
  if (kind == SC_RESTORE) UndoMaximise();
}

void TfrmRamsweep::OnRemoteFreeUp(WPARAM wParam, LPARAM lParam) {
  const auto request = AcceptRemoteFreeUp(static_cast<std::uint32_t>(wParam), static_cast<std::int32_t>(lParam),
                                          DefaultAmountMB(ReadMemory().TotalPhysical));
  if (request) StartFreeUpFor(FreeUpKind::SecondStart, request->AmountMB, request->MaxPasses, request->Countdown, 0);
}

void TfrmRamsweep::OnHideTaskButton() {
  // The taskbar button belongs to this window: a minimised window loses it by hiding.
  if (IsIconic(m_window)) ShowWindow(m_window, SW_HIDE);
}

void TfrmRamsweep::OpenHelp(const char* topic) {
  if (PathFileExistsA(m_helpFile.c_str())) {
    WinHelpA(m_window, m_helpFile.c_str(), HELP_CONTENTS, 0);
    const std::string macro = std::string("JumpID(\"\",\"") + topic + "\")";
    WinHelpA(m_window, m_helpFile.c_str(), HELP_COMMAND, reinterpret_cast<ULONG_PTR>(macro.c_str()));
    return;
  }
  // No system here can show the old help format: the same topics live in one HTML page.
  const std::string page = FolderOf(m_options.programPath) + "rswpro4.html";
  // Room for the page's address however deep its folder: escaping can triple a path's length.
  std::vector<char> url(page.size() * 3 + 32);
  DWORD length = static_cast<DWORD>(url.size());
  if (FAILED(UrlCreateFromPathA(page.c_str(), url.data(), &length, 0))) return;
  const std::string target = std::string(url.data()) + "#" + topic;
  // A file opened by its path loses the "#topic" part, so the browser is given the whole address.
  DWORD browserLength = 0;
  std::string browser;
  // the size query answers S_FALSE on Windows and S_OK on Wine
  if (SUCCEEDED(AssocQueryStringA(0, ASSOCSTR_EXECUTABLE, ".html", "open", nullptr, &browserLength)) &&
      browserLength > 0) {
    browser.resize(browserLength);
    if (FAILED(AssocQueryStringA(0, ASSOCSTR_EXECUTABLE, ".html", "open", browser.data(), &browserLength))) {
      browser.clear();
    } else {
      browser.resize(std::char_traits<char>::length(browser.c_str()));
    }
  }
  if (!browser.empty()) {
    m_options.shellOpen(m_window, browser, target);
  } else {
    m_options.shellOpen(m_window, page, "");
  }
}

}  // namespace rsw::win32
