// Free and Run in the main window: the window as the host of the Free-and-Run controller, the
// submenu rebuilt as the tray menu opens, its commands, the open form brought forward by the tray
// icon's clicks, and the launch at the end of the entry's free-up.
#include <windows.h>

#include "engine/FreeAmounts.h"
#include "freeandrun/win32/FreeAndRunController.h"
#include "shell/win32/TfrmRamsweep.h"

namespace rsw::win32 {

class TfrmRamsweep::FreeAndRunHostOfWindow final : public FreeAndRunHost {
 public:
  explicit FreeAndRunHostOfWindow(TfrmRamsweep& window) : m_form(window) {}
  HWND MainWindow() const override { return m_form.m_window; }
  HWND FocusWindow() const override { return m_form.FocusWindow.Get(); }
  bool Busy() const override { return m_form.Busy; }
  void StartFreeUp(std::int32_t AmountMB, std::int32_t MaxPasses, std::int32_t Countdown,
                   std::int32_t IdleMode) override {
    m_form.StartFreeUpFor(FreeUpKind::FreeAndRun, AmountMB, MaxPasses, Countdown, IdleMode);
  }
  int SelectedAmountIndex() const override { return m_form.ItemIndex(lstMem); }
  void OpenHelp(const char* topic) override { m_form.OpenHelp(topic); }

 private:
  TfrmRamsweep& m_form;
};

bool TfrmRamsweep::CreateFreeAndRun() {
  m_freeAndRunHost = std::make_unique<FreeAndRunHostOfWindow>(*this);
  m_freeAndRun = std::make_unique<FreeAndRunController>(*m_freeAndRunHost, m_registry, ManageEntries1);
  return true;
}

void TfrmRamsweep::PopupMenu1Popup() {
  if (m_freeAndRun) m_freeAndRun->RebuildFreeAndRunMenu(FreeandRun1);
}

bool TfrmRamsweep::ShowFreeAndRunForm() { return m_freeAndRun && m_freeAndRun->ShowOpenForm(); }

void TfrmRamsweep::FreeAndRunLaunch() {
  if (m_freeAndRun) m_freeAndRun->FreeAndRunLaunch();
}

bool TfrmRamsweep::FreeAndRunCommand(int id) {
  return m_freeAndRun && id >= 0 && m_freeAndRun->OnCommand(static_cast<std::uint32_t>(id));
}

}  // namespace rsw::win32
