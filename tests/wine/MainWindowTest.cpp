// The real main window, created in this process over the real registry (the test prefix's) or an
// in-memory one, driven through its controls and messages.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <tlhelp32.h>

#include "display/ChartScale.h"
#include "display/win32/TPerformanceChart.h"
#include "display/win32/TmdURLLabel.h"
#include "engine/FreeAmounts.h"
#include "engine/win32/Win32FreeUp.h"
#include "shell/MemoryRegistry.h"
#include "shell/Messages.h"
#include "shell/SettingsKey.h"
#include "shell/win32/MainWindowInternals.h"
#include "shell/win32/ProgramPath.h"
#include "shell/win32/TfrmRamsweep.h"
#include "shell/win32/Win32Registry.h"
#include "wine/MainWindowFixture.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t kMB = 1024 * 1024;

// A memory reading the window gets instead of the system's.
void GiveMemory(std::function<void(TfrmRamsweep::Options&)>& configure, std::uint64_t total, std::uint64_t available) {
  configure = [total, available](TfrmRamsweep::Options& options) {
    options.memory = [total, available] { return win32::MemoryStatus{total, available}; };
  };
}

TEST_F(MainWindow, EmptyRegistryShowsTheDefaultsAndTheFirstCloseWritesThem) {
  // 2 GB in all, of which 256 MB are free: the default amount follows the total
  GiveMemory(configure, 2048 * kMB, 256 * kMB);
  TfrmRamsweep& window = Open();
  EXPECT_EQ(window.ActivePage(), Page::Statistics);
  EXPECT_FALSE(window.IsSettingsLoading());
  EXPECT_FALSE(Checked(chkShowIcon)) << "the layout's ticked box follows the stored default";
  EXPECT_FALSE(Checked(chkBackground));
  EXPECT_TRUE(Checked(chkRegular));
  EXPECT_TRUE(Checked(chkCritical));
  EXPECT_TRUE(Checked(chkCaption));
  EXPECT_FALSE(Checked(chkAutoRun));
  EXPECT_EQ(SendMessageA(Item(TrackBar1), TBM_GETPOS, 0, 0), 3);
  EXPECT_EQ(WindowText(Item(Label3)), "Refresh every 2 sec");
  EXPECT_EQ(UpDown(UpDown1), 2);
  EXPECT_EQ(WindowText(Item(txtMaxTimes)), "2");
  EXPECT_EQ(WindowText(Item(txtCritical)), "500");
  EXPECT_EQ(WindowText(Item(txtYellow)), "3.000");
  EXPECT_EQ(WindowText(Item(Edit6)), "15");
  EXPECT_EQ(ComboIndex(cboMenu1), 2);
  EXPECT_EQ(ComboIndex(cboIconAction), 1);
  EXPECT_EQ(ComboIndex(cboIdleCritical), 2);
  EXPECT_EQ(ComboIndex(cboSoftAction), 1);
  const int defaultIndex = 40;  // 512 MB
  EXPECT_EQ(SendMessageA(Item(lstMem), LB_GETCURSEL, 0, 0), defaultIndex);
  EXPECT_EQ(ComboIndex(cboAutoRun), defaultIndex);
  EXPECT_EQ(SendMessageA(Item(lstMem), LB_GETCOUNT, 0, 0), 41);
  EXPECT_TRUE(std::regex_match(Caption(window.Handle()), std::regex(R"(\d+[.,]\d+ MB - Ramsweep Pro)")))
      << Caption(window.Handle());
  // the startup options are disabled while "Run automatically with Windows" is not ticked
  EXPECT_FALSE(IsWindowEnabled(Item(cboAutoRun)));
  EXPECT_FALSE(IsWindowEnabled(Item(Edit4)));
  EXPECT_TRUE(IsWindowEnabled(Item(grpStartupOptions)));
  EXPECT_EQ(Stored("Refresh"), -999) << "nothing is written before the first save";

  ASSERT_TRUE(Close());
  EXPECT_EQ(Stored("Refresh"), 3);
  EXPECT_EQ(Stored("Times"), 2);
  EXPECT_EQ(Stored("Show"), 1);
  EXPECT_EQ(Stored("Icon"), 0);
  EXPECT_EQ(Stored("Background"), 0);
  EXPECT_EQ(Stored("Regular"), 1);
  EXPECT_EQ(Stored("RegularMinutes"), 30);
  EXPECT_EQ(Stored("CriticalRAM 4.1"), 500);
  EXPECT_EQ(Stored("Yellow 4.1"), 3000);
  EXPECT_EQ(Stored("StartupAmount"), defaultIndex);
  EXPECT_EQ(Stored("StartupDelay"), 15);
  EXPECT_EQ(Stored("IconAction"), 1);
  EXPECT_EQ(Stored("CriticalRAM"), -999);
  EXPECT_EQ(Stored("Yellow"), -999);
  EXPECT_EQ(Stored("ShowResult"), 1);
  EXPECT_EQ(registry.ListRegValueNames(kSettingsKey).size(), 31u);
}

struct TotalCase {
  std::uint64_t totalMB;
  int index;  // of the largest amount not above half the total, counted in thousands of kilobytes
};

class DefaultAmount : public MainWindow, public ::testing::WithParamInterface<TotalCase> {};

TEST_P(DefaultAmount, FollowsTheTotalMemoryNotTheFree) {
  GiveMemory(configure, GetParam().totalMB * kMB, GetParam().totalMB * kMB / 8);
  Open();
  EXPECT_EQ(SendMessageA(Item(lstMem), LB_GETCURSEL, 0, 0), GetParam().index) << GetParam().totalMB;
  EXPECT_EQ(ComboIndex(cboAutoRun), GetParam().index) << GetParam().totalMB;
}

INSTANTIATE_TEST_SUITE_P(Totals, DefaultAmount,
                         ::testing::Values(TotalCase{8, 2},      // 4 MB
                                           TotalCase{64, 16},    // 32 MB
                                           TotalCase{256, 28},   // 128 MB
                                           TotalCase{512, 32},   // 256 MB
                                           TotalCase{1024, 40},  // 512 MB
                                           TotalCase{24576, 40}));

// Makes ".html" pages open with the prefix's own browser for the life of the object, as a desktop
// with a browser has it; the test prefix comes without that association.
class HtmlAssociation {
 public:
  HtmlAssociation() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      RegCloseKey(key);  // one was there already: leave it as it is
      return;
    }
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("htmlfile"), sizeof "htmlfile");
      RegCloseKey(key);
      m_made = true;
    }
  }
  ~HtmlAssociation() {
    if (m_made) RegDeleteTreeA(HKEY_CLASSES_ROOT, kKey);
  }

 private:
  static constexpr const char* kKey = ".html";
  bool m_made = false;
};

