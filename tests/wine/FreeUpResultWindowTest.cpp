// What a free-up did, as the user sees it: the line on the Free Memory page, the mark on the chart
// and the balloon from the tray icon, after free-ups started every way the program knows.

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <string>

#include "display/win32/TPerformanceChart.h"
#include "display/win32/TTraybar.h"
#include "engine/FreeUpResult.h"
#include "shell/win32/MainWindowInternals.h"
#include "wine/FakeNotificationArea.h"
#include "wine/MainWindowFixture.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t MB = 1048576;

// The main window over a memory reading and a clock the test sets; free-ups are recorded, and end
// when the test says so.
class FreeUpResultWindow : public MainWindow {
 public:
  // for the table of ways to start a free-up
  using MainWindow::Click;
  using MainWindow::Item;
  std::uint64_t freeNow = 3000 * MB;
  CivilTime clock{2026, 12, 11, 14, 5, 30};

 protected:
  TfrmRamsweep& OpenOwn(std::vector<std::string> args = {}) {
    configure = [this](TfrmRamsweep::Options& options) {
      options.memory = [this] { return win32::MemoryStatus{16384 * MB, freeNow}; };
      options.now = [this] { return clock; };
    };
    return Open(std::move(args));
  }
  // The worker's last messages: its first pass (unless none ran) and its end.
  void Finish(bool pass = true) {
    if (pass) SendMessageA(form->Handle(), WM_FREEUP_PASS, 0, 0);
    SendMessageA(form->Handle(), WM_FREEUP_DONE, 0, 0);
  }
  void ShowPage(Page page) {
    SendMessageA(Item(PageControl1), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    NMHDR change{Item(PageControl1), static_cast<UINT_PTR>(PageControl1), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(form->Handle(), WM_NOTIFY, PageControl1, reinterpret_cast<LPARAM>(&change));
  }
  std::string Line() const { return WindowText(Item(labLastResult)); }
  static std::size_t Balloons(const FakeNotificationArea& area) {
    std::size_t n = 0;
    for (const auto& call : area.Calls()) n += (call.flags & NIF_INFO) != 0;
    return n;
  }
};

// "Last: +812.4 MB in 3.2 s at <time> (<kind>)", or the form without a pass.
const std::regex kLine(R"(Last: ([+-]?\d+[.,]\d) MB in (\d+[.,]\d) s at (.+) \((.+)\))");
const std::regex kNoPassLine(R"(Last: no idle moment at (.+) \((.+)\))");

TEST_F(FreeUpResultWindow, TheLineIsHiddenUntilAFreeUpHasEndedThenShowsItBesideTheButton) {
  TfrmRamsweep& window = OpenOwn();
  window.ShowAtStart(SW_SHOWNORMAL);
  ShowPage(Page::FreeMemory);
  EXPECT_FALSE(IsWindowVisible(Item(labLastResult))) << "no empty label";
  EXPECT_EQ(Line(), "");
  EXPECT_FALSE(window.LastFreeUpResult());

  Click(butAlloc);
  ASSERT_EQ(started.size(), 1u);
  freeNow = 3308 * MB + 104858;  // 3308.1 MB as the first pass begins
  SendMessageA(window.Handle(), WM_FREEUP_PASS, 0, 0);
  SendMessageA(window.Handle(), WM_FREEUP_PASS, 1, 0);
  freeNow = 4120 * MB + MB / 2;  // and 4120.5 MB at the end
  SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);

  ASSERT_TRUE(window.LastFreeUpResult());
  const FreeUpResult& result = *window.LastFreeUpResult();
  EXPECT_EQ(result.kind, FreeUpKind::Window);
  EXPECT_TRUE(result.ranPasses);
  EXPECT_EQ(result.freeBefore, 3308 * MB + 104858);
  EXPECT_EQ(result.freeAfter, 4120 * MB + MB / 2);
  EXPECT_EQ(result.endedAt, clock);
  EXPECT_LT(result.milliseconds, 10000u);

  ShowPage(Page::FreeMemory);
  EXPECT_TRUE(IsWindowVisible(Item(labLastResult)));
  std::smatch parts;
  const std::string line = Line();
  ASSERT_TRUE(std::regex_match(line, parts, kLine)) << line;
  EXPECT_EQ(parts[1].str().substr(0, 4), "+812") << line;
  EXPECT_EQ(parts[4].str(), "window");
  // the user's short time format: hours and minutes, no seconds
  const std::string time = parts[3].str();
  EXPECT_NE(time.find("05"), std::string::npos) << time;
  EXPECT_EQ(time.find("30"), std::string::npos) << time;

  // beside "Allocate and Free", centred on it, up to the page's edge and cut there with an ellipsis
  RECT button{}, label{}, list{}, tabs{};
  GetWindowRect(Item(butAlloc), &button);
  GetWindowRect(Item(labLastResult), &label);
  GetWindowRect(Item(lstMem), &list);
  GetWindowRect(Item(PageControl1), &tabs);
  SendMessageA(Item(PageControl1), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&tabs));
  EXPECT_GT(label.left, button.right);
  EXPECT_LE(std::abs((label.top + label.bottom) - (button.top + button.bottom)), 2);
  EXPECT_GE(label.right, list.right);
  EXPECT_LE(label.right, tabs.right);
  EXPECT_TRUE(GetWindowLongA(Item(labLastResult), GWL_STYLE) & SS_ENDELLIPSIS);
  // the other pages do not show it
  ShowPage(Page::Statistics);
  EXPECT_FALSE(IsWindowVisible(Item(labLastResult)));
}

