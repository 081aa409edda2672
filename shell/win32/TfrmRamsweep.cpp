// The main window's skeleton: registration, the window procedure and the dispatch of every
// message to its handler, and small accessors for the controls. The handlers live in the files
// named after their concern (see TfrmRamsweep.h).
#include "shell/win32/TfrmRamsweep.h"

#include <commctrl.h>
#include <shellapi.h>

#include <exception>

#include "display/win32/TPerformanceChart.h"
#include "display/win32/TTraybar.h"
#include "display/win32/TmdURLLabel.h"
#include "freeandrun/win32/FreeAndRunController.h"
#include "shell/DpiScale.h"
#include "shell/ErrorText.h"
#include "shell/Messages.h"
#include "shell/win32/Dpi.h"
#include "shell/win32/MainWindowInternals.h"
#include "shell/win32/ProgramPath.h"

namespace rsw::win32 {

namespace {

CivilTime LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace

TfrmRamsweep::TfrmRamsweep(const uRegistry& registry, Options options)
    : m_registry(registry), m_options(std::move(options)) {
  if (!m_options.startWorker) m_options.startWorker = [](const TFreeThread& worker) { return StartFreeThread(worker); };
  if (m_options.programPath.empty()) m_options.programPath = ModuleFilePath();
  if (!m_options.now) m_options.now = &LocalNow;
  if (!m_options.memory) m_options.memory = &ReadMemoryStatus;
  if (!m_options.shellOpen) {
    m_options.shellOpen = [](HWND owner, const std::string& file, const std::string& parameters) {
      ShellExecuteA(owner, "open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(), nullptr,
                    SW_SHOWNORMAL);
    };
  }
}

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
  if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  WNDCLASSEXA focus{};
  focus.cbSize = sizeof focus;
  focus.lpfnWndProc = &DefWindowProcA;
  focus.hInstance = instance;
  focus.lpszClassName = kFocusWindowClass;
  return RegisterClassExA(&focus) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

std::unique_ptr<TfrmRamsweep> TfrmRamsweep::Create(HINSTANCE instance, const uRegistry& registry, Options options) {
  std::unique_ptr<TfrmRamsweep> form(new TfrmRamsweep(registry, std::move(options)));
  // The window opens on the primary monitor at the system's DPI; should it be another, creation
  // sets the size again once the window knows its own.
  const int dpi = SystemDpi();
  const RECT frame = WindowRectForClient({0, 0, ScaleToDpi(kClientWidth, dpi), ScaleToDpi(kClientHeight, dpi)},
                                         kMainWindowStyle, WS_EX_CONTROLPARENT, dpi);
  const HWND window = CreateWindowExA(WS_EX_CONTROLPARENT, kMainWindowClass, kProductName, kMainWindowStyle,
                                      CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                      nullptr, nullptr, instance, form.get());
  if (!window) return nullptr;
  if (form->m_dpi != dpi) {
    const RECT own = WindowRectForClient({0, 0, form->Scaled(kClientWidth), form->Scaled(kClientHeight)},
                                         kMainWindowStyle, WS_EX_CONTROLPARENT, form->m_dpi);
    SetWindowPos(window, nullptr, 0, 0, own.right - own.left, own.bottom - own.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return form;
}

LRESULT CALLBACK TfrmRamsweep::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TfrmRamsweep*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (!self) return FALSE;  // only Create makes this window
    self->m_window = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TfrmRamsweep*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& e) {
    // An error abandons the handler that raised it; the program goes on.
    self->ShowErrorBox(e.what());
  } catch (...) {
    self->ShowErrorBox("Unexpected error.");
  }
  return message == WM_CREATE ? -1 : 0;
}

void TfrmRamsweep::ShowErrorBox(const std::string& message) const {
  // titled with the application title, which is the window's caption
  char title[256] = {};
  GetWindowTextA(m_window, title, sizeof title);
  MessageBoxA(m_window, ErrorBoxText(message).c_str(), title[0] ? title : kProductName, MB_OK | MB_ICONERROR);
}

LRESULT TfrmRamsweep::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return FormCreate() ? 0 : -1;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == Control(TrackBar1)) TrackBar1Change();
      return 0;
    case WM_VSCROLL:
      // an up-down tells its new position
      if (reinterpret_cast<HWND>(lParam) == Control(udmin)) ScheduleNextRegular();
      if (reinterpret_cast<HWND>(lParam) == Control(udsec)) m_critical.Reset();
      return 0;
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT: return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORBTN:
      if (m_pageBrush) return reinterpret_cast<LRESULT>(m_pageBrush.Get());
      return DefWindowProcA(m_window, message, wParam, lParam);
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
      MatchPageColor();
      InvalidateRect(m_window, nullptr, TRUE);
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlType != ODT_STATIC) return FALSE;
      DrawGroupBox(item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case DM_GETDEFID:
      // Enter presses "Allocate and Free" while its page is shown.
      return m_page == Page::FreeMemory ? MAKELRESULT(butAlloc, DC_HASDEFID) : 0;
    case WM_TIMER:
      if (wParam == kTimer1) Timer1Timer();
      if (wParam == kTimerCritical) TimerCriticalTimer();
      return 0;
    case WM_SIZE: OnSize(wParam); return 0;
    case WM_DPICHANGED:
      // the new DPI in both halves of wParam (horizontal in the low half), the system's rectangle in lParam
      if (lParam) {
        OnDpiChanged(LOWORD(wParam), SuggestedRect(lParam));
      } else {
        // no rectangle (another program's message): the same frame round the client area at the new DPI
        RECT here{};
        GetWindowRect(m_window, &here);
        const RECT client = ClientArea();
        const int dpi = UsableDpi(LOWORD(wParam));
        const RECT frame{here.left, here.top,
                         here.left + (here.right - here.left) - client.right + ScaleToDpi(kClientWidth, dpi),
                         here.top + (here.bottom - here.top) - client.bottom + ScaleToDpi(kClientHeight, dpi)};
        OnDpiChanged(dpi, frame);
      }
      return 0;
    case WM_SETTINGCHANGE:
      // a new display scale may bring another small-icon size for the tray
      ApplyTraySize();
      return DefWindowProcA(m_window, message, wParam, lParam);
    case WM_SYSCOMMAND: OnSysCommand(wParam, lParam); return 0;
    case WM_CLOSE:
      if (FormCloseQuery()) {
        FormClose();
        DestroyWindow(m_window);
      }
      return 0;
    case WM_QUERYENDSESSION: return FormCloseQuery() ? TRUE : FALSE;
    case WM_ENDSESSION: OnEndSession(wParam != FALSE); return 0;
    case WM_DESTROY:
      if (m_dynData) m_dynData->StopProcessorUsage();
      return 0;
    case WM_NCDESTROY:
      KillTimer(m_window, kTimer1);
      KillTimer(m_window, kTimerCritical);
      SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
      m_window = nullptr;
      // the owned focus window is gone with this one
      FocusWindow.Release();
      // a window whose creation failed leaves the message loop to its creator
      if (WindowCreated) PostQuitMessage(0);
      return 0;
    // Progress that arrives with no free-up running (posted by some other program) is no progress.
    case WM_FREEUP_DONE:
      if (Busy) OnFreeUpDone();
      return 0;
    case WM_FREEUP_PASS:
      if (Busy) OnFreeUpPass(wParam);
      return 0;
    case WM_FREEUP_COUNTDOWN:
      if (Busy) OnFreeUpCountdown(wParam);
      return 0;
    case WM_FREEUP_IDLE:
      if (Busy) OnFreeUpIdle(wParam);
      return 0;
    case WM_PRESENCE_QUERY:
      return wParam == static_cast<WPARAM>(PRESENCE_MAGIC) && lParam == static_cast<LPARAM>(PRESENCE_MAGIC)
                 ? PRESENCE_MAGIC
                 : 0;
    case WM_REMOTE_FREEUP: OnRemoteFreeUp(wParam, lParam); return 0;
    case WM_REMOTE_SHOW: ShowRamsweepPro1Click(); return 0;
    case WM_HIDE_TASKBUTTON: OnHideTaskButton(); return 0;
    default: return DefWindowProcA(m_window, message, wParam, lParam);
  }
}

