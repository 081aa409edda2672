// The main window's creation in its fixed order, its controls laid out from the page table, and
// switching between the pages.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "display/ChartScale.h"
#include "display/win32/TPerformanceChart.h"
#include "display/win32/TTraybar.h"
#include "display/win32/TmdURLLabel.h"
#include "engine/FreeAmounts.h"
#include "engine/win32/Win32ProcessorUsage.h"
#include "shell/DpiScale.h"
#include "shell/MainWindowRules.h"
#include "shell/RowLayout.h"
#include "shell/win32/Dpi.h"
#include "shell/win32/MainWindowInternals.h"
#include "shell/win32/ProgramPath.h"
#include "shell/win32/TfrmRamsweep.h"
#include "shell/win32/ToolTips.h"

namespace rsw::win32 {

namespace {

std::string LocaleDecimalSeparator() {
  char separator[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) > 1) return separator;
  return ".";
}

constexpr COLORREF kChartColor = RGB(128, 0, 0);  // maroon

// A full set of the window's fonts at one DPI.
struct MainWindowFonts {
  ScopedFont page, bold, title, chart, chartScale;
};

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
      if (row.id == labLastResult) style |= SS_ENDELLIPSIS;
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

bool TfrmRamsweep::FormCreate() {
  WindowCreated = false;
  if (PlatformId() == kPlatformWindows9x) m_dynData = std::make_unique<DynDataProcessorUsage>(m_registry);
  m_helpFile = FolderOf(m_options.programPath) + "rswpro4.hlp";
  SettingsLoading = true;
  m_decimalSeparator = LocaleDecimalSeparator();
  ExitAfterFreeUp = false;
  Busy = false;

  const MemoryStatus memory = ReadMemory();
  m_totalPhysical = memory.TotalPhysical;
  FreeBytes = memory.AvailablePhysical;

  // the tray's pictures first: loading the settings may already show the icon
  Traybar1 = TTraybar::Create(GetModuleHandleA(nullptr), m_window);
  if (!Traybar1) return false;
  Traybar1->OnDblClick = [this](TTraybar&) { Traybar1DblClick(); };
  Traybar1->OnRightClick = [this](TTraybar&) { Traybar1RightClick(); };
  Traybar1->OnTaskbarCreated = [this](TTraybar&) { Traybar1TaskbarCreated(); };
  if (!CreateControls()) return false;
  m_trayMetrics = &TrayDigitMetricsFor(SmallIconSize());
  LoadTrayIcons();
  TrayReady = true;
  PrepareControls();
  // again, now that the combo boxes hold their items
  LayoutControls();
  if (!CreatePopupMenu1()) return false;

  FocusWindow.Reset(CreateWindowExA(WS_EX_TOOLWINDOW, kFocusWindowClass, "", WS_POPUP, 0, 0, 0, 0, m_window, nullptr,
                                    GetModuleHandleA(nullptr), nullptr));
  if (!FocusWindow) return false;
  if (!CreateFreeAndRun()) return false;

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

bool TfrmRamsweep::CreateFonts() {
  // All at the window's DPI; the controls still hold the previous ones until the layout hands
  // them these, so the old set goes only afterwards (with the fonts replaced here).
  MainWindowFonts fonts;
  fonts.page.Reset(MakeFont(Scaled(11), "MS Sans Serif"));
  fonts.bold.Reset(MakeFont(Scaled(11), "MS Sans Serif", FW_BOLD));
  fonts.title.Reset(MakeFont(Scaled(29), "Times New Roman", FW_BOLD, true, FF_ROMAN));
  fonts.chart.Reset(MakeFont(Scaled(12), "Arial", FW_BOLD));
  fonts.chartScale.Reset(MakeFont(Scaled(11), "Arial", FW_BOLD));
  if (!fonts.page || !fonts.bold || !fonts.title || !fonts.chart || !fonts.chartScale) return false;
  m_retiredFonts.push_back(std::move(m_font));
  m_retiredFonts.push_back(std::move(m_boldFont));
  m_retiredFonts.push_back(std::move(m_titleFont));
  m_retiredFonts.push_back(std::move(m_chartFont));
  m_retiredFonts.push_back(std::move(m_chartScaleFont));
  m_font = std::move(fonts.page);
  m_boldFont = std::move(fonts.bold);
  m_titleFont = std::move(fonts.title);
  m_chartFont = std::move(fonts.chart);
  m_chartScaleFont = std::move(fonts.chartScale);
  return true;
}

bool TfrmRamsweep::CreateControls() {
  m_dpi = WindowDpi(m_window);
  if (!CreateFonts()) return false;
  m_silverBrush.Reset(CreateSolidBrush(kSilver));
  if (!m_silverBrush) return false;

  // Everything is made in place first and put where it belongs by LayoutControls, which lays the
  // window out again whenever its DPI changes.
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const HWND tabs =
      CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0, m_window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(PageControl1)), instance, nullptr);
  if (!tabs) return false;
  for (int i = 0; i < kPageCount; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(kPageCaptions[i]);
    SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }

