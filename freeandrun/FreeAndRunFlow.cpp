#include "freeandrun/FreeAndRunFlow.h"

#include "engine/FreeAmounts.h"
#include "freeandrun/FreeAndRunMenu.h"

namespace rsw {

namespace {
constexpr std::int32_t kRunPasses = 3;
constexpr int kLaunchPauseMs = 100;
}  // namespace

void FreeAndRunFlow::FreeAndRunItemClick(std::int32_t tag) {
  if (m_platform.Busy() || m_platform.FormOpen()) return;
  const auto entry = m_list.GetFreeAndRunEntry(tag - kFirstEntryTag);
  if (!entry) return;
  const bool wasVisible = m_platform.TaskbarWindowVisible();
  m_platform.ShowFocusWindow();
  if (!m_platform.FileExists(entry->Run)) {
    // nothing is freed and nothing becomes pending
    m_platform.ShowErrorForm();
    return;
  }
  m_pendingRunPath = entry->Run;
  m_platform.ShowRunForm(entry->Display);
  if (!wasVisible) m_platform.HideTaskbarWindow();
  // the form is painted before the work starts
  m_platform.ProcessMessages();
  m_platform.StartFreeUp(FreeAmounts[static_cast<std::size_t>(ValidAmountIndex(entry->Free))], kRunPasses, 0, 0);
}

void FreeAndRunFlow::FreeAndRunLaunch() {
  if (!m_platform.Busy() || m_pendingRunPath.empty() || !m_platform.FormOpen()) return;
  const bool wasVisible = m_platform.TaskbarWindowVisible();
  m_platform.OpenProgram(m_pendingRunPath);
  m_platform.Wait(kLaunchPauseMs);
  m_platform.DestroyForm();
  if (!wasVisible) m_platform.HideTaskbarWindow();
  m_pendingRunPath.clear();
}

bool FreeAndRunFlow::ShowOpenForm() {
  if (!m_platform.FormOpen()) return false;
  m_platform.ShowFocusWindow();
  m_platform.BringFormToFront();
  return true;
}

}  // namespace rsw
