#pragma once
// The main window: seven pages of settings and commands, the free-up state and its caption, the
// single-instance protocol, minimising and closing.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "display/StatusDisplay.h"
#include "engine/AutomaticFreeUps.h"
#include "engine/FreeUpResult.h"
#include "engine/StatusCaption.h"
#include "engine/TFreeThread.h"
#include "engine/uProcessorTime.h"
#include "engine/win32/Win32FreeUp.h"
#include "shell/Settings.h"
#include "shell/uRegistry.h"
#include "shell/win32/MainWindowLayout.h"
#include "shell/win32/ScopedHandles.h"

namespace rsw::win32 {

class TPerformanceChart;
class TTraybar;
class TmdURLLabel;
class FreeAndRunController;
class FreeAndRunHost;

// How each setting is shown: which control holds it and in what form.
enum class Binding { UpDown, ItemIndex, Check, TrackPosition, KilobyteText };

struct SettingControl {
  SettingId setting;
  ControlId control;
  Binding binding;
};

// One class carries the main window's behaviour; its implementation is split by concern, each file
// named after what it does:
//   shell/win32/TfrmRamsweep.cpp              the window procedure, message dispatch, control access
//   shell/win32/MainWindowCreation.cpp        creation in its fixed order, the pages and their layout
//   shell/win32/MainWindowSettings.cpp        settings between the controls and the registry
//   shell/win32/MainWindowLifecycle.cpp       showing, minimising, closing, the second start's requests, help
//   engine/win32/MainWindowFreeUp.cpp         the free-up controller, its progress, the caption and
//                                             what a free-up did (page line, chart mark, balloon)
//   engine/win32/MainWindowAutomatic.cpp      regular and critical free-ups, the Background page
//   display/win32/MainWindowStatusDisplay.cpp the tray picture with its digits, the refresh tick
//   display/win32/MainWindowTrayMenu.cpp      the tray icon's menu, double-click and the Icon page
//   display/win32/MainWindowPainting.cpp      page colour, group frames, static controls' colours
//   freeandrun/win32/MainWindowFreeAndRun.cpp the Free-and-Run submenu, its forms and the launch
// The rules that need no window live beside them in shell/MainWindowRules.h and display/TrayMenuRules.h.
// final: its window ends in the destructor's body, while the whole object still answers the
// messages that brings; the part a derived class added would already be gone by then.
class TfrmRamsweep final {
 public:
  // Starts a worker thread with a copy of the given fields; false when none could be started.
  using WorkerStarter = std::function<bool(const TFreeThread&)>;
  // Draws the digits into a copy of the state picture; nullptr when that cannot be done.
  using TrayIconComposer = std::function<HICON(HICON base, const std::string& digits, int centreRow)>;
  // Opens a file, or starts a program with its parameters, through the shell's "open" verb.
  using ShellOpener = std::function<void(HWND owner, const std::string& file, const std::string& parameters)>;

  struct Options {
    std::vector<std::string> args;         // the command line, program path excluded
    WorkerStarter startWorker;             // empty: a real worker thread
    std::string programPath;               // empty: this program's file
    std::function<CivilTime()> now;        // empty: the local clock
    std::function<MemoryStatus()> memory;  // empty: the system's memory reading
    TrayIconComposer composeTrayIcon;      // empty: the digits drawn with the digit font
    ShellOpener shellOpen;                 // empty: ShellExecuteA
  };

  static bool RegisterClass(HINSTANCE instance);
  // Creates the window (not yet shown); nullptr when creation failed.
  static std::unique_ptr<TfrmRamsweep> Create(HINSTANCE instance, const uRegistry& registry, Options options);
  ~TfrmRamsweep();
  TfrmRamsweep(const TfrmRamsweep&) = delete;
  TfrmRamsweep& operator=(const TfrmRamsweep&) = delete;

  HWND Handle() const { return m_window; }
  // Looked up once and kept while it is still that control: finding a child by its id asks the
  // window server every time, and the refresh tick reads several controls.
  HWND Control(ControlId id) const {
    HWND& known = m_controls[static_cast<int>(id)];
    if (known && IsWindow(known) && GetParent(known) == m_window && GetDlgCtrlID(known) == static_cast<int>(id)) {
      return known;
    }
    return known = GetDlgItem(m_window, id);
  }
  // Shows the window as the process was asked to start: minimised for the start-up free-up or a
  // minimise show command, never maximised.
  void ShowAtStart(int processShowCommand);

