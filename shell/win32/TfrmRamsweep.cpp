#include "shell/win32/TfrmRamsweep.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>

#include "display/ChartScale.h"
#include "display/RefreshIntervals.h"
#include "display/StatusDisplay.h"
#include "display/win32/TPerformanceChart.h"
#include "display/win32/TTraybar.h"
#include "engine/FreeAmounts.h"
#include "engine/FreeUpRequests.h"
#include "engine/IdleProfile.h"
#include "engine/Thousands.h"
#include "engine/ThresholdStep.h"
#include "engine/win32/Win32FreeUp.h"
#include "engine/win32/Win32ProcessorUsage.h"
#include "shell/CommandLine.h"
#include "shell/ErrorText.h"
#include "shell/Messages.h"
#include "shell/RowLayout.h"
#include "shell/SettingsKey.h"
#include "shell/win32/ProgramPath.h"

namespace rsw::win32 {

namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kTimerCritical = 2;
constexpr UINT kTimerCriticalMs = 1000;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr const char* kFocusWindowClass = "TfrmRamsweepFocus";
constexpr const char* kRunKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Ramsweep Pro";
constexpr COLORREF kSilver = RGB(192, 192, 192);

constexpr SettingControl kSettingControls[] = {
    {SettingId::Refresh, TrackBar1, Binding::TrackPosition},
    {SettingId::Times, UpDown1, Binding::UpDown},
    {SettingId::Show, chkCaption, Binding::Check},
    {SettingId::StartupAmount, cboAutoRun, Binding::ItemIndex},
    {SettingId::StartupCount, udAutoTimes, Binding::UpDown},
    {SettingId::StartupDelay, udAutoDelay, Binding::UpDown},
    {SettingId::AutoRun, chkAutoRun, Binding::Check},
    {SettingId::Icon, chkShowIcon, Binding::Check},
    {SettingId::Background, chkBackground, Binding::Check},
    {SettingId::Menu1, cboMenu1, Binding::ItemIndex},
    {SettingId::Menu2, cboMenu2, Binding::ItemIndex},
    {SettingId::Menu3, cboMenu3, Binding::ItemIndex},
    {SettingId::Regular, chkRegular, Binding::Check},
    {SettingId::RegularMinutes, udmin, Binding::UpDown},
    {SettingId::RegularAmount, cboRegular, Binding::ItemIndex},
    {SettingId::Critical, chkCritical, Binding::Check},
    {SettingId::CriticalSeconds, udsec, Binding::UpDown},
    {SettingId::CriticalAmount, cboCritical, Binding::ItemIndex},
    {SettingId::CriticalKB, txtCritical, Binding::KilobyteText},
    {SettingId::YellowKB, txtYellow, Binding::KilobyteText},
    {SettingId::HardAction, cboHardAction, Binding::ItemIndex},
    {SettingId::HardPercent, udHardPercent, Binding::UpDown},
    {SettingId::HardSeconds, udHardSeconds, Binding::UpDown},
    {SettingId::SoftAction, cboSoftAction, Binding::ItemIndex},
    {SettingId::SoftPercent, udSoftPercent, Binding::UpDown},
    {SettingId::SoftSeconds, udSoftSeconds, Binding::UpDown},
    {SettingId::IdleCritical, cboIdleCritical, Binding::ItemIndex},
    {SettingId::IdleStartup, cboIdleStartup, Binding::ItemIndex},
    {SettingId::IdleRegular, cboIdleRegular, Binding::ItemIndex},
    {SettingId::IconAction, cboIconAction, Binding::ItemIndex},
};

std::string LocaleDecimalSeparator() {
  char separator[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) > 1) return separator;
  return ".";
}

CivilTime LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

HFONT MakeFont(int pixelHeight, const char* face, int weight = FW_NORMAL, bool italic = false,
               BYTE family = FF_DONTCARE) {
  return CreateFontA(-pixelHeight, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, static_cast<BYTE>(DEFAULT_PITCH | family), face);
}