TEST_F(MainWindow, EachHelpButtonOpensItsTopic) {
  std::vector<std::pair<std::string, std::string>> opened;  // the file the shell was to open, its parameters
  configure = [&](TfrmRamsweep::Options& options) {
    options.shellOpen = [&](HWND, const std::string& file, const std::string& parameters) {
      opened.emplace_back(file, parameters);
    };
  };
  Open();
  const std::pair<ControlId, const char*> buttons[] = {{Button1, "Ramsweepory"}, {Button2, "Statistics"},
                                                       {Button3, "Background"},  {Button4, "Startup"},
                                                       {Button5, "Icon"},        {Button17, "Idle"}};
  {
    // no help file beside the program: its help page there, given whole to the browser at the topic
    const HtmlAssociation browser;
    for (const auto& [button, topic] : buttons) {
      EXPECT_EQ(WindowText(Item(button)), "&Help") << topic;
      opened.clear();
      Click(button);
      ASSERT_EQ(opened.size(), 1u) << topic;
      EXPECT_TRUE(opened[0].first.ends_with("\\winebrowser.exe")) << opened[0].first;
      EXPECT_EQ(opened[0].second, std::string("file:///C:/Tools/rswpro4.html#") + topic);
    }
  }
  // with no browser known, the page is opened by its path, at its top
  opened.clear();
  Click(Button3);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].first, "C:\\Tools\\rswpro4.html");
  EXPECT_EQ(opened[0].second, "");
}

TEST_F(MainWindow, OlderNamesDefaultTheNewerOnesAndStayAsTheyWere) {
  Store("CriticalRAM", 750);
  Store("Yellow", 1500);
  Store("Yellow 4.1", 12500);
  Open();
  EXPECT_EQ(WindowText(Item(txtCritical)), "750");
  EXPECT_EQ(WindowText(Item(txtYellow)), "12.500");
  ASSERT_TRUE(Close());
  EXPECT_EQ(Stored("CriticalRAM 4.1"), 750);
  EXPECT_EQ(Stored("Yellow 4.1"), 12500);
  EXPECT_EQ(Stored("CriticalRAM"), 750);
  EXPECT_EQ(Stored("Yellow"), 1500);
}

TEST_F(MainWindow, NewerNameOverridesTheOlder) {
  Store("CriticalRAM", 750);
  Store("CriticalRAM 4.1", 1500);
  Open();
  EXPECT_EQ(WindowText(Item(txtCritical)), "1.500");
}

TEST_F(MainWindow, DamagedValuesFallBack) {
  Store("Refresh", 25);
  Store("Show", 2);
  Store("Regular", 2);
  Store("Icon", 2);
  Store("Menu1", 99);
  Store("Times", 0);
  Store("StartupDelay", 99999);
  registry.WriteRegString(kSettingsKey, "Background", "1");
  Open();
  EXPECT_EQ(SendMessageA(Item(TrackBar1), TBM_GETPOS, 0, 0), 10);
  EXPECT_EQ(WindowText(Item(Label3)), "Refresh every 60 sec");
  EXPECT_TRUE(Checked(chkCaption));
  EXPECT_TRUE(Checked(chkRegular));
  EXPECT_FALSE(Checked(chkShowIcon));
  EXPECT_FALSE(Checked(chkBackground));
  EXPECT_EQ(ComboIndex(cboMenu1), 2);
  EXPECT_EQ(UpDown(UpDown1), 1);
  EXPECT_EQ(UpDown(udAutoDelay), 3600);
  ASSERT_TRUE(Close());
  EXPECT_EQ(Stored("Refresh"), 10);
  EXPECT_EQ(Stored("Show"), 1);
  EXPECT_EQ(Stored("Menu1"), 2);
}