  // The one way a free-up begins; ignored while one runs.
  void StartFreeUp(std::int32_t AmountMB, std::int32_t MaxPasses, std::int32_t Countdown, std::int32_t IdleMode);
  void UpdateStatusCaption();

  // For tests: the state a user sees through the window.
  std::int64_t NextRegularDue() const { return NextRegularTime; }
  std::int32_t CriticalCount() const { return m_critical.Count(); }
  bool IsBusy() const { return Busy; }
  // What the last free-up of this session did, once one has ended.
  const std::optional<FreeUpResult>& LastFreeUpResult() const { return m_lastResult; }
  const TFreeThread& LastWorker() const { return m_lastWorker; }
  Page ActivePage() const { return m_page; }
  // The DPI the window is laid out for.
  int Dpi() const { return m_dpi; }
  // The size of the tray pictures in use (the small-icon size they were made for).
  int TrayPictureSize() const { return m_trayMetrics->size; }
  bool IsSettingsLoading() const { return SettingsLoading; }
  TTraybar& Tray() const { return *Traybar1; }
  HMENU TrayMenu() const { return PopupMenu1.Get(); }
  HICON ComposedTrayIcon() const { return ComposedIcon.Get(); }
  // The Free-and-Run list, its submenu and its forms.
  FreeAndRunController& FreeAndRun() const { return *m_freeAndRun; }
  TPerformanceChart& Chart() const { return *m_chart; }
  // The About page's links: 0 the web site, 1 the mail address.
  TmdURLLabel& LinkLabel(int index) const { return *m_linkLabels[index == 0 ? 0 : 1]; }
  // Reads the free memory again and shows it in the tray icon.
  void RefreshMemoryReading();
  // The digits drawn into a copy of `base` with the digit font; nullptr when that cannot be done.
  HICON ComposeTrayIcon(HICON base, const std::string& digits, int centreRow);

 private:
  TfrmRamsweep(const uRegistry& registry, Options options);

  // ---- TfrmRamsweep.cpp: window procedure, dispatch, control access ----
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code, HWND control);
  LRESULT OnNotify(const NMHDR& header);
  void ShowErrorBox(const std::string& message) const;
  MemoryStatus ReadMemory() const;
  bool Checked(ControlId id) const;
  void SetChecked(ControlId id, bool checked);
  int ItemIndex(ControlId id) const;
  void SetItemIndex(ControlId id, int index);
  int Position(ControlId id) const;
  void SetPosition(ControlId id, int position);
  std::string Text(ControlId id) const;
  void SetText(ControlId id, const std::string& text);
  // The edits the timers read on every tick (the thresholds, the critical seconds), read once and
  // kept until the edit reports a change: an edit an up-down has subclassed costs the window server
  // several calls on every read.
  std::string TickText(ControlId edit) const;
  int TickPosition(ControlId upDown, ControlId buddy) const;
  void ForgetTickValue(ControlId edit);
  void Enable(ControlId id, bool enabled);

  // ---- MainWindowCreation.cpp: creation and page layout ----
  bool FormCreate();
  bool CreateControls();
  // The window's fonts at its DPI; false (the old set kept) when one cannot be made.
  bool CreateFonts();
  // Puts every control where the page table says, scaled to the window's DPI, in the current fonts.
  void LayoutControls();
  void FitAmountList();
  // WM_DPICHANGED: the window moved to a monitor of another scale (or the scale changed).
  void OnDpiChanged(int dpi, const RECT& suggested);
  int Scaled(int value) const;
  RECT ClientArea() const;
  bool CreateChart(const ControlRow& row);
  // The About page's hyperlink labels: the web site and the mail address.
  bool CreateLinkLabel(const ControlRow& row);
  bool SetLinkLabelFonts(TmdURLLabel& label);
  void PrepareControls();
  void ShowPage(Page page);

  // ---- MainWindowSettings.cpp: settings between controls and registry ----
  // The setting controls' ranges from the settings table, and each at its default.
  void PrepareSettingControls(int defaultAmountIndex);
  void LoadSettings();
  Settings SettingsFromControls() const;
  void WriteControl(const SettingControl& sc, std::int32_t value);
  std::int32_t ReadControl(const SettingControl& sc) const;
  void SaveSettings();
  void chkAutoRunClick();
  void UpdateStartupControls();
  void chkCaptionClick();
  void Label26Click();