TEST_F(FreeUpResultWindow, ALossAndAFreeUpWithoutAPass) {
  TfrmRamsweep& window = OpenOwn();
  // a second start's request: other programs took more than the passes made available
  SendMessageA(window.Handle(), WM_REMOTE_FREEUP, MAKEWPARAM(2, 0), 8);
  ASSERT_EQ(started.size(), 1u);
  freeNow = 1000 * MB;
  SendMessageA(window.Handle(), WM_FREEUP_PASS, 0, 0);
  freeNow = 1000 * MB - 3 * MB - MB / 10;
  SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);
  std::smatch parts;
  std::string line = Line();
  ASSERT_TRUE(std::regex_match(line, parts, kLine)) << line;
  EXPECT_TRUE(std::regex_match(parts[1].str(), std::regex(R"(-3[.,]1)"))) << line;
  EXPECT_EQ(parts[4].str(), "second start");

  // a regular free-up that found no idle moment: no pass, no figures
  SendMessageA(Item(chkBackground), BM_SETCHECK, BST_CHECKED, 0);
  Click(chkBackground);
  clock = {2026, 12, 11, 15, 10, 0};
  SendMessageA(window.Handle(), WM_TIMER, win32::kTimer1, 0);
  ASSERT_EQ(started.size(), 2u);
  EXPECT_TRUE(started[1].IdleDetect);
  Finish(false);
  ASSERT_TRUE(window.LastFreeUpResult());
  EXPECT_FALSE(window.LastFreeUpResult()->ranPasses);
  line = Line();
  ASSERT_TRUE(std::regex_match(line, parts, kNoPassLine)) << line;
  EXPECT_EQ(parts[2].str(), "regular");
}