void TfrmRamsweep::OnCommand(int id, int code, HWND control) {
  // An edit's text changed, by the user or by any program: the ticks read it again.
  if (control && code == EN_CHANGE) ForgetTickValue(static_cast<ControlId>(id));
  // the Free-and-Run entries and "&Manage Entries", chosen from the tray menu
  if (!control && FreeAndRunCommand(id)) return;
  switch (id) {
    case butAlloc:
      if (code == BN_CLICKED) butAllocClick();
      return;
    case lstMem:
      if (code == LBN_DBLCLK) butAllocClick();
      return;
    case IDCANCEL:  // Esc presses the page's "Minimize"
    case butClose1:
    case butClose2:
    case butClose3:
    case butClose4:
    case butClose5:
    case butClose6:
    case butClose10:
      if (code == BN_CLICKED) butClose1Click();
      return;
    case Button1: OpenHelp("Ramsweepory"); return;
    case Button2: OpenHelp("Statistics"); return;
    case Button3: OpenHelp("Background"); return;
    case Button4: OpenHelp("Startup"); return;
    case Button5: OpenHelp("Icon"); return;
    case Button17: OpenHelp("Idle"); return;
    case chkCaption:
      if (code == BN_CLICKED) chkCaptionClick();
      return;
    case Label26:
      if (code == STN_CLICKED || code == STN_DBLCLK) Label26Click();
      return;
    case chkAutoRun:
      if (code == BN_CLICKED) chkAutoRunClick();
      return;
    case chkBackground:
      if (code == BN_CLICKED) chkBackgroundClick();
      return;
    case chkShowIcon:
      if (code == BN_CLICKED) chkShowIconClick();
      return;
    case cboMenu1:
    case cboMenu2:
    case cboMenu3:
    case cboIconAction:
      if (code == CBN_SELCHANGE) UpdateMenuCaptions();
      return;
    case ShowRamsweepPro1: ShowRamsweepPro1Click(); return;
    case BackgroundActivity1: BackgroundActivity1Click(); return;
    case mnuFree1: mnuFreeClick(cboMenu1); return;
    case mnuFree2: mnuFreeClick(cboMenu2); return;
    case mnuFree3: mnuFreeClick(cboMenu3); return;
    case mnuExit1: SendMessageA(m_window, WM_CLOSE, 0, 0); return;
    case chkRegular:
      if (code == BN_CLICKED) chkRegularClick();
      return;
    case chkCritical:
      if (code == BN_CLICKED) chkCriticalClick();
      return;
    default: return;
  }
}

