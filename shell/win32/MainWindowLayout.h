#pragma once
// The main window's pages and controls: one table of what sits where, with its caption, kind and
// style. Coordinates are pixels at 96 DPI inside a page's display area.

#include <windows.h>

#include <array>
#include <span>

namespace rsw::win32 {

enum class Page { FreeMemory, Statistics, Background, Startup, Idle, Icon, About, Count };
inline constexpr int kPageCount = static_cast<int>(Page::Count);
inline constexpr std::array<const char*, kPageCount> kPageCaptions{"Free Memory", "Statistics", "Background", "Startup",
                                                                   "Idle",        "Icon",       "About"};

// Control identifiers carry the controls' names.
enum ControlId : int {
  PageControl1 = 100,
  // Free Memory
  lstMem = 1000,
  labAllocate,
  txtMaxTimes,
  UpDown1,
  labTimes,
  butAlloc,
  Button1,
  butClose1,
  // Statistics
  Label4,
  Panel2,
  PerformanceChart1,
  TrackBar1,
  Label3,
  chkCaption,
  Label26,
  Button2,
  butClose2,
  // Background
  labCriticalAmount,
  txtCritical,
  udCritical,
  labCriticalKB,
  chkBackground,
  chkRegular,
  cboRegular,
  labEvery,
  Edit5,
  udmin,
  labMinutes,
  labNext,
  labRegularUse,
  cboIdleRegular,
  labRegularIdle,
  chkCritical,
  cboCritical,
  labLessThan,
  labForMoreThan,
  Edit7,
  udsec,
  labSecondsAndUse,
  cboIdleCritical,
  labCriticalIdle,
  Button3,
  butClose4,
  // Startup
  chkAutoRun,
  grpStartupOptions,
  labAutoFreeUp,
  cboAutoRun,
  labAutoNotMore,
  Edit4,
  udAutoTimes,
  labAutoTimes,
  labAutoWait,
  Edit6,
  udAutoDelay,
  labAutoSeconds,
  labAutoUse,
  cboIdleStartup,
  labAutoIdle,
  Button4,
  butClose5,
  // Idle
  labIdleIntro,
  grpHard,
  labHardBelow,
  txtHardIdlePercent,
  udHardPercent,
  labHardPercent,
  labHardDetect,
  txtHardDelay,
  udHardSeconds,
  labHardNoIdle,
  cboHardAction,
  grpSoft,
  labSoftBelow,
  Edit11,
  udSoftPercent,
  labSoftPercent,
  labSoftDetect,
  Edit14,
  udSoftSeconds,
  labSoftNoIdle,
  cboSoftAction,
  Button17,
  butClose10,
  // Icon
  chkShowIcon,
  Label13,
  Label14,
  Label15,
  Label16,
  txtYellow,
  udYellow,
  Label17,
  Label25,
  cboMenu1,
  cboMenu2,
  cboMenu3,
  Label12,
  cboIconAction,
  Button5,
  butClose6,
  // About
  panAbout,
  Label5,
  lblVersion,
  mdURLLabel1,
  Edit2,
  mdURLLabel2,
  Edit3,
  butClose3,
  // added later, so the identifiers above stay as they were
  labLastResult,  // Free Memory: what the last free-up did
  chkShowResult,  // Icon: "Show the result in a balloon"
};

// The tray menu's items.
enum MenuId : int {
  ShowRamsweepPro1 = 3000,
  BackgroundActivity1,
  ManageEntries1,
  mnuFree1,
  mnuFree2,
  mnuFree3,
  mnuExit1,
};

enum class Kind {
  Label,      // static text
  WrapLabel,  // static text over several lines
  Edit,       // an edit the user types into
  ReadOnly,   // an edit that only shows
  UpDown,     // attached to the control just before it
  Button,
  DefaultButton,
  Check,
  Combo,   // drop-down list
  List,    // list box in columns
  Group,   // group box
  Track,   // track bar
  Sunken,  // a lowered panel
  Silver,  // a silver panel
  Chart,   // the place of the chart control
};

struct ControlRow {
  ControlId id;
  Page page;
  Kind kind;
  const char* text;
  int x, y, w, h;
};

std::span<const ControlRow> MainWindowControls();

inline constexpr int kClientWidth = 411;
inline constexpr int kClientHeight = 272;
inline constexpr int kPanelBorder = 5;

// The hint of the three combo boxes that choose idle detection.
// The About page's addresses: the product's own example site and mailbox.
inline constexpr const char* kWebAddress = "www.vondrel-aske.example/ramsweep";
inline constexpr const char* kMailAddress = "ramsweep@vondrel-aske.example";

inline constexpr const char* kIdleHint = "Details of Idle Detection are specified on the \"Idle\" tab";

}  // namespace rsw::win32