TEST_F(FreeUpResultWindow, RefusedRequestsAndStrayEndsRecordNothing) {
  TfrmRamsweep& window = OpenOwn();
  // an end with no free-up running, posted by some other program
  SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);
  EXPECT_FALSE(window.LastFreeUpResult());
  EXPECT_EQ(Line(), "");

  // a request while one runs is refused: the one that runs is what ends
  SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(mnuFree1, 0), 0);
  SendMessageA(window.Handle(), WM_REMOTE_FREEUP, MAKEWPARAM(3, 0), 4);
  Click(butAlloc);
  ASSERT_EQ(started.size(), 1u);
  Finish();
  ASSERT_TRUE(window.LastFreeUpResult());
  EXPECT_EQ(window.LastFreeUpResult()->kind, FreeUpKind::Tray);
  EXPECT_TRUE(Line().ends_with("(tray)")) << Line();
  // nothing more arrives for it
  SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);
  EXPECT_TRUE(Line().ends_with("(tray)")) << Line();
}

TEST_F(FreeUpResultWindow, AWorkerThatCannotStartLeavesNoResult) {
  configure = [](TfrmRamsweep::Options& options) { options.startWorker = [](const TFreeThread&) { return false; }; };
  TfrmRamsweep& window = Open();
  Click(butAlloc);
  // its end comes at once, posted by the window itself
  ASSERT_TRUE(WaitUntil([&] { return !window.IsBusy(); }, 5s));
  EXPECT_FALSE(window.LastFreeUpResult());
  ShowPage(Page::FreeMemory);
  EXPECT_FALSE(IsWindowVisible(Item(labLastResult)));
}

// Every way a free-up starts: the kind the page names, and whether the user gets a balloon.
struct StartCase {
  const char* name;
  std::vector<std::string> args;
  std::function<void(FreeUpResultWindow&, TfrmRamsweep&)> start;
  FreeUpKind kind;
  bool balloon;
};

class StartedEveryWay : public FreeUpResultWindow, public ::testing::WithParamInterface<StartCase> {};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

TEST_P(StartedEveryWay, RecordsItsKindAndReportsOnlyWhatTheUserAskedFor) {
  Store("Icon", 1);
  Store("Background", 1);
  Store("CriticalSeconds", 1);
  FakeNotificationArea area;
  ASSERT_TRUE(area.InFront());
  TfrmRamsweep& window = OpenOwn(GetParam().args);
  ASSERT_TRUE(area.Shows(window.Tray().CallbackWindow()));
  if (GetParam().start) GetParam().start(*this, window);
  ASSERT_EQ(started.size(), 1u) << "one free-up started";
  area.ClearCalls();
  Finish();
  ASSERT_TRUE(window.LastFreeUpResult());
  EXPECT_EQ(window.LastFreeUpResult()->kind, GetParam().kind);
  const std::string word(KindText(GetParam().kind));
  EXPECT_TRUE(Line().ends_with("(" + word + ")")) << Line();
  EXPECT_EQ(Balloons(area), GetParam().balloon ? 1u : 0u);
  // the tray component's own calls keep the first record
  EXPECT_EQ(window.Tray().IconData().cbSize, 88u);
  for (const auto& call : area.Calls()) {
    if (!(call.flags & NIF_INFO)) {
      EXPECT_EQ(call.flags, 7u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, StartedEveryWay,
    ::testing::Values(StartCase{"Button",
                                {},
                                [](FreeUpResultWindow& test, TfrmRamsweep&) { test.Click(butAlloc); },
                                FreeUpKind::Window,
                                true},
                      StartCase{"AmountList",
                                {},
                                [](FreeUpResultWindow& test, TfrmRamsweep& w) {
                                  SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(lstMem, LBN_DBLCLK),
                                               reinterpret_cast<LPARAM>(test.Item(lstMem)));
                                },
                                FreeUpKind::Window,
                                true},
                      StartCase{"TrayMenu",
                                {},
                                [](FreeUpResultWindow&, TfrmRamsweep& w) {
                                  SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(mnuFree3, 0), 0);
                                },
                                FreeUpKind::Tray,
                                true},
                      StartCase{"DoubleClick",
                                {},
                                [](FreeUpResultWindow& test, TfrmRamsweep& w) {
                                  SendMessageA(test.Item(cboIconAction), CB_SETCURSEL, 2, 0);
                                  SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(cboIconAction, CBN_SELCHANGE),
                                               reinterpret_cast<LPARAM>(test.Item(cboIconAction)));
                                  SendMessageA(w.Tray().CallbackWindow(), WM_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK);
                                },
                                FreeUpKind::Tray,
                                true},
                      StartCase{"SecondStart",
                                {},
                                [](FreeUpResultWindow&, TfrmRamsweep& w) {
                                  SendMessageA(w.Handle(), WM_REMOTE_FREEUP, MAKEWPARAM(2, 0), 16);
                                },
                                FreeUpKind::SecondStart,
                                false},
                      StartCase{"CommandLine", {"F16", "D0"}, nullptr, FreeUpKind::CommandLine, false},
                      StartCase{"StartupFreeUp", {"STARTUP"}, nullptr, FreeUpKind::Startup, false},
                      StartCase{"Regular",
                                {},
                                [](FreeUpResultWindow& test, TfrmRamsweep& w) {
                                  test.clock = {2026, 12, 11,
                                                16,   0,  0};  // long after the next regular free-up fell due
                                  SendMessageA(w.Handle(), WM_TIMER, win32::kTimer1, 0);
                                },
                                FreeUpKind::Regular,
                                false},
                      StartCase{"Critical",
                                {},
                                [](FreeUpResultWindow& test, TfrmRamsweep& w) {
                                  test.freeNow = 100 * 1024;  // 100 KB, below the critical amount
                                  for (int i = 0; i < 3; ++i)
                                    SendMessageA(w.Handle(), WM_TIMER, win32::kTimerCritical, 0);
                                },
                                FreeUpKind::Critical,
                                false}),
    [](const auto& tpi) { return std::string(tpi.param.name); });

