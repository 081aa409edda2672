#pragma once
// Free and Run inside the main window: the list, the generated submenu items, the one open form
// and the program waiting for the end of its free-up. The main window owns one controller for
// the life of the process (the list is read once per process) and calls it as follows:
//
//   once, after FocusWindow exists        m_freeAndRun = std::make_unique<FreeAndRunController>(host, registry);
//   PopupMenu1Popup, before TrackPopupMenu m_freeAndRun->RebuildFreeAndRunMenu(FreeandRun1);
//   WM_COMMAND, before its own ids         if (m_freeAndRun->OnCommand(id)) return;
//                                          (the entries' ids and ManageEntries1, which it must pass
//                                          as `manageEntriesCommand`; ManageEntries1 enabled)
//   WM_FREEUP_DONE, first, while Busy      m_freeAndRun->FreeAndRunLaunch();
//   Traybar1DblClick and Traybar1RightClick, first:
//                                          if (m_freeAndRun->ShowOpenForm()) return;
//   the message loop, before translating   if (IsFreeAndRunDialogMessage(msg)) continue;
//   WM_HIDE_TASKBUTTON                     the main window hides its taskbar button (posted by the
//                                          forms when they close and the window was hidden before)
//   closing                                nothing: a running Free-and-Run form means Busy, which
//                                          already refuses the close; the controller's destructor
//                                          destroys any form still open.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "freeandrun/FreeAndRunFlow.h"
#include "freeandrun/uFreeAndRun.h"
#include "freeandrun/win32/FreeAndRunForm.h"

namespace rsw::win32 {

// What Free and Run needs of the main window.
class FreeAndRunHost {
 public:
  virtual ~FreeAndRunHost() = default;
  // Owns the forms, receives WM_HIDE_TASKBUTTON and carries the program's taskbar button.
  virtual HWND MainWindow() const = 0;
  // The invisible tool window made the foreground window before a form shows.
  virtual HWND FocusWindow() const = 0;
  virtual bool Busy() const = 0;
  virtual void StartFreeUp(std::int32_t AmountMB, std::int32_t MaxPasses, std::int32_t Countdown,
                           std::int32_t IdleMode) = 0;
  // The amount selected in the main window's list (lstMem), -1 for none.
  virtual int SelectedAmountIndex() const = 0;
  virtual void OpenHelp(const char* topic) = 0;
};

// The user's locale, ignoring case (CompareStringA).
class Win32Collation final : public TextCollation {
 public:
  int Compare(std::string_view a, std::string_view b) const override;
};

class FreeAndRunController final : private FreeAndRunPlatform {
 public:
  FreeAndRunController(FreeAndRunHost& host, const uRegistry& registry, std::uint32_t manageEntriesCommand,
                       std::string keyPath = kFreeAndRunKey);
  ~FreeAndRunController() override;
  FreeAndRunController(const FreeAndRunController&) = delete;
  FreeAndRunController& operator=(const FreeAndRunController&) = delete;

  // Replaces the generated items of the "Free and &Run" submenu when the list has changed.
  void RebuildFreeAndRunMenu(HMENU FreeandRun1);
  // A menu command: an entry's (FreeAndRunItemClick) or "&Manage Entries". True when it was one.
  bool OnCommand(std::uint32_t command);
  void FreeAndRunItemClick(std::int32_t tag) { m_flow.FreeAndRunItemClick(tag); }
  // Opens the Manage Entries dialog modally; returns when it has closed.
  void ManageEntries1Click();
  void FreeAndRunLaunch() { m_flow.FreeAndRunLaunch(); }
  bool ShowOpenForm() { return m_flow.ShowOpenForm(); }

  // For tests and the main window's state.
  FreeAndRunList& List() { return m_list; }
  FreeAndRunForm* OpenForm() const { return m_form.get(); }
  const std::string& PendingRunPath() const { return m_flow.PendingRunPath(); }
  // Makes the Manage Entries dialog without showing it modally (tests drive it through its controls).
  FreeAndRunForm* OpenManageEntries();

 private:
  // FreeAndRunPlatform
  bool Busy() const override { return m_host.Busy(); }
  bool TaskbarWindowVisible() const override;
  void HideTaskbarWindow() override;
  void ShowFocusWindow() override;
  bool FileExists(const std::string& path) const override;
  bool FormOpen() const override { return m_form != nullptr; }
  void ShowRunForm(const std::string& menuText) override;
  void ShowErrorForm() override;
  void BringFormToFront() override;
  void DestroyForm() override;
  void ProcessMessages() override;
  void StartFreeUp(std::int32_t AmountMB, std::int32_t MaxPasses, std::int32_t Countdown,
                   std::int32_t IdleMode) override;
  void OpenProgram(const std::string& path) override;
  void Wait(int milliseconds) override;

  void Adopt(FormPtr<FreeAndRunForm> form);

  FreeAndRunHost& m_host;
  const uRegistry& m_registry;
  std::uint32_t m_manageEntriesCommand;
  Win32Collation m_collation;
  FreeAndRunList m_list;
  FreeAndRunFlow m_flow;
  FormPtr<FreeAndRunForm> m_form;  // FreeAndRunForm
};

}  // namespace rsw::win32