  // ---- MainWindowLifecycle.cpp: showing, minimising, closing, requests from a second start, help ----
  bool FormCloseQuery();
  void FormClose();
  void OnEndSession(bool ending);
  void OnSize(WPARAM kind);
  void UndoMaximise();
  void ShowRamsweepPro1Click();
  void OnSysCommand(WPARAM command, LPARAM lParam);
  void butClose1Click();
  void OnRemoteFreeUp(WPARAM wParam, LPARAM lParam);
  void OnHideTaskButton();
  void OpenHelp(const char* topic);

  // ---- MainWindowFreeUp.cpp: the free-up controller and its caption ----
  void ApplyCommandLine();
  // StartFreeUp for a caller that says what asked for the free-up; that is recorded only when a
  // worker really starts.
  void StartFreeUpFor(FreeUpKind kind, std::int32_t AmountMB, std::int32_t MaxPasses, std::int32_t Countdown,
                      std::int32_t IdleMode);
  // The result of the free-up that is ending: its figures read now, before anything else happens.
  std::optional<FreeUpResult> RecordFreeUpResult();
  // On the Free Memory page, on the chart and, for a free-up the user asked for, in a balloon.
  void ShowFreeUpResult(const FreeUpResult& result);
  void OnFreeUpDone();
  void OnFreeUpPass(WPARAM pass);
  void OnFreeUpCountdown(WPARAM secondsLeft);
  void OnFreeUpIdle(WPARAM progress);
  void ReadFreeBytes();
  void butAllocClick();

  // ---- MainWindowAutomatic.cpp: automatic free-ups and the Background page ----
  void ScheduleNextRegular();
  void RegularFreeUpCheck();
  void TimerCriticalTimer();
  void CriticalFreeUpCheck();
  // With background activity on and `enabled` ticked: the amount and idle detection chosen, 3 passes.
  void StartAutomaticFreeUp(ControlId enabled, ControlId amount, ControlId idle);
  void UpdateBackgroundControls();
  bool RegularFreeUpsOn() const;
  void chkBackgroundClick();
  void chkRegularClick();
  void chkCriticalClick();
  void EnableTimerCritical();

  // ---- MainWindowStatusDisplay.cpp: the tray picture, the refresh tick, the thresholds ----
  void LoadTrayIcons();
  // Follows the system's small-icon size: the pictures and digit fonts of that size.
  void ApplyTraySize();
  void UpdateStatusDisplay();
  HFONT DigitFont(const std::string& text, HDC dc);
  void Timer1Timer();
  void TrackBar1Change();
  void udCriticalClick(bool up);
  void udYellowClick(bool up);

  // ---- MainWindowTrayMenu.cpp: the tray icon's menu, its clicks and the Icon page ----
  bool CreatePopupMenu1();
  void EnableFreeUpCommands(bool enabled);
  void chkShowIconClick();
  void UpdateIconPageControls();
  void UpdateMenuCaptions();
  void Traybar1DblClick();
  void Traybar1RightClick();
  void Traybar1TaskbarCreated();
  void BackgroundActivity1Click();
  void mnuFreeClick(ControlId menuCombo);

  // ---- MainWindowFreeAndRun.cpp: the Free-and-Run submenu, its forms and the launch ----
  class FreeAndRunHostOfWindow;
  bool CreateFreeAndRun();
  void PopupMenu1Popup();
  // True when a Free-and-Run form is open: it comes to the front instead of the tray's action.
  bool ShowFreeAndRunForm();
  // The first step of a free-up's completion: opens the program of a Free-and-Run entry.
  void FreeAndRunLaunch();
  bool FreeAndRunCommand(int id);

  // ---- MainWindowPainting.cpp: the page colour, group frames and static controls ----
  void MatchPageColor();
  // The colour of the page body (the button face until it is known).
  HBRUSH PageBrush() const;
  LRESULT OnEraseBackground(HDC dc);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
  void DrawGroupBox(const DRAWITEMSTRUCT& item);

