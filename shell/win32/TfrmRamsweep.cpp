#include "shell/win32/TfrmRamsweep.h"

#include <algorithm>
#include <exception>

#include "engine/FreeAmounts.h"
#include "engine/IdleProfile.h"
#include "engine/TFreeThread.h"
#include "engine/win32/Win32FreeUp.h"
#include "shell/CommandLine.h"
#include "shell/ErrorText.h"
#include "shell/Messages.h"

namespace rsw::win32 {

namespace {

constexpr int kClientWidth = 411;
constexpr int kClientHeight = 272;
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1IntervalMs = 2000;  // the default refresh rate
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

std::string LocaleDecimalSeparator() {
  char separator[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) > 1) return separator;
  return ".";
}

}  // namespace

TfrmRamsweep::TfrmRamsweep(const uRegistry& registry, std::vector<std::string> args)
    : m_registry(registry), m_args(std::move(args)) {}

TfrmRamsweep::~TfrmRamsweep() {
  if (m_window) DestroyWindow(m_window);
}

bool TfrmRamsweep::RegisterClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &TfrmRamsweep::WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainWindowClass;
  return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

std::unique_ptr<TfrmRamsweep> TfrmRamsweep::Create(HINSTANCE instance, const uRegistry& registry,
                                                   std::vector<std::string> args) {
  std::unique_ptr<TfrmRamsweep> form(new TfrmRamsweep(registry, std::move(args)));
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  const HWND window =
      CreateWindowExA(0, kMainWindowClass, kProductName, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, form.get());
  if (!window) return nullptr;
  return form;
}

LRESULT CALLBACK TfrmRamsweep::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TfrmRamsweep*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->m_window = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TfrmRamsweep*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& e) {
    // An error abandons the handler that raised it; the program goes on.
    MessageBoxA(window, ErrorBoxText(e.what()).c_str(), kProductName, MB_OK | MB_ICONERROR);
  } catch (...) {
    MessageBoxA(window, "Unexpected error.", kProductName, MB_OK | MB_ICONERROR);
  }
  return 0;
}

LRESULT TfrmRamsweep::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return FormCreate() ? 0 : -1;
    case WM_TIMER:
      if (wParam == kTimer1) Timer1Timer();
      return 0;
    case WM_CLOSE: FormCloseQuery(); return 0;
    case WM_QUERYENDSESSION: return Busy ? FALSE : TRUE;
    case WM_NCDESTROY:
      KillTimer(m_window, kTimer1);
      SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
      m_window = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_FREEUP_DONE: OnFreeUpDone(); return 0;
    case WM_FREEUP_PASS:
      CurrentPass = static_cast<std::int32_t>(wParam);
      UpdateStatusCaption();
      return 0;
    case WM_FREEUP_COUNTDOWN:
      // not refreshed here: the next refresh tick shows it
      CountdownLeft = static_cast<std::int32_t>(wParam);
      return 0;
    case WM_FREEUP_IDLE:
      IdleProgress = static_cast<std::int32_t>(wParam);
      UpdateStatusCaption();
      return 0;
    case WM_PRESENCE_QUERY: return OnPresenceQuery(wParam, lParam);
    case WM_REMOTE_FREEUP: OnRemoteFreeUp(wParam, lParam); return 0;
    case WM_REMOTE_SHOW: ShowRamsweepPro1Click(); return 0;
    default: return DefWindowProcA(m_window, message, wParam, lParam);
  }
}

bool TfrmRamsweep::FormCreate() {
  m_decimalSeparator = LocaleDecimalSeparator();
  ExitAfterFreeUp = false;
  Busy = false;
  const MemoryStatus memory = ReadMemoryStatus();
  m_totalPhysical = memory.TotalPhysical;
  FreeBytes = memory.AvailablePhysical;

  m_status = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_CENTER, 8, kClientHeight / 2 - 8,
                             kClientWidth - 16, 16, m_window, nullptr, nullptr, nullptr);
  if (!m_status) return false;
  SendMessageA(m_status, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);

  UpdateStatusCaption();
  SetTimer(m_window, kTimer1, kTimer1IntervalMs, nullptr);

  CommandLineRequest request;
  request.ExitAfterFreeUp = ExitAfterFreeUp;
  if (ParseCommandLine(m_args, m_registry, request)) {
    CountdownLeft = request.Countdown;
    const std::int32_t amount = request.AmountMB == 0 ? DefaultAmountMB(m_totalPhysical) : request.AmountMB;
    StartFreeUp(amount, request.MaxPasses, request.Countdown, request.IdleMode);
    UpdateStatusCaption();
  }
  ExitAfterFreeUp = request.ExitAfterFreeUp;
  m_startMinimised = request.StartMinimised;
  return true;
}

