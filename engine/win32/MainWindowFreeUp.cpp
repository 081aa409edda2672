// The free-up controller in the main window: one free-up at a time started from the command line,
// the Free Memory page, the menus or a second start; its progress followed into the caption and
// the tray icon; its end, and what it did: on the Free Memory page, on the chart and in a balloon.
#include <windows.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "display/win32/TPerformanceChart.h"
#include "display/win32/TTraybar.h"
#include "engine/FreeAmounts.h"
#include "engine/FreeUpRequests.h"
#include "engine/IdleProfile.h"
#include "shell/CommandLine.h"
#include "shell/Messages.h"
#include "shell/win32/MainWindowInternals.h"
#include "shell/win32/TfrmRamsweep.h"

namespace rsw::win32 {

namespace {

// The time of day in the user's short time format ("14:05", "2:05 PM"). Systems before Windows 7
// know only the long format, which is then shown without its seconds.
std::string ShortTimeOfDay(const CivilTime& at) {
  const SYSTEMTIME time = SystemTimeOf(at);
  std::array<char, 80> format{};
  std::array<char, 80> text{};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTTIME, format.data(), static_cast<int>(format.size())) > 1 &&
      GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, format.data(), text.data(), static_cast<int>(text.size())) > 1) {
    return text.data();
  }
  if (GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, text.data(), static_cast<int>(text.size())) >
      1) {
    return text.data();
  }
  // by hand: the C library's formatted printing would bring its whole floating-point part along
  const auto twoDigits = [](int value) {
    value = (value % 100 + 100) % 100;
    return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
  };
  return twoDigits(at.hour) + ":" + twoDigits(at.minute);
}

}  // namespace

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
    StartFreeUpFor(request.StartMinimised ? FreeUpKind::Startup : FreeUpKind::CommandLine, amount, request.MaxPasses,
                   request.Countdown, request.IdleMode);
    ShowPage(Page::Statistics);
    UpdateStatusCaption();
  }
  m_startMinimised = request.StartMinimised;
}

void TfrmRamsweep::StartFreeUpFor(FreeUpKind kind, std::int32_t AmountMB, std::int32_t MaxPasses,
                                  std::int32_t Countdown, std::int32_t IdleMode) {
  m_startingKind = kind;  // StartFreeUp takes it and leaves the unnamed kind behind
  StartFreeUp(AmountMB, MaxPasses, Countdown, IdleMode);
}

void TfrmRamsweep::StartFreeUp(std::int32_t AmountMB, std::int32_t MaxPasses, std::int32_t Countdown,
                               std::int32_t IdleMode) {
  const FreeUpKind kind = std::exchange(m_startingKind, kUnnamedFreeUp);
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
  if (started) {
    // only a free-up whose worker runs has anything to tell afterwards
    m_running = RunningFreeUp{kind, false, 0, {}};
  } else {
    // Without a thread the free-up ends at once, as a failed one does.
    m_running.reset();
    PostMessageA(m_window, WM_FREEUP_DONE, 0, 0);
  }
}

std::optional<FreeUpResult> TfrmRamsweep::RecordFreeUpResult() {
  if (!m_running) return std::nullopt;
  const RunningFreeUp running = *std::exchange(m_running, std::nullopt);
  FreeUpResult result;
  result.kind = running.kind;
  result.ranPasses = running.ranPasses;
  result.freeBefore = running.freeBefore;
  result.freeAfter = ReadMemory().AvailablePhysical;
  if (running.ranPasses) {
    result.milliseconds = GetTickCount64() - running.firstPassTick;
  }
  result.endedAt = m_options.now();
  return result;
}

void TfrmRamsweep::ShowFreeUpResult(const FreeUpResult& result) {
  m_lastResult = result;
  SetText(labLastResult, ResultLine(result, ShortTimeOfDay(result.endedAt), m_decimalSeparator));
  if (m_page == Page::FreeMemory) ShowWindow(Control(labLastResult), SW_SHOW);
  // on the first reading from now on
  m_chart->MarkNextValue();
  if (ShowsResultBalloon(result.kind, Checked(chkShowResult), Checked(chkShowIcon) && TrayReady)) {
    Traybar1->ShowBalloon(kProductName, ResultBalloonText(result, m_decimalSeparator));
  }
}

void TfrmRamsweep::OnFreeUpDone() {
  // read before the Free-and-Run program opens and takes its share
  const std::optional<FreeUpResult> result = RecordFreeUpResult();
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
  if (result) ShowFreeUpResult(*result);
}

void TfrmRamsweep::OnFreeUpPass(WPARAM pass) {
  if (pass == 0 && m_running && !m_running->ranPasses) {
    m_running->ranPasses = true;
    m_running->freeBefore = ReadMemory().AvailablePhysical;
    m_running->firstPassTick = GetTickCount64();
  }
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
    StartFreeUpFor(FreeUpKind::Window, FreeAmounts[selected], passes, 0, 0);
    SetPosition(UpDown1, passes);
    ShowPage(Page::Statistics);
  }
  UpdateStatusCaption();
}

}  // namespace rsw::win32