  HWND m_window = nullptr;
  mutable std::unordered_map<int, HWND> m_controls;  // by control id, see Control
  // By the edit's id, with the edit they were read from: its text, or its up-down's position.
  mutable std::unordered_map<int, std::pair<HWND, std::string>> m_tickTexts;
  mutable std::unordered_map<int, std::pair<HWND, int>> m_tickPositions;
  const uRegistry& m_registry;
  Options m_options;
  std::string m_decimalSeparator = ".";
  std::string m_helpFile;  // "rswpro4.hlp" in the program's folder
  bool m_startMinimised = false;
  bool m_undoingMaximise = false;
  Page m_page = Page::Statistics;
  std::array<std::vector<HWND>, kPageCount> m_pageControls;
  HWND m_tooltip = nullptr;
  ScopedWindow FocusWindow;
  ScopedFont m_font;
  ScopedFont m_boldFont;
  ScopedFont m_titleFont;
  ScopedFont m_chartFont;
  ScopedFont m_chartScaleFont;
  std::vector<ScopedFont> m_fittedFonts;   // smaller page fonts of labels too long for their row
  std::vector<ScopedFont> m_retiredFonts;  // the previous DPI's, until the controls let go of them
  int m_dpi = 96;
  ScopedBrush m_silverBrush;
  ScopedBrush m_pageBrush;
  COLORREF m_pageColor = 0;
  std::unique_ptr<TPerformanceChart> m_chart;                // PerformanceChart1
  std::array<std::unique_ptr<TmdURLLabel>, 2> m_linkLabels;  // mdURLLabel1, mdURLLabel2
  TFreeThread m_lastWorker;
  std::unique_ptr<DynDataProcessorUsage> m_dynData;  // Windows 95/98 only

  // Free and Run
  std::unique_ptr<FreeAndRunHost> m_freeAndRunHost;  // this window, as Free and Run sees it
  std::unique_ptr<FreeAndRunController> m_freeAndRun;

  // tray
  std::unique_ptr<TTraybar> Traybar1;
  ScopedMenu PopupMenu1;
  HMENU FreeandRun1 = nullptr;  // a submenu of PopupMenu1, which owns it
  ScopedIcon IconGreen, IconYellow, IconRed, IconIdle, IconWork, IconWork2;
  std::array<ScopedFont, 5> DigitFonts;  // by text length 1 to 4, for the pictures' size
  const TrayDigitMetrics* m_trayMetrics = &kTrayDigitTable[0];
  // The picture installed in Traybar1: always owned here, never one of the base pictures, so
  // reloading those can never leave the component with a released handle.
  ScopedIcon ComposedIcon;
  // What ComposedIcon shows: an update that would draw the same picture and digits composes and
  // hands over nothing. Cleared when it must be composed anew (the state pictures reloaded).
  struct TrayContent {
    int picture = -1;
    std::string digits;
    bool operator==(const TrayContent&) const = default;
  };
  TrayContent ShownTrayContent;
  int WorkToggle = 0;
  bool m_watchEndSession = false;  // the tray icon was shown at creation

  // creation state
  bool TrayReady = false;  // the tray icons are loaded
  bool SettingsLoading = false;
  bool WindowCreated = false;

  // free-up state
  bool Busy = false;
  std::int32_t CurrentPass = 0;
  std::int32_t IdleProgress = 0;
  std::int32_t CountdownLeft = 0;
  bool ExitAfterFreeUp = false;
  std::uint64_t FreeBytes = 0;
  std::uint64_t m_totalPhysical = 0;

  // what a free-up did
  struct RunningFreeUp {
    FreeUpKind kind;
    bool ranPasses = false;
    std::uint64_t freeBefore = 0;  // as its first pass began
    // the system's millisecond count (the C++ clocks would bring the threads library's clocks along)
    ULONGLONG firstPassTick = 0;
  };
  // A free-up started without naming what asked for it counts as one of the command line's.
  static constexpr FreeUpKind kUnnamedFreeUp = FreeUpKind::CommandLine;
  FreeUpKind m_startingKind = kUnnamedFreeUp;  // what asked for the StartFreeUp under way
  std::optional<RunningFreeUp> m_running;      // the free-up whose worker runs
  std::optional<FreeUpResult> m_lastResult;

  // automatic free-ups
  std::int64_t NextRegularTime = 0;  // local seconds
  CriticalCounter m_critical;        // CriticalCount
};

}  // namespace rsw::win32