TEST_F(MainWindow, CloseIsRefusedWhileBusyButTheSettingsAreWritten) {
  TfrmRamsweep& window = Open();
  SendMessageA(Item(TrackBar1), TBM_SETPOS, TRUE, 5);
  window.StartFreeUp(1, 1, 0, 0);
  ASSERT_TRUE(window.IsBusy());
  EXPECT_FALSE(IsWindowEnabled(Item(butAlloc)));
  EXPECT_FALSE(Close());
  EXPECT_EQ(Stored("Refresh"), 5);
  // Windows' shut-down question gets the same answer
  EXPECT_EQ(SendMessageA(window.Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);

  SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);
  EXPECT_FALSE(window.IsBusy());
  EXPECT_TRUE(IsWindowEnabled(Item(butAlloc)));
  EXPECT_EQ(SendMessageA(window.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_TRUE(Close());
}

struct DialogSearch {
  HWND owner;
  HWND found = nullptr;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<DialogSearch*>(parameter);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") == 0 && GetWindow(window, GW_OWNER) == search.owner) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

// A dialog box (such as a message box) of the thread that owns `owner`, owned by it.
HWND DialogOwnedBy(HWND owner) {
  DialogSearch search{owner};
  EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), &FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(MainWindow, WriteErrorAtCloseIsShownAndTheWindowStays) {
  MemoryRegistry memory;
  const uRegistry readOnly(memory);
  memory.SetReadOnly(RootKey::CurrentUser, kSettingsPath, true);
  TfrmRamsweep& window = Open({}, false, &readOnly);
  const std::string title = Caption(window.Handle());

  std::string boxText, boxTitle;
  const HWND owner = window.Handle();
  // the error box is modal on the window's thread: once it is up with its text, read it and press
  // OK from here
  ModalWatch answer(
      owner,
      [&] {
        const HWND box = DialogOwnedBy(owner);
        char text[512] = {};
        if (!box || !IsWindowVisible(box) || GetDlgItemTextA(box, 0xFFFF, text, sizeof text) <= 0) return false;
        boxText = text;
        GetWindowTextA(box, text, sizeof text);
        boxTitle = text;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
      },
      10s);
  const bool closed = Close();
  EXPECT_TRUE(answer.Finish()) << "no error box of the window was seen within 10 s";
  EXPECT_FALSE(closed);
  EXPECT_EQ(boxText, "Cannot create Key: HKEY_CURRENT_USER\\Software\\Vondrel Aske\\Ramsweep Pro.");
  EXPECT_EQ(boxTitle, title) << "titled with the application title, the caption";
  EXPECT_TRUE(IsWindow(window.Handle()));
  form.reset();  // before the registry it uses goes
}

TEST_F(MainWindow, RemoteFreeUpWithDefaultAmountLeavesTheWindowAlone) {
  GiveMemory(configure, 1024 * kMB, 100 * kMB);
  TfrmRamsweep& window = Open();
  SendMessageA(Item(PageControl1), TCM_SETCURSEL, static_cast<WPARAM>(Page::Icon), 0);
  NMHDR change{Item(PageControl1), static_cast<UINT_PTR>(PageControl1), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(window.Handle(), WM_NOTIFY, PageControl1, reinterpret_cast<LPARAM>(&change));
  ASSERT_EQ(window.ActivePage(), Page::Icon);

  EXPECT_EQ(SendMessageA(window.Handle(), WM_REMOTE_FREEUP, 196610, 0), 0);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].AmountMB, 512) << "half of 1 GB in all, however little is free";
  EXPECT_EQ(started[0].MaxPasses, 2);
  EXPECT_EQ(started[0].Countdown, 3);
  EXPECT_FALSE(started[0].IdleDetect);
  EXPECT_EQ(started[0].NotifyWindow, window.Handle());
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(window.ActivePage(), Page::Icon);
  // no preset countdown: the caption waits for the worker's messages
  EXPECT_EQ(State(window.Handle()), "Ramsweep Pro");

  // a second request while busy is dropped
  SendMessageA(window.Handle(), WM_REMOTE_FREEUP, PackRemoteWParam(0, 1), 8);
  EXPECT_EQ(started.size(), 1u);
}

TEST_F(MainWindow, ProgressPostedToAnIdleWindowIsIgnored) {
  TfrmRamsweep& window = Open();
  const HWND handle = window.Handle();
  // every progress message the window takes rewrites its caption: a marker shows none was taken
  SetWindowTextA(handle, "no progress taken");
  PostMessageA(handle, WM_FREEUP_COUNTDOWN, 9, 0);
  PostMessageA(handle, WM_FREEUP_PASS, 4, 0);
  PostMessageA(handle, WM_FREEUP_IDLE, 2, 0);
  PostMessageA(handle, WM_FREEUP_DONE, 0, 0);
  // only the posted progress is handed on here, never a refresh tick
  MSG message;
  while (PeekMessageA(&message, handle, WM_FREEUP_DONE, WM_FREEUP_IDLE, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(Caption(handle), "no progress taken");
  EXPECT_FALSE(window.IsBusy());
  EXPECT_TRUE(IsWindowEnabled(Item(butAlloc)));
  EXPECT_TRUE(started.empty());
  // nor is any of it kept for the next free-up: a request without a countdown starts plainly
  SendMessageA(handle, WM_REMOTE_FREEUP, PackRemoteWParam(0, 1), 8);
  ASSERT_EQ(started.size(), 1u);
  window.UpdateStatusCaption();
  EXPECT_EQ(State(handle), "Ramsweep Pro - Working");
}

TEST_F(MainWindow, WorkerThatCannotStartEndsTheFreeUp) {
  for (const bool throws : {false, true}) {
    int attempts = 0;
    TfrmRamsweep::Options options;
    options.startWorker = [&](const TFreeThread&) -> bool {
      ++attempts;
      if (throws) throw std::runtime_error("no thread");
      return false;
    };
    form = TfrmRamsweep::Create(GetModuleHandleA(nullptr), registry, std::move(options));
    ASSERT_TRUE(form);
    TfrmRamsweep& window = *form;
    SendMessageA(Item(lstMem), LB_SETCURSEL, 3, 0);
    Click(butAlloc);
    EXPECT_EQ(attempts, 1) << throws;
    EXPECT_TRUE(WaitUntil([&] { return !window.IsBusy(); }, 5s)) << throws;
    EXPECT_TRUE(IsWindowEnabled(Item(butAlloc))) << throws;
    EXPECT_FALSE(GetMenuState(window.TrayMenu(), mnuFree1, MF_BYCOMMAND) & MF_GRAYED) << throws;
    EXPECT_EQ(State(window.Handle()), "Ramsweep Pro") << throws;
    // and it is no free-up that holds the window open
    EXPECT_TRUE(Close()) << throws;
    form.reset();
    DrainQuit();
  }
}

TEST_F(MainWindow, EnterPressesAllocateAndFreeOnlyOnTheFreeMemoryPage) {
  TfrmRamsweep& window = Open();
  window.ShowAtStart(SW_SHOWNORMAL);
  SendMessageA(Item(lstMem), LB_SETCURSEL, 7, 0);
  for (int page = 0; page < kPageCount; ++page) {
    SendMessageA(Item(PageControl1), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    NMHDR change{Item(PageControl1), static_cast<UINT_PTR>(PageControl1), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(window.Handle(), WM_NOTIFY, PageControl1, reinterpret_cast<LPARAM>(&change));
    // the focus on a control of the page that is no push button, where Enter means the default
    HWND focus = nullptr;
    for (const ControlRow& row : MainWindowControls()) {
      const bool takesFocus = row.kind == Kind::List || row.kind == Kind::Edit || row.kind == Kind::ReadOnly ||
                              row.kind == Kind::Combo || row.kind == Kind::Track || row.kind == Kind::Check;
      if (static_cast<int>(row.page) == page && takesFocus && IsWindowEnabled(Item(row.id))) {
        focus = Item(row.id);
        break;
      }
    }
    ASSERT_TRUE(focus) << kPageCaptions[page];
    SetFocus(focus);
    // as the program's message loop does: the dialog manager sees every key first
    MSG key{};
    key.hwnd = focus;
    key.message = WM_KEYDOWN;
    key.wParam = VK_RETURN;
    key.lParam = 0x001C0001;
    if (!IsDialogMessageA(window.Handle(), &key)) {
      TranslateMessage(&key);
      DispatchMessageA(&key);
    }
    if (page == static_cast<int>(Page::FreeMemory)) {
      ASSERT_EQ(started.size(), 1u) << "Enter on the Free Memory page";
      EXPECT_EQ(started[0].AmountMB, 14);
      // done again, so a later press would not be dropped as busy
      SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);
      ASSERT_FALSE(window.IsBusy());
    } else {
      EXPECT_EQ(started.size(), 1u) << "Enter on the " << kPageCaptions[page] << " page";
      EXPECT_FALSE(window.IsBusy()) << kPageCaptions[page];
    }
  }
}

TEST_F(MainWindow, RefreshTickAddsEachReadingToTheChart) {
  std::uint64_t available = 300 * kMB;
  configure = [&](TfrmRamsweep::Options& options) {
    options.memory = [&] { return win32::MemoryStatus{4096 * kMB, available}; };
  };
  TfrmRamsweep& window = Open();
  // the chart keeps its object with its window, as every window of the program does
  const auto* chart =
      reinterpret_cast<const TPerformanceChart*>(GetWindowLongPtrA(Item(PerformanceChart1), GWLP_USERDATA));
  ASSERT_TRUE(chart);
  for (std::uint64_t tick = 1; tick <= 3; ++tick) {
    available = (300 + 7 * tick) * kMB;
    const ChartValues before = chart->Values();
    SendMessageA(window.Handle(), WM_TIMER, 1, 0);
    const ChartValues& after = chart->Values();
    // the older values move one place on, and the newest is this tick's reading
    EXPECT_TRUE(std::equal(before.begin() + 1, before.end(), after.begin())) << tick;
    EXPECT_EQ(after.back(), static_cast<std::int64_t>(available)) << tick;
  }
}

TEST_F(MainWindow, PresenceQueryAnswersOnlyTheMagicPair) {
  TfrmRamsweep& window = Open();
  EXPECT_EQ(SendMessageA(window.Handle(), WM_PRESENCE_QUERY, PRESENCE_MAGIC, PRESENCE_MAGIC), PRESENCE_MAGIC);
  EXPECT_EQ(SendMessageA(window.Handle(), WM_PRESENCE_QUERY, PRESENCE_MAGIC, 0), 0);
  EXPECT_EQ(SendMessageA(window.Handle(), WM_PRESENCE_QUERY, 1, PRESENCE_MAGIC), 0);
}

struct AllocCase {
  std::string typed;
  std::int32_t passes;
};

class AllocateAndFree : public MainWindow, public ::testing::WithParamInterface<AllocCase> {};

TEST_P(AllocateAndFree, UsesTheTypedPassesWithinOneToTwenty) {
  TfrmRamsweep& window = Open();
  SendMessageA(Item(lstMem), LB_SETCURSEL, 5, 0);
  SetWindowTextA(Item(txtMaxTimes), GetParam().typed.c_str());
  Click(butAlloc);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].AmountMB, 10);
  EXPECT_EQ(started[0].MaxPasses, GetParam().passes);
  EXPECT_EQ(started[0].Countdown, 0);
  EXPECT_FALSE(started[0].IdleDetect);
  EXPECT_EQ(UpDown(UpDown1), GetParam().passes);
  EXPECT_EQ(window.ActivePage(), Page::Statistics);
  EXPECT_EQ(State(window.Handle()), "Ramsweep Pro - Working");
  // busy: a second click starts nothing
  Click(butAlloc);
  EXPECT_EQ(started.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Typed, AllocateAndFree,
                         ::testing::Values(AllocCase{"0", 1}, AllocCase{"25", 20}, AllocCase{"", 1},
                                           AllocCase{"7", 7}));

TEST_F(MainWindow, DoubleClickOnTheListFreesTheClickedAmount) {
  Open();
  SendMessageA(Item(lstMem), LB_SETCURSEL, 40, 0);
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(lstMem, LBN_DBLCLK), reinterpret_cast<LPARAM>(Item(lstMem)));
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].AmountMB, 512);
  EXPECT_EQ(started[0].MaxPasses, 2);
}

TEST_F(MainWindow, IdleProfilesComeFromTheIdlePage) {
  Store("HardPercent", 40);
  Store("HardSeconds", 9);
  Store("HardAction", 1);
  Store("SoftPercent", 15);
  Store("SoftSeconds", 120);
  Store("SoftAction", 0);
  TfrmRamsweep& window = Open();
  window.StartFreeUp(4, 3, 0, 2);
  SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);
  window.StartFreeUp(4, 3, 0, 1);
  ASSERT_EQ(started.size(), 2u);
  EXPECT_TRUE(started[0].IdleDetect);
  EXPECT_EQ(started[0].IdlePercent, 40);
  EXPECT_EQ(started[0].IdleSeconds, 9);
  EXPECT_FALSE(started[0].FreeIfNoIdle);
  EXPECT_EQ(started[1].IdlePercent, 15);
  EXPECT_EQ(started[1].IdleSeconds, 120);
  EXPECT_TRUE(started[1].FreeIfNoIdle);
}