TEST_F(FreeUpResultWindow, TheBalloonAsTheShellReceivesIt) {
  Store("Icon", 1);
  FakeNotificationArea area;
  ASSERT_TRUE(area.InFront());
  TfrmRamsweep& window = OpenOwn();
  SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(mnuFree1, 0), 0);
  freeNow = 3308 * MB + 104858;
  SendMessageA(window.Handle(), WM_FREEUP_PASS, 0, 0);
  freeNow = 4120 * MB + MB / 2;
  area.ClearCalls();
  SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);
  ASSERT_EQ(Balloons(area), 1u);
  const FakeNotificationArea::Call& balloon = area.Calls().back();
  EXPECT_EQ(balloon.message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(balloon.window, window.Tray().CallbackWindow());
  EXPECT_EQ(balloon.id, 1u);
  EXPECT_EQ(balloon.flags, static_cast<UINT>(NIF_INFO)) << "picture, tip and callback untouched";
  EXPECT_EQ(balloon.infoTitle, "Ramsweep Pro");
  EXPECT_EQ(balloon.infoFlags, static_cast<DWORD>(NIIF_INFO | NIIF_NOSOUND)) << "an information sign, no sound";
  const std::regex text(R"(812[.,]4 MB more free memory in \d+[.,]\d s\. Free now: 4120[.,]5 MB\.)");
  EXPECT_TRUE(std::regex_match(balloon.info, text)) << balloon.info;
  // the change of the icon's picture back from the work pictures came first, in the first record
  ASSERT_GE(area.Calls().size(), 2u);
  EXPECT_EQ(area.Calls().front().flags, 7u);
  EXPECT_TRUE(area.Calls().front().info.empty());

  // nothing gained
  SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(mnuFree1, 0), 0);
  Finish();
  EXPECT_TRUE(std::regex_match(area.Calls().back().info, std::regex(R"(No memory gained\. Free now: 4120[.,]5 MB\.)")))
      << area.Calls().back().info;
}

