// The free-up controller in the main window: one free-up at a time started from the command line,
// the Free Memory page, the menus or a second start; its progress followed into the caption and
// the tray icon; its end.
#include <windows.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "engine/FreeAmounts.h"
#include "engine/FreeUpRequests.h"
#include "engine/IdleProfile.h"
#include "shell/CommandLine.h"
#include "shell/Messages.h"
#include "shell/win32/TfrmRamsweep.h"

namespace rsw::win32 {

void TfrmRamsweep::ApplyCommandLine() {
  CommandLineRequest request;
  request.ExitAfterFreeUp = ExitAfterFreeUp;
  if (ParseCommandLine(m_options.args, m_registry, request)) {
    CountdownLeft = request.Countdown;
    std::int32_t amount = request.AmountMB;
    if (amount == 0) {
      const int selected = ItemIndex(lstMem);
      amount = selected >= 0 ? FreeAmounts[selected] : FreeAmounts[0];
    }
    ExitAfterFreeUp = request.ExitAfterFreeUp;
    StartFreeUp(amount, request.MaxPasses, request.Countdown, request.IdleMode);
    ShowPage(Page::Statistics);
    UpdateStatusCaption();
  }
  m_startMinimised = request.StartMinimised;
}

void TfrmRamsweep::StartFreeUp(std::int32_t AmountMB, std::int32_t MaxPasses, std::int32_t Countdown,
                               std::int32_t IdleMode) {
  if (Busy) return;
  Busy = true;
  EnableFreeUpCommands(false);
  CurrentPass = 0;
  IdleProgress = 0;

  TFreeThread worker;
  const IdleProfile soft{Position(udSoftPercent), Position(udSoftSeconds), ItemIndex(cboSoftAction) == 0};
  const IdleProfile hard{Position(udHardPercent), Position(udHardSeconds), ItemIndex(cboHardAction) == 0};
  ConfigureIdle(worker, IdleMode, soft, hard);
  worker.NotifyWindow = m_window;
  worker.MaxPasses = MaxPasses;
  worker.AmountMB = AmountMB;
  worker.Countdown = Countdown;
  m_lastWorker = worker;
  bool started = false;
  try {
    started = m_options.startWorker(worker);
  } catch (...) {
    started = false;
  }
  // Without a thread the free-up ends at once, as a failed one does.
  if (!started) PostMessageA(m_window, WM_FREEUP_DONE, 0, 0);
}

void TfrmRamsweep::OnFreeUpDone() {
  FreeAndRunLaunch();
  Busy = false;
  if (ExitAfterFreeUp) {
    // Closed at once: a request from a second start already queued would otherwise start another
    // free-up first and the close would be refused.
    SendMessageA(m_window, WM_CLOSE, 0, 0);
    if (!m_window) return;  // gone: nothing of it is left to update
  }
  // also when the close asked for was refused (the settings could not be written)
  EnableFreeUpCommands(true);
  UpdateStatusCaption();
}

void TfrmRamsweep::OnFreeUpPass(WPARAM pass) {
  CurrentPass = static_cast<std::int32_t>(pass);
  UpdateStatusCaption();
}

void TfrmRamsweep::OnFreeUpCountdown(WPARAM secondsLeft) {
  // not refreshed here: the next refresh tick shows it
  CountdownLeft = static_cast<std::int32_t>(secondsLeft);
}

void TfrmRamsweep::OnFreeUpIdle(WPARAM progress) {
  IdleProgress = static_cast<std::int32_t>(progress);
  UpdateStatusCaption();
}

void TfrmRamsweep::ReadFreeBytes() { FreeBytes = ReadMemory().AvailablePhysical; }

void TfrmRamsweep::UpdateStatusCaption() {
  ReadFreeBytes();
  const FreeUpProgress progress{Busy, CountdownLeft, CurrentPass, IdleProgress};
  const std::string caption = StatusCaption(progress, Checked(chkCaption), FreeBytes, m_decimalSeparator);
  // Set only when it changes; other programs read it, so every change still shows at once.
  std::array<char, 256> current{};
  const int length = GetWindowTextA(m_window, current.data(), static_cast<int>(current.size()));
  if (caption != std::string_view(current.data(), static_cast<std::size_t>(std::max(length, 0)))) {
    SetWindowTextA(m_window, caption.c_str());
  }
  UpdateStatusDisplay();
}

void TfrmRamsweep::butAllocClick() {
  const int selected = ItemIndex(lstMem);
  if (!Busy && selected >= 0) {
    const std::int32_t passes = ManualPasses(Text(txtMaxTimes));
    StartFreeUp(FreeAmounts[selected], passes, 0, 0);
    SetPosition(UpDown1, passes);
    ShowPage(Page::Statistics);
  }
  UpdateStatusCaption();
}

}  // namespace rsw::win32