  m_tooltip = CreateToolTipWindow(m_window);

  HWND previous = nullptr;
  for (const ControlRow& row : MainWindowControls()) {
    if (row.kind == Kind::Chart) {
      if (!CreateChart(row)) return false;
      m_pageControls[static_cast<int>(row.page)].push_back(m_chart->Handle());
      previous = m_chart->Handle();
      continue;
    }
    if (row.id == mdURLLabel1 || row.id == mdURLLabel2) {
      if (!CreateLinkLabel(row)) return false;
      previous = Control(row.id);
      m_pageControls[static_cast<int>(row.page)].push_back(previous);
      continue;
    }
    const ControlClass cls = ClassOf(row);
    const HWND control = CreateWindowExA(cls.exStyle, cls.className, row.text, cls.style, 0, 0, row.w, row.h, m_window,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
    if (!control) return false;
    if (row.kind == Kind::UpDown) SendMessageA(control, UDM_SETBUDDY, reinterpret_cast<WPARAM>(previous), 0);
    // Frames lie under the controls they hold; the page control under everything.
    if (row.kind == Kind::Group || row.kind == Kind::Sunken || row.kind == Kind::Silver) {
      SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (m_tooltip && (row.id == cboIdleRegular || row.id == cboIdleCritical || row.id == cboIdleStartup)) {
      AddToolTip(m_tooltip, m_window, control, kIdleHint);
    }
    m_pageControls[static_cast<int>(row.page)].push_back(control);
    previous = control;
  }
  SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  LayoutControls();
  MatchPageColor();
  return true;
}

void TfrmRamsweep::LayoutControls() {
  SendMessageA(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
  const HWND tabs = Control(PageControl1);
  SendMessageA(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
  // narrow tab padding, so all seven pages fit in one row
  SendMessageA(tabs, TCM_SETPADDING, 0, MAKELPARAM(Scaled(5), Scaled(3)));
  SendMessageA(tabs, TCM_SETMINTABWIDTH, 0, Scaled(16));
  const int border = Scaled(kPanelBorder);
  const int tabsWidth = Scaled(kClientWidth) - 2 * border;
  const int tabsHeight = Scaled(kClientHeight) - 2 * border;
  SetWindowPos(tabs, nullptr, border, border, tabsWidth, tabsHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT area{0, 0, tabsWidth, tabsHeight};
  SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  const int originX = border + area.left;
  const int originY = border + area.top;

  // The table's figures at this DPI; labels and check boxes then grow to their text in the font
  // the system gives us, pushing the rest of their row along.
  const auto rows = MainWindowControls();
  std::vector<LayoutBox> boxes;
  boxes.reserve(rows.size());
  for (const ControlRow& row : rows) {
    boxes.push_back({static_cast<int>(row.page), row.x, row.y, row.w, row.h, 0, row.kind == Kind::UpDown});
  }
  ScaleBoxes(boxes, m_dpi);
  {
    const ScopedWindowDc screen(m_window);
    const ScopedSelection selection(screen.Get(), m_font.Get());
    const int checkBox = SystemMetricForDpi(SM_CXMENUCHECK, m_dpi) + Scaled(8);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const ControlRow& row = rows[i];
      const bool grows = (row.kind == Kind::Label && row.page != Page::About && row.id != Label3 && row.id != labNext &&
                          row.id != Label15 && row.id != labLastResult) ||
                         row.kind == Kind::Check;
      if (row.kind == Kind::Combo) {
        // a combo box may give up what its widest item does not need
        int widest = 0;
        const HWND combo = Control(row.id);
        const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int item = 0; item < count; ++item) {
          char text[64] = {};
          if (SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0) >= static_cast<LRESULT>(sizeof text)) {
            continue;
          }
          SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text));
          SIZE extent{};
          GetTextExtentPoint32A(screen.Get(), text, lstrlenA(text), &extent);
          widest = std::max<int>(widest, extent.cx);
        }
        if (widest > 0) boxes[i].minWidth = widest + SystemMetricForDpi(SM_CXVSCROLL, m_dpi) + Scaled(10);
      }
      if (!grows) continue;
      SIZE extent{};
      GetTextExtentPoint32A(screen.Get(), row.text, lstrlenA(row.text), &extent);
      // a check box's text sits right of its box
      boxes[i].textWidth = extent.cx + (row.kind == Kind::Check ? checkBox : Scaled(2));
    }
  }
  // nothing may reach past the pages' display area
  const int pageWidth = area.right - area.left;
  FlowRows(boxes, Scaled(kRowTolerance), pageWidth);
  // A label that still reaches past it (the font's widths grew faster than the scale and its row
  // had no slack left) keeps all its text in a slightly smaller size of the page font.
  std::vector<HFONT> fitted(rows.size(), nullptr);
  for (ScopedFont& font : m_fittedFonts) m_retiredFonts.push_back(std::move(font));
  m_fittedFonts.clear();
  {
    const ScopedWindowDc screen(m_window);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      LayoutBox& box = boxes[i];
      if (rows[i].kind != Kind::Label || box.textWidth <= 0 || box.x + box.w <= pageWidth) continue;
      const int room = pageWidth - box.x;
      for (int height = Scaled(11) - 1; height >= Scaled(11) * 3 / 4; --height) {
        ScopedFont font(MakeFont(height, "MS Sans Serif"));
        if (!font) break;
        SIZE extent{};
        {
          const ScopedSelection selection(screen.Get(), font.Get());
          GetTextExtentPoint32A(screen.Get(), rows[i].text, lstrlenA(rows[i].text), &extent);
        }
        if (extent.cx + Scaled(2) > room) continue;
        box.w = room;
        fitted[i] = font.Get();
        m_fittedFonts.push_back(std::move(font));
        break;
      }
    }
  }

  HWND previous = nullptr;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ControlRow& row = rows[i];
    const LayoutBox& box = boxes[i];
    const HWND control = row.kind == Kind::Chart ? m_chart->Handle() : Control(row.id);
    if (row.kind == Kind::UpDown) {
      // as wide as a scroll bar at this DPI, and set again on its buddy, so it sits at the buddy's
      // new right edge
      RECT arrows{};
      GetWindowRect(control, &arrows);
      SetWindowPos(control, nullptr, 0, 0, SystemMetricForDpi(SM_CXVSCROLL, m_dpi), arrows.bottom - arrows.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      SendMessageA(control, UDM_SETBUDDY, reinterpret_cast<WPARAM>(previous), 0);
      continue;
    }
    SetWindowPos(control, nullptr, originX + box.x, originY + box.y, box.w, box.h, SWP_NOZORDER | SWP_NOACTIVATE);
    if (row.kind == Kind::Chart) {
      m_chart->SetDpi(m_dpi);
      m_chart->SetFont(m_chartFont.Get(), kChartColor);
      m_chart->SetScaleFont(m_chartScaleFont.Get(), kChartColor);
    } else if (row.id == mdURLLabel1 || row.id == mdURLLabel2) {
      SetLinkLabelFonts(*m_linkLabels[row.id == mdURLLabel1 ? 0 : 1]);
    } else {
      HFONT font = fitted[i] ? fitted[i] : m_font.Get();
      if (row.id == Label15) font = m_boldFont.Get();
      if (row.id == Label5) font = m_titleFont.Get();
      SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    previous = control;
  }
  FitAmountList();
  // no control holds the fonts of the previous layout any more
  m_retiredFonts.clear();
}

