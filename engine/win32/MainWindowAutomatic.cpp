// The automatic free-ups in the main window: the regular one on its schedule, the critical one
// when free memory stays low, and the Background page that switches them.
#include <windows.h>

#include "engine/FreeAmounts.h"
#include "engine/Thousands.h"
#include "shell/MainWindowRules.h"
#include "shell/win32/MainWindowInternals.h"
#include "shell/win32/TfrmRamsweep.h"

namespace rsw::win32 {

void TfrmRamsweep::ScheduleNextRegular() {
  NextRegularTime = rsw::NextRegularTime(m_options.now(), Position(udmin));
  const CivilTime due = FromLocalSeconds(NextRegularTime);
  const SYSTEMTIME time = SystemTimeOf(due);
  char text[64] = {};
  // the locale's long time format, no date
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, sizeof text);
  SetText(labNext, std::string("Next at ") + text);
}

void TfrmRamsweep::RegularFreeUpCheck() {
  // A regular free-up that falls due during another one waits for the first tick after it.
  if (Busy) return;
  // The schedule moves on whether or not regular free-ups are on.
  ScheduleNextRegular();
  StartAutomaticFreeUp(chkRegular, cboRegular, cboIdleRegular);
}

void TfrmRamsweep::TimerCriticalTimer() {
  // A critical amount that is no number changes nothing.
  const auto critical = ParseThousands(TickText(txtCritical));
  if (!critical) return;
  const std::uint64_t freeKB = ReadMemory().AvailablePhysical / 1024;
  if (m_critical.Tick(freeKB, *critical, TickPosition(udsec, Edit7))) CriticalFreeUpCheck();
}

void TfrmRamsweep::CriticalFreeUpCheck() {
  if (Busy) return;
  // a critical free-up puts the next regular one a full interval off
  ScheduleNextRegular();
  StartAutomaticFreeUp(chkCritical, cboCritical, cboIdleCritical);
}

void TfrmRamsweep::StartAutomaticFreeUp(ControlId enabled, ControlId amount, ControlId idle) {
  const int index = ItemIndex(amount);
  const FreeUpKind kind = enabled == chkCritical ? FreeUpKind::Critical : FreeUpKind::Regular;
  if (Checked(chkBackground) && Checked(enabled) && index >= 0) {
    StartFreeUpFor(kind, FreeAmounts[index], 3, 0, ItemIndex(idle));
  }
}

void TfrmRamsweep::UpdateBackgroundControls() {
  const ControlStates states = ControlStatesFor({.background = Checked(chkBackground),
                                                 .regular = Checked(chkRegular),
                                                 .critical = Checked(chkCritical),
                                                 .backgroundPageShown = m_page == Page::Background});
  Enable(chkRegular, states.backgroundChecks);
  Enable(chkCritical, states.backgroundChecks);
  for (ControlId id :
       {cboCritical, udsec, Edit7, cboIdleCritical, labLessThan, labSecondsAndUse, labForMoreThan, labCriticalIdle}) {
    Enable(id, states.criticalGroup);
  }
  for (ControlId id : {cboIdleRegular, cboRegular, udmin, Edit5, labEvery, labMinutes, labRegularUse, labRegularIdle}) {
    Enable(id, states.regularGroup);
  }
  ShowWindow(Control(labNext), states.nextShown ? SW_SHOW : SW_HIDE);
}

bool TfrmRamsweep::RegularFreeUpsOn() const {
  return rsw::RegularFreeUpsOn(Checked(chkBackground), Checked(chkRegular));
}

void TfrmRamsweep::chkBackgroundClick() {
  CheckMenuItem(PopupMenu1.Get(), BackgroundActivity1, Checked(chkBackground) ? MF_CHECKED : MF_UNCHECKED);
  LoadTrayIcons();
  UpdateStatusDisplay();
  UpdateBackgroundControls();
}

void TfrmRamsweep::chkRegularClick() { UpdateBackgroundControls(); }

void TfrmRamsweep::chkCriticalClick() {
  EnableTimerCritical();
  m_critical.Reset();
  UpdateBackgroundControls();
}

void TfrmRamsweep::EnableTimerCritical() {
  if (Checked(chkCritical)) {
    SetTimer(m_window, kTimerCritical, kTimerCriticalMs, nullptr);
  } else {
    KillTimer(m_window, kTimerCritical);
  }
}

}  // namespace rsw::win32