TEST_F(FreeUpResultWindow, NoBalloonWithTheSettingOffOrTheIconOff) {
  Store("Icon", 1);
  Store("ShowResult", 0);
  FakeNotificationArea area;
  ASSERT_TRUE(area.InFront());
  TfrmRamsweep& window = OpenOwn();
  EXPECT_FALSE(Checked(chkShowResult));
  Click(butAlloc);
  Finish();
  EXPECT_EQ(Balloons(area), 0u);
  EXPECT_TRUE(window.LastFreeUpResult()) << "it governs nothing else";
  EXPECT_FALSE(Line().empty());

  // on again, but the icon off
  SendMessageA(Item(chkShowResult), BM_SETCHECK, BST_CHECKED, 0);
  Click(chkShowResult);
  SendMessageA(Item(chkShowIcon), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(chkShowIcon);
  EXPECT_FALSE(IsWindowEnabled(Item(chkShowResult))) << "greyed with the icon's other settings";
  area.ClearCalls();
  Click(butAlloc);
  Finish();
  EXPECT_EQ(Balloons(area), 0u);
  EXPECT_TRUE(area.Calls().empty());

  // and with both on, the balloon comes
  SendMessageA(Item(chkShowIcon), BM_SETCHECK, BST_CHECKED, 0);
  Click(chkShowIcon);
  EXPECT_TRUE(IsWindowEnabled(Item(chkShowResult)));
  Click(butAlloc);
  Finish();
  EXPECT_EQ(Balloons(area), 1u);
}

TEST_F(FreeUpResultWindow, TheSettingThroughTheSettingsTable) {
  // absent: on
  Open();
  EXPECT_TRUE(Checked(chkShowResult));
  EXPECT_EQ(WindowText(Item(chkShowResult)), "Show the result in a balloon");
  ASSERT_TRUE(Close());
  EXPECT_EQ(Stored("ShowResult"), 1);
  // stored off: off, and written back
  Store("ShowResult", 0);
  Open();
  EXPECT_FALSE(Checked(chkShowResult));
  SendMessageA(Item(chkShowResult), BM_SETCHECK, BST_CHECKED, 0);
  Click(chkShowResult);
  ASSERT_TRUE(Close());
  EXPECT_EQ(Stored("ShowResult"), 1);
  // damaged (2) or of the wrong type: the default
  Store("ShowResult", 2);
  Open();
  EXPECT_TRUE(Checked(chkShowResult));
  ASSERT_TRUE(Close());
  registry.WriteRegString(kSettingsKey, "ShowResult", "0");
  Open();
  EXPECT_TRUE(Checked(chkShowResult));
  SendMessageA(Item(chkShowResult), BM_SETCHECK, BST_UNCHECKED, 0);
  ASSERT_TRUE(Close());
  EXPECT_EQ(Stored("ShowResult"), 0) << "replaced by a number";
}

TEST_F(FreeUpResultWindow, TheIconPageHoldsTheCheckBoxBelowItsOtherControls) {
  Store("Icon", 1);
  TfrmRamsweep& window = Open();
  window.ShowAtStart(SW_SHOWNORMAL);
  ShowPage(Page::Icon);
  ASSERT_TRUE(IsWindowVisible(Item(chkShowResult)));
  RECT box{}, action{}, help{};
  GetWindowRect(Item(chkShowResult), &box);
  GetWindowRect(Item(cboIconAction), &action);
  GetWindowRect(Item(Button5), &help);
  EXPECT_GE(box.top, action.bottom);
  EXPECT_LE(box.bottom, help.top);
  EXPECT_TRUE(IsWindowEnabled(Item(chkShowResult)));
}

// ---- after real free-ups ----

class RealFreeUp : public MainWindow {
 protected:
  void ShowPage(Page page) {
    SendMessageA(Item(PageControl1), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    NMHDR change{Item(PageControl1), static_cast<UINT_PTR>(PageControl1), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(form->Handle(), WM_NOTIFY, PageControl1, reinterpret_cast<LPARAM>(&change));
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    WaitUntil([] { return false; }, 300ms);  // the frame and the tabs drawn in full
  }
  // The smallest amount, once: a real free-up of a moment.
  void FreeUpOneMegabyte() {
    SendMessageA(Item(lstMem), LB_SETCURSEL, 0, 0);
    SetWindowTextA(Item(txtMaxTimes), "1");
    Click(butAlloc);
    ASSERT_TRUE(form->IsBusy());
    ASSERT_TRUE(WaitUntil([&] { return !form->IsBusy(); }, 60s)) << "the free-up ended";
  }
  // Mark pixels in the chart as it paints now, at its size on the page.
  int MarkPixels() const {
    win32::TPerformanceChart& chart = form->Chart();
    const int width = chart.Width(), height = chart.Height();
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    win32::ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    win32::ScopedBitmap bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return -1;
    int n = 0;
    {
      const win32::ScopedSelection selection(dc.Get(), bitmap.Get());
      if (!chart.PaintTo(dc.Get(), width, height)) return -1;
      GdiFlush();
      const auto* pixels = static_cast<const std::uint32_t*>(bits);
      for (int i = 0; i < width * height; ++i) {
        const std::uint32_t p = pixels[i];
        n += RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) == win32::TPerformanceChart::kMarkColor;
      }
    }
    return n;
  }
};

TEST_F(RealFreeUp, ThePageLineAndTheChartMark) {
  TfrmRamsweep& window = Open({}, true);
  window.ShowAtStart(SW_SHOWNORMAL);
  SetWindowPos(window.Handle(), HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE);
  for (int i = 0; i < 5; ++i) SendMessageA(window.Handle(), WM_TIMER, win32::kTimer1, 0);
  FreeUpOneMegabyte();

  ShowPage(Page::FreeMemory);
  ASSERT_TRUE(IsWindowVisible(Item(labLastResult)));
  const std::string line = WindowText(Item(labLastResult));
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(line, parts, kLine)) << line;
  EXPECT_EQ(parts[4].str(), "window");
  EXPECT_TRUE(SaveWindowPicture(window.Handle(), PictureFolder() + "page-1-Free-Memory-last-result.bmp"));

  // the chart marks it at the first reading after its end
  ShowPage(Page::Statistics);
  for (int i = 0; i < 20; ++i) SendMessageA(window.Handle(), WM_TIMER, win32::kTimer1, 0);
  EXPECT_GT(MarkPixels(), 50);
  ShowPage(Page::Statistics);
  EXPECT_TRUE(SaveWindowPicture(window.Handle(), PictureFolder() + "page-2-Statistics-marked.bmp"));
}

TEST_F(RealFreeUp, PictureOfTheBalloon) {
  Store("Icon", 1);
  TfrmRamsweep& window = Open({}, true);
  ASSERT_FALSE(BalloonShown()) << "none left from before";
  SendMessageA(Item(cboMenu1), CB_SETCURSEL, 0, 0);  // 1 MB
  SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(mnuFree1, 0), 0);
  ASSERT_TRUE(WaitUntil([&] { return !window.IsBusy(); }, 60s)) << "the free-up ended";
  HWND balloon = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return (balloon = BalloonShown()) != nullptr; }, 5s)) << "the shell shows it";
  if (balloon) {
    WaitUntil([] { return false; }, 500ms);  // drawn in full
    EXPECT_TRUE(SaveWindowPicture(balloon, PictureFolder() + "balloon-result.bmp"));
    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    RECT shown{}, bar{};
    GetWindowRect(balloon, &shown);
    GetWindowRect(taskbar, &bar);
    EXPECT_LE(std::abs(shown.bottom - bar.top), 120) << "near the notification area";
  }
  // closing takes the icon and its balloon away, so no later picture of the taskbar has it
  ASSERT_TRUE(Close());
  EXPECT_TRUE(WaitUntil([] { return !BalloonShown(); }, 15s));
}

}  // namespace
}  // namespace rsw::test