void TfrmRamsweep::FitAmountList() {
  // five columns of nine rows hold all 41 amounts without scrolling
  constexpr int kColumns = 5;
  constexpr int kRows = (kAmountCount + kColumns - 1) / kColumns;
  const HWND list = Control(lstMem);
  RECT bounds{};
  GetWindowRect(list, &bounds);
  RECT inner{};
  GetClientRect(list, &inner);
  // the border is as thick at the top and bottom as at the sides; the height may also hold a
  // horizontal scroll bar left from columns of another DPI
  const int frame = (bounds.right - bounds.left) - inner.right;
  const int itemHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  SetWindowPos(list, nullptr, 0, 0, bounds.right - bounds.left, kRows * itemHeight + frame,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(list, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(inner.right / kColumns), 0);
}

void TfrmRamsweep::OnDpiChanged(int dpi, const RECT& suggested) {
  m_dpi = UsableDpi(dpi);
  if (CreateFonts()) LayoutControls();
  SetWindowPos(m_window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  MatchPageColor();
  ApplyTraySize();
  InvalidateRect(m_window, nullptr, TRUE);
}

bool TfrmRamsweep::CreateChart(const ControlRow& row) {
  m_chart = TPerformanceChart::Create(m_window, row.id, 0, 0, row.w, row.h);
  if (!m_chart) return false;
  m_chart->SetCaption(row.text);
  m_chart->SetFont(m_chartFont.Get(), kChartColor);
  if (!m_chart->SetScaleFont(m_chartScaleFont.Get(), kChartColor)) return false;
  m_chart->OnGetMaxY = [](TPerformanceChart&, std::int64_t& MaxY) { MaxY = PerformanceChart1GetMaxY(MaxY); };
  m_chart->OnGetYDisplay = [](TPerformanceChart&, std::int64_t Y, std::string& Display) {
    Display = PerformanceChart1GetYDisplay(Y);
  };
  m_chart->SetErrorLabel(Control(Label26));
  ShowWindow(m_chart->Handle(), SW_HIDE);
  return true;
}

bool TfrmRamsweep::SetLinkLabelFonts(TmdURLLabel& label) {
  // the page's face in both looks: blue while it acts as a link, the window text otherwise
  return label.SetLinkFont(m_font.Get(), TmdURLLabel::kLinkColor) &&
         label.SetPassiveFont(m_font.Get(), GetSysColor(COLOR_WINDOWTEXT));
}

bool TfrmRamsweep::CreateLinkLabel(const ControlRow& row) {
  const bool web = row.id == mdURLLabel1;
  auto& label = m_linkLabels[web ? 0 : 1];
  label = TmdURLLabel::Create(m_window, row.id, 0, 0, row.w, row.h);
  if (!label) return false;
  if (!SetLinkLabelFonts(*label)) return false;
  label->SetAlignment(TmdURLLabel::TAlignment::Center);
  label->SetShowPrefix(false);
  label->SetURLAsHint(true);
  label->SetCaption(row.text);
  label->SetURL(std::string(web ? "http://" : "mailto:") + (web ? kWebAddress : kMailAddress));
  label->SetLabelType(TmdLabelType::Link);
  return true;
}

void TfrmRamsweep::PrepareControls() {
  // the 41 amounts, in every list that chooses one
  const int defaultIndex = DefaultAmountIndex(m_totalPhysical);
  const HWND list = Control(lstMem);
  for (std::int32_t amount : FreeAmounts) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AmountText(amount).c_str()));
  }
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
  // The threshold up-downs only say which arrow was pressed; a range around their position lets
  // both arrows report in the right direction.
  for (ControlId upDown : {udCritical, udYellow}) {
    SendMessageA(Control(upDown), UDM_SETRANGE32, static_cast<WPARAM>(-1000), 1000);
    SendMessageA(Control(upDown), UDM_SETPOS32, 0, 0);
  }
  UDACCEL fiveMinutes{0, 5};
  SendMessageA(Control(udmin), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&fiveMinutes));
  SendMessageA(Control(txtMaxTimes), EM_LIMITTEXT, 2, 0);

  PrepareSettingControls(defaultIndex);
}

void TfrmRamsweep::ShowPage(Page page) {
  m_page = page;
  SendMessageA(Control(PageControl1), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  for (int i = 0; i < kPageCount; ++i) {
    if (i == static_cast<int>(page)) continue;
    for (HWND control : m_pageControls[i]) ShowWindow(control, SW_HIDE);
  }
  for (HWND control : m_pageControls[static_cast<int>(page)]) {
    // labNext shows only while regular free-ups are on, labLastResult once a free-up has ended
    if (GetDlgCtrlID(control) == labNext && !RegularFreeUpsOn()) continue;
    if (GetDlgCtrlID(control) == labLastResult && !m_lastResult) continue;
    ShowWindow(control, SW_SHOW);
  }
}

}  // namespace rsw::win32