LRESULT TfrmRamsweep::OnNotify(const NMHDR& header) {
  if (header.idFrom == PageControl1 && header.code == TCN_SELCHANGE) {
    ShowPage(static_cast<Page>(SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
    return 0;
  }
  if (header.code == UDN_DELTAPOS && (header.idFrom == udCritical || header.idFrom == udYellow)) {
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    // Only the direction counts; the up-down's own position plays no part.
    const bool up = change.iDelta > 0;
    if (header.idFrom == udCritical) {
      udCriticalClick(up);
    } else {
      udYellowClick(up);
    }
    return TRUE;
  }
  return 0;
}

// ---- control access ----

MemoryStatus TfrmRamsweep::ReadMemory() const { return m_options.memory(); }

bool TfrmRamsweep::Checked(ControlId id) const { return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TfrmRamsweep::SetChecked(ControlId id, bool checked) {
  SendMessageA(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int TfrmRamsweep::ItemIndex(ControlId id) const {
  const HWND control = Control(id);
  char className[16] = {};
  GetClassNameA(control, className, sizeof className);
  const bool list = lstrcmpiA(className, "ListBox") == 0;
  return static_cast<int>(SendMessageA(control, list ? LB_GETCURSEL : CB_GETCURSEL, 0, 0));
}

void TfrmRamsweep::SetItemIndex(ControlId id, int index) {
  SendMessageA(Control(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TfrmRamsweep::Position(ControlId id) const {
  return static_cast<int>(SendMessageA(Control(id), UDM_GETPOS32, 0, 0));
}

void TfrmRamsweep::SetPosition(ControlId id, int position) { SendMessageA(Control(id), UDM_SETPOS32, 0, position); }

std::string TfrmRamsweep::Text(ControlId id) const {
  const HWND control = Control(id);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void TfrmRamsweep::SetText(ControlId id, const std::string& text) { SetWindowTextA(Control(id), text.c_str()); }

std::string TfrmRamsweep::TickText(ControlId edit) const {
  const HWND control = Control(edit);
  const auto known = m_tickTexts.find(static_cast<int>(edit));
  if (known != m_tickTexts.end() && known->second.first == control) return known->second.second;
  std::string text = Text(edit);
  m_tickTexts[static_cast<int>(edit)] = {control, text};
  return text;
}

int TfrmRamsweep::TickPosition(ControlId upDown, ControlId buddy) const {
  // the up-down's position is its buddy's number, so the buddy's EN_CHANGE says when it moves
  const HWND control = Control(buddy);
  const auto known = m_tickPositions.find(static_cast<int>(buddy));
  if (known != m_tickPositions.end() && known->second.first == control) return known->second.second;
  const int position = Position(upDown);
  m_tickPositions[static_cast<int>(buddy)] = {control, position};
  return position;
}

void TfrmRamsweep::ForgetTickValue(ControlId edit) {
  m_tickTexts.erase(static_cast<int>(edit));
  m_tickPositions.erase(static_cast<int>(edit));
}

void TfrmRamsweep::Enable(ControlId id, bool enabled) { EnableWindow(Control(id), enabled); }

int TfrmRamsweep::Scaled(int value) const { return ScaleToDpi(value, m_dpi); }

RECT TfrmRamsweep::ClientArea() const {
  RECT client{};
  GetClientRect(m_window, &client);
  return client;
}

}  // namespace rsw::win32