struct ControlClass {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(const ControlRow& row) {
  constexpr DWORD child = WS_CHILD;
  switch (row.kind) {
    case Kind::Label: {
      DWORD style = child | SS_LEFT | SS_NOPREFIX;
      if (row.page == Page::About || row.id == Label3) style = child | SS_CENTER | SS_NOPREFIX;
      if (row.id == Label26) style |= SS_NOTIFY;
      return {"STATIC", style, 0};
    }
    case Kind::WrapLabel: return {"STATIC", child | SS_LEFT | SS_NOPREFIX, 0};
    case Kind::Edit: return {"EDIT", child | WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER, WS_EX_CLIENTEDGE};
    case Kind::ReadOnly: {
      DWORD style = child | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY;
      if (row.id == txtCritical || row.id == txtYellow) style |= ES_RIGHT;
      return {"EDIT", style, WS_EX_CLIENTEDGE};
    }
    case Kind::UpDown:
      return {UPDOWN_CLASSA,
              child | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
                  (row.id == udCritical || row.id == udYellow ? 0u : DWORD{UDS_SETBUDDYINT}),
              0};
    case Kind::Button: return {"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case Kind::DefaultButton: return {"BUTTON", child | WS_TABSTOP | BS_DEFPUSHBUTTON, 0};
    case Kind::Check: return {"BUTTON", child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case Kind::Combo: return {"COMBOBOX", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case Kind::List:
      return {"LISTBOX", child | WS_TABSTOP | LBS_NOTIFY | LBS_MULTICOLUMN | LBS_NOINTEGRALHEIGHT | WS_HSCROLL,
              WS_EX_CLIENTEDGE};
    case Kind::Group: return {"STATIC", child | SS_OWNERDRAW | WS_CLIPSIBLINGS, 0};
    case Kind::Track: return {TRACKBAR_CLASSA, child | WS_TABSTOP | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS, 0};
    case Kind::Sunken: return {"STATIC", child | SS_SUNKEN | WS_CLIPSIBLINGS, 0};
    case Kind::Silver: return {"STATIC", child | SS_LEFT | WS_CLIPSIBLINGS, 0};
    case Kind::Chart: return {"STATIC", child, 0};
  }
  return {"STATIC", child, 0};
}

}  // namespace

TfrmRamsweep::TfrmRamsweep(const uRegistry& registry, Options options)
    : m_registry(registry), m_options(std::move(options)) {
  if (!m_options.startWorker) m_options.startWorker = &StartFreeThread;
  if (m_options.programPath.empty()) m_options.programPath = ModuleFilePath();
  if (!m_options.now) m_options.now = &LocalNow;
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
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
  const HWND window =
      CreateWindowExA(WS_EX_CONTROLPARENT, kMainWindowClass, kProductName, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, form.get());
  if (!window) return nullptr;
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
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT: {
      // The page colour all round, so frames and labels match the page they sit on; styled
      // controls ask for it through WM_PRINTCLIENT to draw their own background.
      RECT client{};
      GetClientRect(m_window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, PageBrush());
      return 1;
    }
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
      if (item.CtlType == ODT_STATIC) {
        DrawGroupBox(item);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case DM_GETDEFID:
      // Enter presses "Allocate and Free" while its page is shown.
      return m_page == Page::FreeMemory ? MAKELRESULT(butAlloc, DC_HASDEFID) : 0;
    case WM_TIMER:
      if (wParam == kTimer1) Timer1Timer();
      if (wParam == kTimerCritical) TimerCriticalTimer();
      return 0;
    case WM_VSCROLL:
      // an up-down tells its new position
      if (reinterpret_cast<HWND>(lParam) == Control(udmin)) ScheduleNextRegular();
      if (reinterpret_cast<HWND>(lParam) == Control(udsec)) m_critical.Reset();
      return 0;
    case WM_SYSCOMMAND: OnSysCommand(wParam, lParam); return 0;
    case WM_CLOSE:
      if (FormCloseQuery()) {
        FormClose();
        DestroyWindow(m_window);
      }
      return 0;
    case WM_QUERYENDSESSION: return FormCloseQuery() ? TRUE : FALSE;
    case WM_ENDSESSION:
      // Windows is ending: the icon goes first, if it was there from the start
      if (m_watchEndSession) Traybar1->DeleteIcon();
      if (wParam) DestroyWindow(m_window);
      return 0;
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
      if (!Busy) return 0;
      CurrentPass = static_cast<std::int32_t>(wParam);
      UpdateStatusCaption();
      return 0;
    case WM_FREEUP_COUNTDOWN:
      // not refreshed here: the next refresh tick shows it
      if (Busy) CountdownLeft = static_cast<std::int32_t>(wParam);
      return 0;
    case WM_FREEUP_IDLE:
      if (!Busy) return 0;
      IdleProgress = static_cast<std::int32_t>(wParam);
      UpdateStatusCaption();
      return 0;
    case WM_PRESENCE_QUERY:
      return wParam == static_cast<WPARAM>(PRESENCE_MAGIC) && lParam == static_cast<LPARAM>(PRESENCE_MAGIC)
                 ? PRESENCE_MAGIC
                 : 0;
    case WM_REMOTE_FREEUP: OnRemoteFreeUp(wParam, lParam); return 0;
    case WM_REMOTE_SHOW: ShowRamsweepPro1Click(); return 0;
    case WM_HIDE_TASKBUTTON:
      // The taskbar button belongs to this window: a minimised window loses it by hiding.
      if (IsIconic(m_window)) ShowWindow(m_window, SW_HIDE);
      return 0;
    default: return DefWindowProcA(m_window, message, wParam, lParam);
  }
}

// ---- creation ----

bool TfrmRamsweep::FormCreate() {
  WindowCreated = false;
  if (PlatformId() == kPlatformWindows9x) m_dynData = std::make_unique<DynDataProcessorUsage>(m_registry);
  m_helpFile = FolderOf(m_options.programPath) + "rswpro4.hlp";
  SettingsLoading = true;
  m_decimalSeparator = LocaleDecimalSeparator();
  ExitAfterFreeUp = false;
  Busy = false;

  const MemoryStatus memory = ReadMemoryStatus();
  m_totalPhysical = memory.TotalPhysical;
  FreeBytes = memory.AvailablePhysical;

  // the tray's pictures first: loading the settings may already show the icon
  Traybar1 = TTraybar::Create(GetModuleHandleA(nullptr));
  if (!Traybar1) return false;
  Traybar1->OnDblClick = [this](TTraybar&) { Traybar1DblClick(); };
  Traybar1->OnRightClick = [this](TTraybar&) { Traybar1RightClick(); };
  Traybar1->OnTaskbarCreated = [this](TTraybar&) { UpdateStatusDisplay(); };
  if (!CreateControls()) return false;
  LoadTrayIcons();
  TrayReady = true;
  PrepareControls();
  if (!CreatePopupMenu1()) return false;

  FocusWindow.Reset(CreateWindowExA(WS_EX_TOOLWINDOW, kFocusWindowClass, "", WS_POPUP, 0, 0, 0, 0, m_window, nullptr,
                                    GetModuleHandleA(nullptr), nullptr));
  if (!FocusWindow) return false;

  LoadSettings();
  CheckMenuItem(PopupMenu1.Get(), BackgroundActivity1, Checked(chkBackground) ? MF_CHECKED : MF_UNCHECKED);

  UpdateBackgroundControls();
  UpdateIconPageControls();
  // The Windows 95/98 statistic runs for the whole life of the program.
  if (m_dynData) m_dynData->StartProcessorUsage();
  UpdateStatusCaption();
  TrackBar1Change();
  if (Checked(chkShowIcon)) {
    Traybar1->AddIcon();
    UpdateStatusDisplay();
    m_watchEndSession = true;
  }

  ApplyCommandLine();
  ScheduleNextRegular();
  UpdateMenuCaptions();
  EnableTimerCritical();
  chkAutoRunClick();

  SettingsLoading = false;
  ShowPage(Page::Statistics);
  WindowCreated = true;
  return true;
}

bool TfrmRamsweep::CreateControls() {
  m_font.Reset(MakeFont(11, "MS Sans Serif"));
  m_boldFont.Reset(MakeFont(11, "MS Sans Serif", FW_BOLD));
  m_titleFont.Reset(MakeFont(29, "Times New Roman", FW_BOLD, true, FF_ROMAN));
  m_linkFont.Reset(MakeFont(11, "MS Sans Serif"));
  m_silverBrush.Reset(CreateSolidBrush(kSilver));
  if (!m_font || !m_silverBrush) return false;
  SendMessageA(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);

  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const HWND tabs =
      CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, kPanelBorder,
                      kPanelBorder, kClientWidth - 2 * kPanelBorder, kClientHeight - 2 * kPanelBorder, m_window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(PageControl1)), instance, nullptr);
  if (!tabs) return false;
  SendMessageA(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
  // narrow tab padding, so all seven pages fit in one row
  SendMessageA(tabs, TCM_SETPADDING, 0, MAKELPARAM(5, 3));
  SendMessageA(tabs, TCM_SETMINTABWIDTH, 0, 16);
  for (int i = 0; i < kPageCount; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(kPageCaptions[i]);
    SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  RECT area{0, 0, kClientWidth - 2 * kPanelBorder, kClientHeight - 2 * kPanelBorder};
  SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  const int originX = kPanelBorder + area.left;
  const int originY = kPanelBorder + area.top;

  m_tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr, instance, nullptr);

  // Labels and check boxes grow to their text in the font the system gives us, pushing the rest of
  // their row along.
  const auto rows = MainWindowControls();
  std::vector<LayoutBox> boxes;
  boxes.reserve(rows.size());
  const HDC screen = GetDC(m_window);
  {
    const ScopedSelection selection(screen, m_font.Get());
    for (const ControlRow& row : rows) {
      int textWidth = 0;
      const bool grows = (row.kind == Kind::Label && row.page != Page::About && row.id != Label3 && row.id != labNext &&
                          row.id != Label15) ||
                         row.kind == Kind::Check;
      if (grows) {
        SIZE extent{};
        GetTextExtentPoint32A(screen, row.text, lstrlenA(row.text), &extent);
        // a check box's text sits right of its box
        textWidth = extent.cx + (row.kind == Kind::Check ? GetSystemMetrics(SM_CXMENUCHECK) + 8 : 2);
      }
      boxes.push_back({static_cast<int>(row.page), row.x, row.y, row.w, row.h, textWidth, row.kind == Kind::UpDown});
    }
  }
  ReleaseDC(m_window, screen);
  FlowRows(boxes);

  HWND previous = nullptr;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ControlRow row = rows[i];
    row.x = boxes[i].x;
    row.w = boxes[i].w;
    if (row.kind == Kind::Chart) {
      if (!CreateChart(row, originX, originY)) return false;
      m_pageControls[static_cast<int>(row.page)].push_back(m_chart->Handle());
      previous = m_chart->Handle();
      continue;
    }
    const ControlClass cls = ClassOf(row);
    const HWND control =
        CreateWindowExA(cls.exStyle, cls.className, row.text, cls.style, originX + row.x, originY + row.y, row.w, row.h,
                        m_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
    if (!control) return false;
    HFONT font = m_font.Get();
    if (row.id == Label15) font = m_boldFont.Get();
    if (row.id == Label5) font = m_titleFont.Get();
    if (row.id == mdURLLabel1 || row.id == mdURLLabel2) font = m_linkFont.Get();
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (row.kind == Kind::UpDown) SendMessageA(control, UDM_SETBUDDY, reinterpret_cast<WPARAM>(previous), 0);
    // Frames lie under the controls they hold; the page control under everything.
    if (row.kind == Kind::Group || row.kind == Kind::Sunken || row.kind == Kind::Silver) {
      SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (m_tooltip && (row.id == cboIdleRegular || row.id == cboIdleCritical || row.id == cboIdleStartup)) {
      TTTOOLINFOA tool{};
      tool.cbSize = sizeof tool;
      tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      tool.hwnd = m_window;
      tool.uId = reinterpret_cast<UINT_PTR>(control);
      tool.lpszText = const_cast<char*>(kIdleHint);
      SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    m_pageControls[static_cast<int>(row.page)].push_back(control);
    previous = control;
  }
  SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  MatchPageColor();
  return true;
}

void TfrmRamsweep::MatchPageColor() {
  // Labels and check boxes sit on the page control's body, whose colour depends on the visual
  // style (white in some, the button face in the classic look): take it from the body itself.
  const HWND tabs = Control(PageControl1);
  RECT bounds{};
  GetClientRect(tabs, &bounds);
  COLORREF color = GetSysColor(COLOR_BTNFACE);
  const HDC screen = GetDC(tabs);
  ScopedMemoryDc dc(CreateCompatibleDC(screen));
  ScopedBitmap bitmap(CreateCompatibleBitmap(screen, bounds.right, bounds.bottom));
  ReleaseDC(tabs, screen);
  if (dc && bitmap) {
    const ScopedSelection selection(dc.Get(), bitmap.Get());
    SendMessageA(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT | PRF_ERASEBKGND);
    const COLORREF body = GetPixel(dc.Get(), bounds.right / 2, bounds.bottom / 2);
    if (body != CLR_INVALID) color = body;
  }
  m_pageColor = color;
  m_pageBrush.Reset(CreateSolidBrush(color));
}

bool TfrmRamsweep::CreateChart(const ControlRow& row, int originX, int originY) {
  m_chart = TPerformanceChart::Create(m_window, row.id, originX + row.x, originY + row.y, row.w, row.h);
  m_chartFont.Reset(MakeFont(12, "Arial", FW_BOLD));
  m_chartScaleFont.Reset(MakeFont(11, "Arial", FW_BOLD));
  if (!m_chart || !m_chartFont || !m_chartScaleFont) return false;
  constexpr COLORREF kMaroon = RGB(128, 0, 0);
  m_chart->SetCaption(row.text);
  m_chart->SetFont(m_chartFont.Get(), kMaroon);
  if (!m_chart->SetScaleFont(m_chartScaleFont.Get(), kMaroon)) return false;
  m_chart->OnGetMaxY = [](TPerformanceChart&, std::int64_t& MaxY) { MaxY = PerformanceChart1GetMaxY(MaxY); };
  m_chart->OnGetYDisplay = [](TPerformanceChart&, std::int64_t Y, std::string& Display) {
    Display = PerformanceChart1GetYDisplay(Y);
  };
  m_chart->SetErrorLabel(Control(Label26));
  ShowWindow(m_chart->Handle(), SW_HIDE);
  return true;
}

void TfrmRamsweep::PrepareControls() {
  // the 41 amounts, in every list that chooses one
  const int defaultIndex = DefaultAmountIndex(m_totalPhysical);
  const HWND list = Control(lstMem);
  for (std::int32_t amount : FreeAmounts) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AmountText(amount).c_str()));
  }
  // five columns of nine rows hold all 41 amounts without scrolling
  constexpr int kColumns = 5;
  constexpr int kRows = (kAmountCount + kColumns - 1) / kColumns;
  RECT bounds{};
  GetWindowRect(list, &bounds);
  RECT inner{};
  GetClientRect(list, &inner);
  const int frame = (bounds.bottom - bounds.top) - inner.bottom;
  const int itemHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  SetWindowPos(list, nullptr, 0, 0, bounds.right - bounds.left, kRows * itemHeight + frame,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(list, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(inner.right / kColumns), 0);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(defaultIndex), 0);
  for (ControlId combo : {cboMenu1, cboMenu2, cboMenu3, cboRegular, cboCritical, cboAutoRun}) {
    for (std::int32_t amount : FreeAmounts) {
      SendMessageA(Control(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AmountText(amount).c_str()));
    }
  }
  for (const char* item : {"Show Ramsweep Pro", "Switch Background Activity", "Free 1", "Free 2", "Free 3"}) {
    SendMessageA(Control(cboIconAction), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  for (ControlId combo : {cboHardAction, cboSoftAction}) {
    for (const char* item : {"free memory", "do not free memory"}) {
      SendMessageA(Control(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
  }
  for (ControlId combo : {cboIdleRegular, cboIdleCritical, cboIdleStartup}) {
    for (const char* item : {"No", "Soft", "Hard"}) {
      SendMessageA(Control(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
  }

  // ranges from the settings schema; "minutes" step by 5
  for (const SettingControl& sc : kSettingControls) {
    const SettingRow& row = SchemaRow(sc.setting);
    if (sc.binding == Binding::UpDown) {
      SendMessageA(Control(sc.control), UDM_SETRANGE32, static_cast<WPARAM>(row.min), row.max);
    } else if (sc.binding == Binding::TrackPosition) {
      SendMessageA(Control(sc.control), TBM_SETRANGE, FALSE, MAKELPARAM(row.min, row.max));
      SendMessageA(Control(sc.control), TBM_SETTICFREQ, 1, 0);
    }
  }
  // The threshold up-downs only say which arrow was pressed; a range around their position lets
  // both arrows report in the right direction.
  for (ControlId upDown : {udCritical, udYellow}) {
    SendMessageA(Control(upDown), UDM_SETRANGE32, static_cast<WPARAM>(-1000), 1000);
    SendMessageA(Control(upDown), UDM_SETPOS32, 0, 0);
  }
  UDACCEL fiveMinutes{0, 5};
  SendMessageA(Control(udmin), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&fiveMinutes));
  SendMessageA(Control(txtMaxTimes), EM_LIMITTEXT, 2, 0);

  // Every control starts at its default; the check box of the tray icon starts ticked, as the
  // layout always had it, and loading takes it to the stored state.
  const Settings defaults(defaultIndex);
  for (const SettingControl& sc : kSettingControls) WriteControl(sc, defaults[sc.setting]);
  // the layout's own start: the refresh position 1 and the tray icon's box ticked; loading
  // takes both to their stored or default state
  SendMessageA(Control(TrackBar1), TBM_SETPOS, TRUE, 1);
  SetChecked(chkShowIcon, true);
}

void TfrmRamsweep::WriteControl(const SettingControl& sc, std::int32_t value) {
  switch (sc.binding) {
    case Binding::UpDown: SetPosition(sc.control, value); break;
    case Binding::ItemIndex: SetItemIndex(sc.control, value); break;
    case Binding::Check: SetChecked(sc.control, value != 0); break;
    case Binding::TrackPosition: SendMessageA(Control(sc.control), TBM_SETPOS, TRUE, value); break;
    case Binding::KilobyteText: SetText(sc.control, FormatThousands(value)); break;
  }
}

std::int32_t TfrmRamsweep::ReadControl(const SettingControl& sc) const {
  switch (sc.binding) {
    case Binding::UpDown: return Position(sc.control);
    case Binding::ItemIndex: return ItemIndex(sc.control);
    case Binding::Check: return Checked(sc.control) ? 1 : 0;
    case Binding::TrackPosition: return static_cast<std::int32_t>(SendMessageA(Control(sc.control), TBM_GETPOS, 0, 0));
    case Binding::KilobyteText: return ParseThousands(Text(sc.control)).value_or(0);
  }
  return 0;
}

void TfrmRamsweep::LoadSettings() {
  Settings settings(ItemIndex(cboAutoRun));
  settings.Load(m_registry);
  for (const SettingControl& sc : kSettingControls) {
    const std::int32_t value = settings[sc.setting];
    // a check box that changes runs its click handler, as a click would
    const bool clicks = sc.binding == Binding::Check && ReadControl(sc) != (value != 0 ? 1 : 0);
    WriteControl(sc, value);
    if (clicks) OnCommand(sc.control, BN_CLICKED, Control(sc.control));
  }
}

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

void TfrmRamsweep::ShowAtStart(int processShowCommand) {
  int show = m_startMinimised ? SW_SHOWMINNOACTIVE : processShowCommand;
  // There is no maximise button: a maximised start shows the window at its normal size.
  if (show == SW_SHOWMAXIMIZED) show = SW_SHOWNORMAL;
  ShowWindow(m_window, show);
  // Started minimised with the tray icon on: only the icon shows, no taskbar button.
  if (show == SW_SHOWMINNOACTIVE && Checked(chkShowIcon) && TrayReady) ShowWindow(m_window, SW_HIDE);
  UpdateWindow(m_window);
}

// ---- settings ----

Settings TfrmRamsweep::SettingsFromControls() const {
  Settings settings(-1);
  for (const SettingControl& sc : kSettingControls) settings.Set(sc.setting, ReadControl(sc));
  return settings;
}

void TfrmRamsweep::SaveSettings() {
  if (!WindowCreated) return;
  SettingsFromControls().Save(m_registry);
  WriteAutoRunEntry();
}

void TfrmRamsweep::WriteAutoRunEntry() {
  if (Checked(chkAutoRun)) {
    m_registry.WriteRegString(kRunKey, kRunValue, "\"" + m_options.programPath + "\" Startup");
  } else {
    m_registry.DeleteRegValue(kRunKey, kRunValue);
  }
}

// ---- closing ----

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

// ---- free-up ----

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
  Busy = false;
  if (ExitAfterFreeUp) {
    PostMessageA(m_window, WM_CLOSE, 0, 0);
  } else {
    EnableFreeUpCommands(true);
  }
  UpdateStatusCaption();
}

void TfrmRamsweep::ReadFreeBytes() { FreeBytes = ReadMemoryStatus().AvailablePhysical; }

void TfrmRamsweep::UpdateStatusCaption() {
  ReadFreeBytes();
  const FreeUpProgress progress{Busy, CountdownLeft, CurrentPass, IdleProgress};
  const std::string caption = StatusCaption(progress, Checked(chkCaption), FreeBytes, m_decimalSeparator);
  SetWindowTextA(m_window, caption.c_str());
  UpdateStatusDisplay();
}

void TfrmRamsweep::Timer1Timer() {
  ReadFreeBytes();
  m_chart->AddValue(static_cast<std::int64_t>(FreeBytes));
  UpdateStatusCaption();
  if (LocalSeconds(m_options.now()) >= NextRegularTime) RegularFreeUpCheck();
}

// ---- automatic free-ups ----

void TfrmRamsweep::ScheduleNextRegular() {
  NextRegularTime = rsw::NextRegularTime(m_options.now(), Position(udmin));
  const CivilTime due = FromLocalSeconds(NextRegularTime);
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(due.year);
  time.wMonth = static_cast<WORD>(due.month);
  time.wDay = static_cast<WORD>(due.day);
  time.wHour = static_cast<WORD>(due.hour);
  time.wMinute = static_cast<WORD>(due.minute);
  time.wSecond = static_cast<WORD>(due.second);
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
  const auto critical = ParseThousands(Text(txtCritical));
  if (!critical) return;
  const std::uint64_t freeKB = ReadMemoryStatus().AvailablePhysical / 1024;
  if (m_critical.Tick(freeKB, *critical, Position(udsec))) CriticalFreeUpCheck();
}

void TfrmRamsweep::CriticalFreeUpCheck() {
  if (Busy) return;
  // a critical free-up puts the next regular one a full interval off
  ScheduleNextRegular();
  StartAutomaticFreeUp(chkCritical, cboCritical, cboIdleCritical);
}

void TfrmRamsweep::StartAutomaticFreeUp(ControlId enabled, ControlId amount, ControlId idle) {
  const int index = ItemIndex(amount);
  if (Checked(chkBackground) && Checked(enabled) && index >= 0) StartFreeUp(FreeAmounts[index], 3, 0, ItemIndex(idle));
}

void TfrmRamsweep::UpdateBackgroundControls() {
  const bool background = Checked(chkBackground);
  Enable(chkRegular, background);
  Enable(chkCritical, background);
  const bool critical = background && Checked(chkCritical);
  for (ControlId id :
       {cboCritical, udsec, Edit7, cboIdleCritical, labLessThan, labSecondsAndUse, labForMoreThan, labCriticalIdle}) {
    Enable(id, critical);
  }
  const bool regular = RegularFreeUpsOn();
  for (ControlId id : {cboIdleRegular, cboRegular, udmin, Edit5, labEvery, labMinutes, labRegularUse, labRegularIdle}) {
    Enable(id, regular);
  }
  ShowWindow(Control(labNext), regular && m_page == Page::Background ? SW_SHOW : SW_HIDE);
}

bool TfrmRamsweep::RegularFreeUpsOn() const { return Checked(chkBackground) && Checked(chkRegular); }

HBRUSH TfrmRamsweep::PageBrush() const { return m_pageBrush ? m_pageBrush.Get() : GetSysColorBrush(COLOR_BTNFACE); }

void TfrmRamsweep::chkBackgroundClick() {
  CheckMenuItem(PopupMenu1.Get(), BackgroundActivity1, Checked(chkBackground) ? MF_CHECKED : MF_UNCHECKED);
  LoadTrayIcons();
  UpdateStatusDisplay();
  UpdateBackgroundControls();
}

// ---- tray icon and menu ----

void TfrmRamsweep::LoadTrayIcons() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  auto load = [instance](const char* name) {
    return static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  };
  // the colour pictures with a ring while background activity is off
  const bool background = Control(chkBackground) && Checked(chkBackground);
  IconGreen.Reset(load(background ? "ICON_GREEN" : "ICON_GREEN_O"));
  IconYellow.Reset(load(background ? "ICON_YELLOW" : "ICON_YELLOW_O"));
  IconRed.Reset(load(background ? "ICON_RED" : "ICON_RED_O"));
  IconIdle.Reset(load("ICON_IDLE"));
  IconWork.Reset(load("ICON_WORK"));
  IconWork2.Reset(load("ICON_WORK2"));
}

HFONT TfrmRamsweep::DigitFont(const std::string& text, HDC dc) {
  ScopedFont& slot = DigitFonts[std::min<std::size_t>(text.size(), DigitFonts.size() - 1)];
  if (slot) return slot.Get();
  auto make = [](int height) {
    return CreateFontA(-height, 0, 0, 0, 100, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DRAFT_QUALITY, DEFAULT_PITCH | FF_MODERN, "Arial");
  };
  // Chosen once per text length, with the first text of that length.
  const int height = DigitFontHeight([&](int candidate) {
    ScopedFont font(make(candidate));
    const ScopedSelection selection(dc, font.Get());
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return TextExtent{extent.cx, extent.cy};
  });
  slot.Reset(make(height));
  return slot.Get();
}

void TfrmRamsweep::UpdateStatusDisplay() {
  if (!Checked(chkShowIcon) || !TrayReady) return;
  const TrayInputs inputs{FreeBytes,
                          ParseThousands(Text(txtCritical)).value_or(-1),
                          ParseThousands(Text(txtYellow)).value_or(-1),
                          Checked(chkBackground),
                          Busy,
                          CountdownLeft,
                          IdleProgress};
  const TrayLook look = LookOf(SelectTrayState(inputs), WorkToggle);
  const ScopedIcon* bases[] = {&IconGreen, &IconYellow, &IconRed, &IconIdle, &IconWork, &IconWork2};
  const HICON base = bases[static_cast<int>(look.picture)]->Get();

  HICON composed = nullptr;
  ICONINFO info{};
  if (base && GetIconInfo(base, &info)) {
    // the number goes into the mask: where the text covers it, the black colour shows through
    ScopedBitmap mask(info.hbmMask);
    ScopedBitmap colour(info.hbmColor);
    const HDC screen = GetDC(nullptr);
    ScopedMemoryDc dc(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    if (dc) {
      const ScopedSelection bitmap(dc.Get(), mask.Get());
      const std::string text = TrayDigits(FreeBytes);
      const ScopedSelection font(dc.Get(), DigitFont(text, dc.Get()));
      SetBkMode(dc.Get(), TRANSPARENT);
      SIZE extent{};
      GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
      const TextOrigin at = DigitOrigin({extent.cx, extent.cy}, look.textCentreRow);
      TextOutA(dc.Get(), at.x, at.y, text.c_str(), static_cast<int>(text.size()));
    }
    ICONINFO result{TRUE, 0, 0, mask.Get(), colour.Get()};
    composed = CreateIconIndirect(&result);
  }
  Traybar1->Icon = composed ? composed : base;
  Traybar1->Hint = TrayTip(FreeBytes, m_decimalSeparator);
  Traybar1->CheckTaskbar();
  Traybar1->ModifyIcon();
  // the previous picture goes only now that the new one is in place
  ComposedIcon.Reset(composed);
}

bool TfrmRamsweep::CreatePopupMenu1() {
  PopupMenu1.Reset(CreatePopupMenu());
  FreeandRun1 = CreatePopupMenu();
  if (!PopupMenu1 || !FreeandRun1) return false;
  const HMENU menu = PopupMenu1.Get();
  // Managing the Free-and-Run list is not part of this build yet: the item shows, greyed.
  AppendMenuA(FreeandRun1, MF_STRING | MF_GRAYED, ManageEntries1, "&Manage Entries");
  AppendMenuA(menu, MF_STRING, ShowRamsweepPro1, "&Show Ramsweep Pro");
  AppendMenuA(menu, MF_STRING, BackgroundActivity1, "&Background Activity");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(FreeandRun1), "Free and &Run");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, mnuFree1, "Free 1");
  AppendMenuA(menu, MF_STRING, mnuFree2, "Free 2");
  AppendMenuA(menu, MF_STRING, mnuFree3, "Free 3");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, mnuExit1, "E&xit Ramsweep Pro");
  return true;
}

void TfrmRamsweep::EnableFreeUpCommands(bool enabled) {
  Enable(butAlloc, enabled);
  const UINT state = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
  for (int item : {mnuExit1, mnuFree1, mnuFree2, mnuFree3}) EnableMenuItem(PopupMenu1.Get(), item, state);
  // the submenu by its position: 3
  EnableMenuItem(PopupMenu1.Get(), 3, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

void TfrmRamsweep::chkShowIconClick() {
  if (Checked(chkShowIcon) && TrayReady) {
    Traybar1->AddIcon();
    UpdateStatusDisplay();
  } else {
    Traybar1->DeleteIcon();
  }
  UpdateIconPageControls();
}

void TfrmRamsweep::UpdateIconPageControls() {
  const bool on = Checked(chkShowIcon);
  for (ControlId id : {Label14, Label15, Label16, udYellow, Label17, Label25, Label12, Label13, cboIconAction, cboMenu1,
                       cboMenu2, cboMenu3, txtYellow}) {
    Enable(id, on);
  }
}

void TfrmRamsweep::UpdateMenuCaptions() {
  const HMENU menu = PopupMenu1.Get();
  const ControlId combos[] = {cboMenu1, cboMenu2, cboMenu3};
  const MenuId items[] = {mnuFree1, mnuFree2, mnuFree3};
  const char* prefixes[] = {"&Free up ", "Fr&ee up ", "Free &up "};
  const int action = ItemIndex(cboIconAction);
  for (int i = 0; i < 3; ++i) {
    const std::string amount = Text(combos[i]);
    // only the text: an item greyed while a free-up runs stays greyed
    std::string caption = prefixes[i] + amount;
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING;
    item.dwTypeData = caption.data();
    SetMenuItemInfoA(menu, items[i], FALSE, &item);
    // replacing an item must not change the chosen action
    const HWND actions = Control(cboIconAction);
    SendMessageA(actions, CB_DELETESTRING, static_cast<WPARAM>(2 + i), 0);
    SendMessageA(actions, CB_INSERTSTRING, static_cast<WPARAM>(2 + i),
                 reinterpret_cast<LPARAM>(("Free up " + amount).c_str()));
  }
  SetItemIndex(cboIconAction, action);
  const int defaults[] = {ShowRamsweepPro1, BackgroundActivity1, mnuFree1, mnuFree2, mnuFree3};
  SetMenuDefaultItem(menu, action >= 0 && action < 5 ? static_cast<UINT>(defaults[action]) : static_cast<UINT>(-1),
                     FALSE);
}

void TfrmRamsweep::Traybar1DblClick() {
  switch (ItemIndex(cboIconAction)) {
    case 0: ShowRamsweepPro1Click(); break;
    case 1: BackgroundActivity1Click(); break;
    case 2: mnuFreeClick(cboMenu1); break;
    case 3: mnuFreeClick(cboMenu2); break;
    case 4: mnuFreeClick(cboMenu3); break;
    default: break;
  }
}

void TfrmRamsweep::Traybar1RightClick() {
  // The program must be the foreground application, or the menu would not close when the user
  // clicks elsewhere.
  ShowWindow(FocusWindow.Get(), SW_SHOW);
  SetForegroundWindow(FocusWindow.Get());
  POINT cursor{};
  GetCursorPos(&cursor);
  TrackPopupMenu(PopupMenu1.Get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_window, nullptr);
  PostMessageA(m_window, WM_NULL, 0, 0);
}

void TfrmRamsweep::BackgroundActivity1Click() {
  SetChecked(chkBackground, !Checked(chkBackground));
  chkBackgroundClick();
}

void TfrmRamsweep::mnuFreeClick(ControlId menuCombo) {
  const int amount = ItemIndex(menuCombo);
  if (amount >= 0) StartFreeUp(FreeAmounts[amount], 3, 0, 0);
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

void TfrmRamsweep::RefreshMemoryReading() {
  ReadFreeBytes();
  UpdateStatusDisplay();
}

void TfrmRamsweep::OnRemoteFreeUp(WPARAM wParam, LPARAM lParam) {
  const auto request = AcceptRemoteFreeUp(static_cast<std::uint32_t>(wParam), static_cast<std::int32_t>(lParam),
                                          DefaultAmountMB(ReadMemoryStatus().TotalPhysical));
  if (request) StartFreeUp(request->AmountMB, request->MaxPasses, request->Countdown, 0);
}

// ---- control events ----

void TfrmRamsweep::OnCommand(int id, int code, HWND) {
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

void TfrmRamsweep::butClose1Click() { PostMessageA(m_window, WM_SYSCOMMAND, SC_MINIMIZE, 0); }

void TfrmRamsweep::OnSysCommand(WPARAM command, LPARAM lParam) {
  DefWindowProcA(m_window, WM_SYSCOMMAND, command, lParam);
  // With the tray icon shown, a minimised program lives only there: no taskbar button.
  if ((command & 0xFFF0) == SC_MINIMIZE && Checked(chkShowIcon) && TrayReady) ShowWindow(m_window, SW_HIDE);
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
  char url[2 * MAX_PATH] = {};
  DWORD length = sizeof url;
  if (FAILED(UrlCreateFromPathA(page.c_str(), url, &length, 0))) return;
  const std::string target = std::string(url) + "#" + topic;
  // A file opened by its path loses the "#topic" part, so the browser is given the whole address.
  char browser[MAX_PATH] = {};
  DWORD browserLength = MAX_PATH;
  if (SUCCEEDED(AssocQueryStringA(0, ASSOCSTR_EXECUTABLE, ".html", "open", browser, &browserLength))) {
    ShellExecuteA(m_window, "open", browser, target.c_str(), nullptr, SW_SHOWNORMAL);
  } else {
    ShellExecuteA(m_window, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

void TfrmRamsweep::chkCaptionClick() { UpdateStatusCaption(); }

void TfrmRamsweep::Label26Click() {
  SetChecked(chkCaption, !Checked(chkCaption));
  chkCaptionClick();
  SetFocus(Control(chkCaption));
}

void TfrmRamsweep::chkAutoRunClick() {
  UpdateStartupControls();
  if (!SettingsLoading) SaveSettings();
}

void TfrmRamsweep::UpdateStartupControls() {
  const bool on = Checked(chkAutoRun);
  for (ControlId id : {cboAutoRun, udAutoTimes, udAutoDelay, cboIdleStartup, labAutoFreeUp, labAutoNotMore, labAutoWait,
                       labAutoUse, labAutoIdle, labAutoTimes, labAutoSeconds, Edit4, Edit6}) {
    Enable(id, on);
  }
}

void TfrmRamsweep::TrackBar1Change() {
  const auto position = std::clamp<LRESULT>(SendMessageA(Control(TrackBar1), TBM_GETPOS, 0, 0), 0,
                                            static_cast<LRESULT>(RefreshIntervals.size()) - 1);
  const RefreshInterval& interval = RefreshIntervals[static_cast<std::size_t>(position)];
  SetTimer(m_window, kTimer1, interval.milliseconds, nullptr);
  SetText(Label3, "Refresh every " + std::string(interval.label));
}

void TfrmRamsweep::udCriticalClick(bool up) {
  const auto current = ParseThousands(Text(txtCritical));
  if (!current) return;
  SetText(txtCritical, FormatThousands(StepThreshold(*current, up, kCriticalLowerStop)));
  RefreshMemoryReading();
}

void TfrmRamsweep::udYellowClick(bool up) {
  const auto current = ParseThousands(Text(txtYellow));
  if (!current) return;
  SetText(txtYellow, FormatThousands(StepThreshold(*current, up, kYellowLowerStop)));
  RefreshMemoryReading();
}

void TfrmRamsweep::ShowRamsweepPro1Click() {
  ShowWindow(m_window, SW_SHOW);
  if (IsIconic(m_window)) ShowWindow(m_window, SW_RESTORE);
  SetForegroundWindow(m_window);
}

void TfrmRamsweep::ShowPage(Page page) {
  m_page = page;
  SendMessageA(Control(PageControl1), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  for (int i = 0; i < kPageCount; ++i) {
    if (i == static_cast<int>(page)) continue;
    for (HWND control : m_pageControls[i]) ShowWindow(control, SW_HIDE);
  }
  for (HWND control : m_pageControls[static_cast<int>(page)]) {
    // labNext shows only while regular free-ups are on
    if (GetDlgCtrlID(control) == labNext && !RegularFreeUpsOn()) continue;
    ShowWindow(control, SW_SHOW);
  }
}

void TfrmRamsweep::DrawGroupBox(const DRAWITEMSTRUCT& item) {
  // Drawn here rather than by the system, whose styled group boxes fill their inside with a colour
  // of their own: this one takes the page's colour, an etched frame and its caption on the frame.
  const HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, PageBrush());
  char caption[128] = {};
  GetWindowTextA(item.hwndItem, caption, sizeof caption);
  const ScopedSelection font(dc, m_font.Get());
  SIZE text{};
  GetTextExtentPoint32A(dc, caption, lstrlenA(caption), &text);
  RECT frame = item.rcItem;
  frame.top += text.cy / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  SetBkColor(dc, m_pageColor);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(item.hwndItem) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  RECT label{item.rcItem.left + 8, item.rcItem.top, item.rcItem.left + 12 + text.cx, item.rcItem.top + text.cy};
  ExtTextOutA(dc, label.left + 2, label.top, ETO_OPAQUE, &label, caption, static_cast<UINT>(lstrlenA(caption)),
              nullptr);
}

LRESULT TfrmRamsweep::OnCtlColorStatic(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  const bool onSilver = id == panAbout || id == Label5 || id == lblVersion || id == mdURLLabel1 || id == mdURLLabel2;
  if (id == Label15) SetTextColor(dc, RGB(255, 255, 0));
  if (id == Label5) SetTextColor(dc, RGB(255, 0, 0));
  if (id == mdURLLabel1 || id == mdURLLabel2) SetTextColor(dc, RGB(0, 0, 255));
  if (onSilver) {
    SetBkColor(dc, kSilver);
    return reinterpret_cast<LRESULT>(m_silverBrush.Get());
  }
  char className[16] = {};
  GetClassNameA(control, className, sizeof className);
  // read-only edits keep their own look
  if (lstrcmpiA(className, "Edit") == 0 || !m_pageBrush) {
    return DefWindowProcA(m_window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  }
  SetBkColor(dc, m_pageColor);
  return reinterpret_cast<LRESULT>(m_pageBrush.Get());
}

// ---- control access ----

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

void TfrmRamsweep::Enable(ControlId id, bool enabled) { EnableWindow(Control(id), enabled); }

}  // namespace rsw::win32