// A worker whose memory readings stay low, so every pass runs; each reading waits until the test
// has seen the caption of its pass.
class LowMemoryPlatform final : public win32::Win32FreeUpPlatform {
 public:
  explicit LowMemoryPlatform(HANDLE seen) : m_seen(seen) {}
  std::uint64_t AvailablePhysicalBytes() override {
    WaitForSingleObject(m_seen, 20000);
    return 0;
  }

 private:
  HANDLE m_seen;
};

TEST_F(MainWindow, CommandLineFreeUpCaptionsFromWaitingToEachPass) {
  win32::ScopedHandle seen(CreateSemaphoreA(nullptr, 0, 10, nullptr));
  std::vector<std::thread> workers;
  TfrmRamsweep::Options options;
  options.args = {"D2", "T3", "F4"};
  options.startWorker = [&](const TFreeThread& worker) {
    workers.emplace_back([worker, &seen] {
      LowMemoryPlatform platform(seen.Get());
      worker.Execute(platform);
    });
    return true;
  };
  form = TfrmRamsweep::Create(GetModuleHandleA(nullptr), registry, options);
  ASSERT_TRUE(form);
  const HWND window = form->Handle();
  // the countdown is preset, so the first caption already shows it
  EXPECT_EQ(State(window), "Ramsweep Pro - Waiting (2)");
  for (const char* pass : {"Ramsweep Pro - Working", "Ramsweep Pro - Working (2)", "Ramsweep Pro - Working (3)"}) {
    EXPECT_TRUE(WaitUntil([&] { return State(window) == pass; }, 10s))
        << "missing " << pass << ", saw " << State(window);
    ReleaseSemaphore(seen.Get(), 1, nullptr);
  }
  EXPECT_TRUE(WaitUntil([&] { return !form->IsBusy(); }, 10s));
  EXPECT_EQ(State(window), "Ramsweep Pro");
  ReleaseSemaphore(seen.Get(), 5, nullptr);
  for (auto& t : workers) t.join();
}

TEST_F(MainWindow, ReachedTargetShowsNoSecondPass) {
  TfrmRamsweep& window = Open({"D0", "T5", "F1"}, true);
  std::vector<std::string> seen{State(window.Handle())};
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::string now = State(window.Handle());
        if (now != seen.back()) seen.push_back(now);
        return !window.IsBusy();
      },
      30s));
  for (const std::string& caption : seen) EXPECT_EQ(caption.find("Working ("), std::string::npos) << caption;
}

TEST_F(MainWindow, CloseSwitchEndsTheProgramWhenTheFreeUpIsDone) {
  TfrmRamsweep& window = Open({"D0", "T1", "F1", "C"}, true);
  const HWND handle = window.Handle();
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(handle); }, 30s));
  EXPECT_EQ(Stored("Refresh"), 3) << "the close saved the settings";
}

TEST_F(MainWindow, StartupKeywordStartsMinimisedWithTheStartupValues) {
  Store("StartupAmount", 3);
  Store("StartupCount", 4);
  Store("StartupDelay", 60);
  Store("IdleStartup", 2);
  TfrmRamsweep& window = Open({"STARTUP"});
  window.ShowAtStart(SW_SHOWNORMAL);
  EXPECT_TRUE(IsIconic(window.Handle()));
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].AmountMB, 6);
  EXPECT_EQ(started[0].MaxPasses, 4);
  EXPECT_EQ(started[0].Countdown, 60);
  EXPECT_TRUE(started[0].IdleDetect);
  EXPECT_EQ(started[0].IdleSeconds, 5) << "the hard profile";
  EXPECT_EQ(window.ActivePage(), Page::Statistics);
  EXPECT_EQ(State(window.Handle()), "Ramsweep Pro - Waiting (60)");
  // the free-up runs from creation on: its commands stay greyed, captions set or not
  for (int item : {mnuExit1, mnuFree1, mnuFree2, mnuFree3}) {
    EXPECT_TRUE(GetMenuState(window.TrayMenu(), item, MF_BYCOMMAND) & MF_GRAYED) << item;
  }
  char caption[64] = {};
  GetMenuStringA(window.TrayMenu(), mnuFree1, caption, sizeof caption, MF_BYCOMMAND);
  EXPECT_STREQ(caption, "&Free up 4 MB");
}

TEST_F(MainWindow, MaximisedStartShowsNormalAndMinimizeButtonMinimises) {
  TfrmRamsweep& window = Open();
  window.ShowAtStart(SW_SHOWMAXIMIZED);
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  EXPECT_FALSE(IsZoomed(window.Handle()));
  for (ControlId close : {butClose1, butClose3, butClose10}) {
    ShowWindow(window.Handle(), SW_RESTORE);
    ASSERT_FALSE(IsIconic(window.Handle()));
    Click(close);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(window.Handle()) != FALSE; }, 5s)) << close;
  }
  // a second start without arguments brings it back
  SendMessageA(window.Handle(), WM_REMOTE_SHOW, 0, 0);
  EXPECT_FALSE(IsIconic(window.Handle()));
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
}