void TfrmRamsweep::ShowAtStart(int processShowCommand) {
  int show = m_startMinimised ? SW_SHOWMINNOACTIVE : processShowCommand;
  // There is no maximise button: a maximised start shows the window at its normal size.
  if (show == SW_SHOWMAXIMIZED) show = SW_SHOWNORMAL;
  ShowWindow(m_window, show);
  UpdateWindow(m_window);
}

void TfrmRamsweep::StartFreeUp(std::int32_t AmountMB, std::int32_t MaxPasses, std::int32_t Countdown,
                               std::int32_t IdleMode) {
  if (Busy) return;
  Busy = true;
  CurrentPass = 0;
  IdleProgress = 0;

  TFreeThread worker;
  ConfigureIdle(worker, IdleMode, kSoftIdleDefaults, kHardIdleDefaults);
  worker.NotifyWindow = m_window;
  worker.MaxPasses = MaxPasses;
  worker.AmountMB = AmountMB;
  worker.Countdown = Countdown;
  if (!StartFreeThread(worker)) {
    // Without a thread the free-up ends at once, as a failed one does.
    PostMessageA(m_window, WM_FREEUP_DONE, 0, 0);
  }
}

void TfrmRamsweep::ReadFreeBytes() { FreeBytes = ReadMemoryStatus().AvailablePhysical; }

void TfrmRamsweep::UpdateStatusCaption() {
  ReadFreeBytes();
  const FreeUpProgress progress{Busy, CountdownLeft, CurrentPass, IdleProgress};
  const std::string caption = StatusCaption(progress, true, FreeBytes, m_decimalSeparator);
  SetWindowTextA(m_window, caption.c_str());
  const std::string status =
      "Available RAM to applications: " + FormatFreeMegabytes(FreeBytes, m_decimalSeparator) + " MB";
  SetWindowTextA(m_status, status.c_str());
}

void TfrmRamsweep::Timer1Timer() { UpdateStatusCaption(); }

void TfrmRamsweep::FormCloseQuery() {
  // A running free-up cannot be stopped, so the window stays until it ends.
  if (!Busy) DestroyWindow(m_window);
}

void TfrmRamsweep::ShowRamsweepPro1Click() {
  ShowWindow(m_window, IsIconic(m_window) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(m_window);
}

LRESULT TfrmRamsweep::OnPresenceQuery(WPARAM wParam, LPARAM lParam) {
  const bool magic = wParam == static_cast<WPARAM>(PRESENCE_MAGIC) && lParam == static_cast<LPARAM>(PRESENCE_MAGIC);
  return magic ? PRESENCE_MAGIC : 0;
}

void TfrmRamsweep::OnRemoteFreeUp(WPARAM wParam, LPARAM lParam) {
  RemoteFreeUp request = UnpackRemoteFreeUp(static_cast<std::uint32_t>(wParam), static_cast<std::int32_t>(lParam));
  // Another program may post anything: an amount no block can hold is not a request.
  if (request.AmountMB < 0 || request.AmountMB > TFreeThread::kMaxAmountMB) return;
  if (request.AmountMB == 0) request.AmountMB = DefaultAmountMB(ReadMemoryStatus().TotalPhysical);
  StartFreeUp(request.AmountMB, request.MaxPasses, request.Countdown, 0);
}

void TfrmRamsweep::OnFreeUpDone() {
  Busy = false;
  if (ExitAfterFreeUp) {
    PostMessageA(m_window, WM_CLOSE, 0, 0);
    return;
  }
  UpdateStatusCaption();
}

}  // namespace rsw::win32