TEST_F(MainWindow, RunWithWindowsIsWrittenAndRemovedAtOnce) {
  Open();
  SendMessageA(Item(TrackBar1), TBM_SETPOS, TRUE, 7);
  SendMessageA(Item(chkAutoRun), BM_SETCHECK, BST_CHECKED, 0);
  Click(chkAutoRun);
  EXPECT_EQ(registry.ReadRegString("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                   "Ramsweep Pro", "(none)"),
            "\"C:\\Tools\\rswpro.exe\" Startup");
  EXPECT_EQ(Stored("Refresh"), 7) << "every setting is saved, not only this one";
  EXPECT_EQ(Stored("AutoRun"), 1);
  EXPECT_TRUE(IsWindowEnabled(Item(cboAutoRun)));

  SendMessageA(Item(chkAutoRun), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(chkAutoRun);
  EXPECT_EQ(registry.ReadRegString("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                   "Ramsweep Pro", "(none)"),
            "(none)");
  EXPECT_EQ(Stored("AutoRun"), 0);
  EXPECT_FALSE(IsWindowEnabled(Item(cboAutoRun)));
}

// Everything inside the "Startup Options" frame (the labels, the amount, the two up-downs with
// their edits, the idle choice) follows "Run automatically with Windows"; the check box, the
// frame and the page's buttons stay enabled.
TEST_F(MainWindow, TheStartupOptionsFollowRunWithWindows) {
  Store("AutoRun", 1);
  Open();
  RECT frame{};
  GetWindowRect(Item(grpStartupOptions), &frame);
  std::vector<ControlId> inside, outside;
  for (const ControlRow& row : MainWindowControls()) {
    if (row.page != Page::Startup || row.id == grpStartupOptions) continue;
    RECT r{};
    GetWindowRect(Item(row.id), &r);
    const bool within =
        r.left >= frame.left && r.right <= frame.right && r.top >= frame.top && r.bottom <= frame.bottom;
    (within ? inside : outside).push_back(row.id);
  }
  for (ControlId named : {cboAutoRun, udAutoTimes, udAutoDelay, cboIdleStartup, Edit4, Edit6, labAutoFreeUp,
                          labAutoNotMore, labAutoWait, labAutoUse, labAutoIdle, labAutoTimes, labAutoSeconds}) {
    EXPECT_NE(std::find(inside.begin(), inside.end(), named), inside.end()) << "control " << named << " in the frame";
  }
  auto expectEnabled = [&](bool on, const char* when) {
    for (ControlId id : inside) {
      EXPECT_EQ(IsWindowEnabled(Item(id)) != FALSE, on)
          << when << ": control " << id << " \"" << WindowText(Item(id)) << "\"";
    }
    for (ControlId id : outside) EXPECT_TRUE(IsWindowEnabled(Item(id))) << when << ": control " << id;
    EXPECT_TRUE(IsWindowEnabled(Item(grpStartupOptions))) << when;
  };
  expectEnabled(true, "loaded on");
  for (bool on : {false, true, false}) {
    SendMessageA(Item(chkAutoRun), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    Click(chkAutoRun);
    expectEnabled(on, on ? "switched on" : "switched off");
  }
}

TEST_F(MainWindow, ShowInTitleAndItsLabel) {
  TfrmRamsweep& window = Open();
  SendMessageA(Item(chkCaption), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(chkCaption);
  EXPECT_EQ(Caption(window.Handle()), "Ramsweep Pro");
  // the label "Title" below the check box toggles it too
  SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(Label26, STN_CLICKED), reinterpret_cast<LPARAM>(Item(Label26)));
  EXPECT_TRUE(Checked(chkCaption));
  EXPECT_NE(Caption(window.Handle()), "Ramsweep Pro");
  EXPECT_EQ(State(window.Handle()), "Ramsweep Pro");
}

TEST_F(MainWindow, RefreshRateFollowsTheTrackBar) {
  Open();
  SendMessageA(Item(TrackBar1), TBM_SETPOS, TRUE, 0);
  SendMessageA(form->Handle(), WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(Item(TrackBar1)));
  EXPECT_EQ(WindowText(Item(Label3)), "Refresh every 250 ms");
}

TEST_F(MainWindow, ThresholdUpDownsStepByTheirRules) {
  Store("CriticalRAM 4.1", 9950);
  Store("Yellow 4.1", 600);
  Open();
  auto press = [&](ControlId upDown, int delta) {
    NMUPDOWN change{};
    change.hdr = {Item(upDown), static_cast<UINT_PTR>(upDown), static_cast<UINT>(UDN_DELTAPOS)};
    change.iDelta = delta;
    return SendMessageA(form->Handle(), WM_NOTIFY, upDown, reinterpret_cast<LPARAM>(&change));
  };
  EXPECT_NE(press(udCritical, 1), 0) << "the up-down's own position stays";
  EXPECT_EQ(WindowText(Item(txtCritical)), "10.050");
  press(udCritical, 1);
  EXPECT_EQ(WindowText(Item(txtCritical)), "11.000");
  press(udCritical, -1);
  press(udCritical, -1);
  EXPECT_EQ(WindowText(Item(txtCritical)), "9.900");
  press(udYellow, -1);
  press(udYellow, -1);
  EXPECT_EQ(WindowText(Item(txtYellow)), "500");
  ASSERT_TRUE(Close());
  EXPECT_EQ(Stored("CriticalRAM 4.1"), 9900);
  EXPECT_EQ(Stored("Yellow 4.1"), 500);
}

TEST_F(MainWindow, ThresholdArrowsStepTheWayTheyPoint) {
  Store("CriticalRAM 4.1", 9950);
  Store("Yellow 4.1", 700);
  Store("Icon", 1);  // the yellow amount can be changed only with the tray icon on
  TfrmRamsweep& window = Open();
  window.ShowAtStart(SW_SHOWNORMAL);
  // a click on the upper or lower half of the real up-down control
  auto click = [&](ControlId upDown, bool up) {
    RECT box{};
    GetClientRect(Item(upDown), &box);
    const LPARAM at = MAKELPARAM(box.right / 2, up ? box.bottom / 4 : box.bottom * 3 / 4);
    SendMessageA(Item(upDown), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(Item(upDown), WM_LBUTTONUP, 0, at);
  };
  click(udCritical, true);
  EXPECT_EQ(WindowText(Item(txtCritical)), "10.050");
  click(udCritical, false);
  EXPECT_EQ(WindowText(Item(txtCritical)), "9.050");
  click(udYellow, false);
  EXPECT_EQ(WindowText(Item(txtYellow)), "600");
  click(udYellow, true);
  EXPECT_EQ(WindowText(Item(txtYellow)), "700");
}

struct ToolTipSearch {
  HWND owner;
  std::vector<HWND> found;
};

BOOL CALLBACK FindOwnedToolTips(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<ToolTipSearch*>(parameter);
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 && GetWindow(window, GW_OWNER) == search.owner) {
    search.found.push_back(window);
  }
  return TRUE;
}

// The tip `window`'s tooltip controls show for `control`; empty when none has one for it.
std::string ToolTipOf(HWND window, HWND control) {
  ToolTipSearch search{window, {}};
  EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), &FindOwnedToolTips, reinterpret_cast<LPARAM>(&search));
  for (HWND tooltip : search.found) {
    char text[256] = {};
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    if (!SendMessageA(tooltip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool))) continue;
    tool.lpszText = text;
    SendMessageA(tooltip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
  }
  return "";
}

TEST_F(MainWindow, EveryPageHoldsItsControlsAndHelpTopicsExist) {
  TfrmRamsweep& window = Open();
  // the help page beside the program carries all eight topics
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string help(exe);
  help = help.substr(0, help.find_last_of('\\') + 1) + "rswpro4.html";
  std::ifstream file(help);
  ASSERT_TRUE(file) << help;
  std::stringstream text;
  text << file.rdbuf();
  for (const char* topic :
       {"Ramsweepory", "Statistics", "Background", "Startup", "Icon", "Idle", "FreeAndRunMain", "FreeAndRunAdd"}) {
    EXPECT_NE(text.str().find(std::string("id=\"") + topic + "\""), std::string::npos) << topic;
  }
  // the idle combo boxes carry their hint, and each page shows only its own controls
  for (ControlId combo : {cboIdleRegular, cboIdleCritical, cboIdleStartup}) {
    EXPECT_EQ(ToolTipOf(window.Handle(), Item(combo)), "Details of Idle Detection are specified on the \"Idle\" tab")
        << combo;
  }
  EXPECT_EQ(ToolTipOf(window.Handle(), Item(cboRegular)), "") << "only the idle combo boxes";
  window.ShowAtStart(SW_SHOWNORMAL);
  for (int page = 0; page < kPageCount; ++page) {
    SendMessageA(Item(PageControl1), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    NMHDR change{Item(PageControl1), static_cast<UINT_PTR>(PageControl1), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(window.Handle(), WM_NOTIFY, PageControl1, reinterpret_cast<LPARAM>(&change));
    for (const ControlRow& row : MainWindowControls()) {
      // labNext shows only with regular free-ups on, labLastResult once a free-up has ended
      if (row.id == labNext || row.id == labLastResult) continue;
      EXPECT_EQ(IsWindowVisible(Item(row.id)) != FALSE, static_cast<int>(row.page) == page)
          << "control " << row.id << " on page " << page;
    }
  }
}

}  // namespace
}  // namespace rsw::test

namespace rsw::test {
namespace {

TEST_F(MainWindow, PictureOfEveryPage) {
  Store("Icon", 1);
  Store("AutoRun", 1);
  TfrmRamsweep& window = Open();
  window.ShowAtStart(SW_SHOWNORMAL);
  SetWindowPos(window.Handle(), HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE);
  const std::string folder = PictureFolder();
  for (int page = 0; page < kPageCount; ++page) {
    SendMessageA(Item(PageControl1), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    NMHDR change{Item(PageControl1), static_cast<UINT_PTR>(PageControl1), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(window.Handle(), WM_NOTIFY, PageControl1, reinterpret_cast<LPARAM>(&change));
    RedrawWindow(window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // the page it is named after
    ExpectPageDrawn(page, kPageCaptions[page]);
    const std::string path = folder + "page-" + std::to_string(page + 1) + "-" + kPageCaptions[page] + ".bmp";
    EXPECT_TRUE(SaveWindowPicture(window.Handle(), path)) << path;
  }
}

}  // namespace
}  // namespace rsw::test

namespace rsw::test {
namespace {

// The Background page and the automatic free-ups, on a clock the test sets.
class AutomaticFreeUps : public MainWindow {
 protected:
  CivilTime clock{2026, 12, 10, 14, 7, 45};

  TfrmRamsweep& OpenWithClock() {
    TfrmRamsweep::Options options;
    options.startWorker = [this](const TFreeThread& worker) {
      started.push_back(worker);
      return true;
    };
    options.now = [this] { return clock; };
    form = TfrmRamsweep::Create(GetModuleHandleA(nullptr), registry, std::move(options));
    EXPECT_TRUE(form);
    return *form;
  }
  void Tick() { SendMessageA(form->Handle(), WM_TIMER, 1, 0); }
  static std::string NextAt(int hour, int minute) {
    SYSTEMTIME time{};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 10;
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    char text[64] = {};
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, sizeof text);
    return std::string("Next at ") + text;
  }
};

TEST_F(AutomaticFreeUps, ScheduleIsTheCurrentMinutePlusTheInterval) {
  OpenWithClock();
  EXPECT_EQ(WindowText(Item(labNext)), NextAt(14, 37));
  EXPECT_EQ(FromLocalSeconds(form->NextRegularDue()), (CivilTime{2026, 12, 10, 14, 37, 0}));
}

TEST_F(AutomaticFreeUps, RegularFreeUpDueDuringAManualOneStartsRightAfterIt) {
  Store("Background", 1);
  TfrmRamsweep& window = OpenWithClock();
  Click(butAlloc);
  ASSERT_EQ(started.size(), 1u);
  clock = {2026, 12, 10, 14, 40, 5};
  Tick();
  EXPECT_EQ(started.size(), 1u) << "busy: the regular free-up waits";
  EXPECT_EQ(WindowText(Item(labNext)), NextAt(14, 37)) << "and the schedule stays";
  SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);
  Tick();
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[1].AmountMB, 10);
  EXPECT_EQ(started[1].MaxPasses, 3);
  EXPECT_EQ(started[1].Countdown, 0);
  EXPECT_TRUE(started[1].IdleDetect) << "the soft profile";
  EXPECT_EQ(started[1].IdleSeconds, 60);
  EXPECT_EQ(WindowText(Item(labNext)), NextAt(15, 10));
}

TEST_F(AutomaticFreeUps, ScheduleAdvancesWhileBackgroundActivityIsOff) {
  OpenWithClock();
  clock = {2026, 12, 10, 14, 37, 0};
  Tick();
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(WindowText(Item(labNext)), NextAt(15, 7));
  clock = {2026, 12, 10, 15, 6, 59};
  Tick();
  EXPECT_EQ(WindowText(Item(labNext)), NextAt(15, 7)) << "not yet due";
}

TEST_F(AutomaticFreeUps, CriticalAmountAboveFreeMemoryStartsACriticalFreeUp) {
  // far above any machine's free memory; the up-down could never reach it
  Store("CriticalRAM 4.1", 2000000000);
  Store("Background", 1);
  Store("CriticalSeconds", 1);
  Store("CriticalAmount", 3);
  Store("IdleCritical", 0);
  TfrmRamsweep& window = OpenWithClock();
  EXPECT_EQ(WindowText(Item(txtCritical)), "2.000.000.000");
  clock = {2026, 12, 10, 14, 30, 20};
  // the real critical timer ticks every second: the second low tick starts it
  ASSERT_TRUE(WaitUntil([&] { return !started.empty(); }, 10s));
  EXPECT_EQ(started[0].AmountMB, 6);
  EXPECT_EQ(started[0].MaxPasses, 3);
  EXPECT_EQ(started[0].Countdown, 0);
  EXPECT_FALSE(started[0].IdleDetect);
  EXPECT_EQ(window.CriticalCount(), 0);
  // the next regular free-up is pushed back a full interval from this minute
  EXPECT_EQ(WindowText(Item(labNext)), NextAt(15, 0));
}

TEST_F(AutomaticFreeUps, CriticalTicksCountButStartNothingWithBackgroundActivityOff) {
  Store("CriticalRAM 4.1", 2000000000);
  Store("CriticalSeconds", 30);
  TfrmRamsweep& window = OpenWithClock();
  ASSERT_TRUE(WaitUntil([&] { return window.CriticalCount() >= 2; }, 10s));
  EXPECT_TRUE(started.empty());
  // unticking the critical free-up stops its timer and the count
  SendMessageA(Item(chkCritical), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(chkCritical);
  EXPECT_EQ(window.CriticalCount(), 0);
}

// The critical timer reads the amount and the seconds once and keeps them; a change made to either
// edit, by the program or from outside, is what the next tick uses.
TEST_F(AutomaticFreeUps, CriticalTimerFollowsAChangedAmount) {
  Store("Background", 1);
  Store("CriticalSeconds", 1);
  Store("CriticalAmount", 3);
  Store("IdleCritical", 0);
  TfrmRamsweep& window = OpenWithClock();
  auto criticalTick = [&] { SendMessageA(window.Handle(), WM_TIMER, win32::kTimerCritical, 0); };
  for (int i = 0; i < 3; ++i) criticalTick();
  EXPECT_EQ(window.CriticalCount(), 0) << "500 KB is never reached";
  SetWindowTextA(Item(txtCritical), "2.000.000.000");
  criticalTick();
  EXPECT_EQ(window.CriticalCount(), 1);
  criticalTick();
  ASSERT_EQ(started.size(), 1u) << "the second low tick starts it";
  EXPECT_EQ(started[0].AmountMB, 6);
  // and back down: no longer low
  SetWindowTextA(Item(txtCritical), "500");
  criticalTick();
  EXPECT_EQ(window.CriticalCount(), 0);
}

TEST_F(AutomaticFreeUps, CriticalTimerFollowsChangedSeconds) {
  Store("CriticalRAM 4.1", 2000000000);
  Store("Background", 1);
  Store("CriticalSeconds", 3600);
  Store("IdleCritical", 0);
  TfrmRamsweep& window = OpenWithClock();
  auto criticalTick = [&] { SendMessageA(window.Handle(), WM_TIMER, win32::kTimerCritical, 0); };
  criticalTick();
  criticalTick();
  EXPECT_EQ(window.CriticalCount(), 2);
  EXPECT_TRUE(started.empty());
  // the up-down set as a settings load sets it: its buddy edit shows the new number
  SendMessageA(Item(udsec), UDM_SETPOS32, 0, 1);
  ASSERT_EQ(WindowText(Item(Edit7)), "1");
  criticalTick();
  EXPECT_EQ(started.size(), 1u) << "three low ticks are more than one second";
  EXPECT_EQ(window.CriticalCount(), 0);
}

TEST_F(AutomaticFreeUps, BackgroundPageEnablesItsControls) {
  OpenWithClock().ShowAtStart(SW_SHOWNORMAL);
  SendMessageA(Item(PageControl1), TCM_SETCURSEL, static_cast<WPARAM>(Page::Background), 0);
  NMHDR change{Item(PageControl1), static_cast<UINT_PTR>(PageControl1), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(form->Handle(), WM_NOTIFY, PageControl1, reinterpret_cast<LPARAM>(&change));
  auto enabled = [&](ControlId id) { return IsWindowEnabled(Item(id)) != FALSE; };

  // Background Activity off (the default): both free-ups greyed, no schedule shown
  EXPECT_FALSE(enabled(chkRegular));
  EXPECT_FALSE(enabled(chkCritical));
  EXPECT_FALSE(enabled(cboRegular));
  EXPECT_FALSE(enabled(udsec));
  EXPECT_FALSE(IsWindowVisible(Item(labNext)));
  EXPECT_TRUE(enabled(txtCritical)) << "the critical amount is always there";

  SendMessageA(Item(chkBackground), BM_SETCHECK, BST_CHECKED, 0);
  Click(chkBackground);
  for (ControlId id : {chkRegular, chkCritical, cboRegular, udmin, Edit5, cboIdleRegular, cboCritical, udsec, Edit7,
                       cboIdleCritical, labLessThan, labForMoreThan}) {
    EXPECT_TRUE(enabled(id)) << id;
  }
  EXPECT_TRUE(IsWindowVisible(Item(labNext)));

  SendMessageA(Item(chkRegular), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(chkRegular);
  EXPECT_FALSE(enabled(cboRegular));
  EXPECT_FALSE(enabled(Edit5));
  EXPECT_FALSE(IsWindowVisible(Item(labNext)));
  EXPECT_TRUE(enabled(cboCritical)) << "the critical group is its own";

  SendMessageA(Item(chkCritical), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(chkCritical);
  EXPECT_FALSE(enabled(cboCritical));
  EXPECT_FALSE(enabled(cboIdleCritical));
}

TEST_F(MainWindow, IdleDetectionShowsInTheCaption) {
  Store("HardPercent", 10);
  Store("HardSeconds", 3);
  TfrmRamsweep& window = Open({}, true);
  window.StartFreeUp(1, 1, 0, 2);
  EXPECT_TRUE(WaitUntil([&] { return State(window.Handle()).starts_with("Ramsweep Pro - Idle Detect ("); }, 10s))
      << Caption(window.Handle());
  ASSERT_TRUE(WaitUntil([&] { return !window.IsBusy(); }, 30s));
  EXPECT_EQ(State(window.Handle()), "Ramsweep Pro");
}

TEST_F(AutomaticFreeUps, ChangedIntervalCountsFromTheCurrentMinute) {
  OpenWithClock();
  clock = {2026, 12, 10, 14, 20, 30};
  SendMessageA(Item(udmin), UDM_SETPOS32, 0, 45);
  SendMessageA(form->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 45), reinterpret_cast<LPARAM>(Item(udmin)));
  EXPECT_EQ(WindowText(Item(labNext)), NextAt(15, 5));
}

// ---- never maximised, the close switch, a worker that cannot run ----

TEST_F(MainWindow, NeverStaysMaximisedWhicheverWayItIsShown) {
  for (const bool icon : {false, true}) {
    SCOPED_TRACE(icon ? "with the tray icon" : "without the tray icon");
    Store("Icon", icon ? 1 : 0);
    TfrmRamsweep& window = Open();
    const HWND handle = window.Handle();
    window.ShowAtStart(SW_SHOWNORMAL);
    RECT normal{};
    GetWindowRect(handle, &normal);
    auto normalSized = [&] {
      RECT now{};
      GetWindowRect(handle, &now);
      return !IsZoomed(handle) && !IsIconic(handle) && IsWindowVisible(handle) &&
             now.right - now.left == normal.right - normal.left && now.bottom - now.top == normal.bottom - normal.top;
    };

    // maximised by another program, minimised, then brought back by a second start
    ShowWindow(handle, SW_MAXIMIZE);
    SendMessageA(handle, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessageA(handle, WM_REMOTE_SHOW, 0, 0);
    EXPECT_TRUE(normalSized());

    // minimised with "restore to maximised" set, then restored from the taskbar button
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(handle, &placement);
    placement.flags = WPF_RESTORETOMAXIMIZED;
    placement.showCmd = SW_SHOWMINIMIZED;
    SetWindowPlacement(handle, &placement);
    SendMessageA(handle, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(normalSized());

    // the same, brought back from the tray menu
    SetWindowPlacement(handle, &placement);
    SendMessageA(handle, WM_COMMAND, MAKEWPARAM(ShowRamsweepPro1, 0), 0);
    EXPECT_TRUE(normalSized());

    form.reset();
    DrainQuit();
  }
}

TEST_F(MainWindow, StartedMaximisedFromAShortcutShowsNormal) {
  EndStrayInstances();
  ProgramRun run("", SW_SHOWMAXIMIZED);
  ASSERT_TRUE(run.Started());
  const HWND window = run.WaitForMainWindow(20s);
  ASSERT_TRUE(window);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 5s));
  EXPECT_FALSE(IsZoomed(window));
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(run.WaitForExit(10s), 0);
}

TEST_F(MainWindow, CloseSwitchClosesBeforeAQueuedRequestStartsAnotherFreeUp) {
  TfrmRamsweep& window = Open({"F4", "T1", "D0", "C"});
  ASSERT_TRUE(window.IsBusy());
  const HWND handle = window.Handle();
  // the free-up ends while a second start's request already waits behind it
  PostMessageA(handle, WM_FREEUP_DONE, 0, 0);
  PostMessageA(handle, WM_REMOTE_FREEUP, PackRemoteWParam(0, 1), 8);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(handle); }, 5s));
  EXPECT_EQ(started.size(), 1u) << "the request found no window to start in";
}

TEST_F(MainWindow, CloseSwitchRefusedByAWriteErrorLeavesTheCommandsUsable) {
  MemoryRegistry memory;
  const uRegistry readOnly(memory);
  memory.SetReadOnly(RootKey::CurrentUser, kSettingsPath, true);
  TfrmRamsweep& window = Open({"F4", "T1", "D0", "C"}, false, &readOnly);
  ASSERT_TRUE(window.IsBusy());
  const HWND owner = window.Handle();
  ASSERT_FALSE(IsWindowEnabled(Item(butAlloc)));

  // the error box of the refused close: press OK once it is up
  ModalWatch answer(
      owner,
      [&] {
        const HWND box = DialogOwnedBy(owner);
        if (!box || !IsWindowVisible(box)) return false;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
      },
      20s);
  SendMessageA(owner, WM_FREEUP_DONE, 0, 0);
  ASSERT_TRUE(answer.Finish()) << "the write error was shown";
  ASSERT_TRUE(IsWindow(owner));
  EXPECT_FALSE(window.IsBusy());
  EXPECT_TRUE(IsWindowEnabled(Item(butAlloc)));
  const HMENU menu = window.TrayMenu();
  for (UINT item : {UINT{mnuFree1}, UINT{mnuFree2}, UINT{mnuFree3}, UINT{mnuExit1}}) {
    EXPECT_FALSE(GetMenuState(menu, item, MF_BYCOMMAND) & MF_GRAYED) << item;
  }
  EXPECT_FALSE(GetMenuState(menu, 3, MF_BYPOSITION) & MF_GRAYED) << "Free and Run";
  EXPECT_EQ(State(owner), "Ramsweep Pro");
  memory.SetReadOnly(RootKey::CurrentUser, kSettingsPath, false);
  form.reset();  // before the registry it uses goes
}

DWORD WINAPI FailToResume(HANDLE) { return static_cast<DWORD>(-1); }

TEST_F(MainWindow, AWorkerThatCannotBeResumedEndsTheFreeUp) {
  configure = [](TfrmRamsweep::Options& options) {
    options.startWorker = [](const TFreeThread& worker) { return win32::StartFreeThread(worker, &FailToResume); };
  };
  TfrmRamsweep& window = Open();
  window.StartFreeUp(1, 1, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !window.IsBusy(); }, 5s)) << "the window is not left busy";
  EXPECT_TRUE(IsWindowEnabled(Item(butAlloc)));
  EXPECT_TRUE(Close()) << "and it can close";
}

// Threads of this process now.
int ThreadCount() {
  win32::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  return count;
}

TEST(FreeThread, AThreadThatCannotBeResumedIsNotLeftBehind) {
  TFreeThread worker;
  worker.AmountMB = 1;
  worker.MaxPasses = 1;
  const int before = ThreadCount();
  EXPECT_FALSE(win32::StartFreeThread(worker, &FailToResume));
  EXPECT_EQ(ThreadCount(), before) << "no suspended thread is left";
}

TEST(ProgramPath, TheProgramsPathIsReadWholeWhateverTheBuffer) {
  std::vector<char> whole(32768);
  const DWORD length = GetModuleFileNameA(nullptr, whole.data(), static_cast<DWORD>(whole.size()));
  ASSERT_GT(length, 8u);
  const std::string expected(whole.data(), length);
  // a first buffer far shorter than the path, as MAX_PATH is for a deep installation folder
  for (std::size_t first : {std::size_t{1}, std::size_t{8}, std::size_t{length - 1}, std::size_t{length},
                            std::size_t{length + 1}, std::size_t{MAX_PATH}}) {
    EXPECT_EQ(win32::ModuleFilePath(nullptr, first), expected) << first;
  }
  EXPECT_EQ(win32::FolderOf(expected) + expected.substr(expected.find_last_of("\\/") + 1), expected);
  EXPECT_EQ(win32::FolderOf("rswpro.exe"), "");
  EXPECT_EQ(win32::FolderOf("C:\\Deep\\rswpro.exe"), "C:\\Deep\\");
}

TEST_F(MainWindow, AboutPageLinksOpenTheSiteAndTheMailAddress) {
  TfrmRamsweep& window = Open();
  std::vector<std::string> opened;
  for (int i : {0, 1}) {
    win32::TmdURLLabel& label = window.LinkLabel(i);
    char className[32] = {};
    GetClassNameA(label.Handle(), className, sizeof className);
    EXPECT_STREQ(className, "TmdURLLabel");
    EXPECT_EQ(GetDlgCtrlID(label.Handle()), i == 0 ? mdURLLabel1 : mdURLLabel2);
    EXPECT_EQ(label.ShownColor(), RGB(0, 0, 255)) << "shown as a link";
    label.OpenLink = [&](const std::string& target) { opened.push_back(target); };
    label.Click();
  }
  EXPECT_EQ(WindowText(Item(mdURLLabel1)), "Click here for the latest updates");
  EXPECT_EQ(WindowText(Item(mdURLLabel2)), "Send questions and comments to");
  EXPECT_EQ(opened, (std::vector<std::string>{"http://www.vondrel-aske.example/ramsweep",
                                              "mailto:ramsweep@vondrel-aske.example"}));
  EXPECT_EQ(WindowText(Item(Edit2)), "www.vondrel-aske.example/ramsweep");
  EXPECT_EQ(WindowText(Item(Edit3)), "ramsweep@vondrel-aske.example");
}

}  // namespace
}  // namespace rsw::test
