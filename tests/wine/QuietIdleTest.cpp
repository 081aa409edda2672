// A quiet idle: an update that shows nothing new composes no picture, sends nothing to the shell
// and leaves the caption alone, while every change still shows at once; a hidden window's chart
// keeps every reading and paints nothing until it is shown.

#include <windows.h>

#include <gtest/gtest.h>

#include "display/win32/TPerformanceChart.h"
#include "display/win32/TTraybar.h"
#include "shell/win32/MainWindowInternals.h"
#include "wine/FakeNotificationArea.h"
#include "wine/MainWindowFixture.h"

namespace rsw::test {
namespace {

constexpr std::uint64_t kMB = 1048576;

// The window's caption changes, counted on their way into its window procedure.
WNDPROC g_formProc = nullptr;
int g_captionSets = 0;
LRESULT CALLBACK CountCaptionSets(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) ++g_captionSets;
  return CallWindowProcA(g_formProc, window, message, wParam, lParam);
}

BOOL CALLBACK FindChart(HWND window, LPARAM found) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, win32::TPerformanceChart::kClassName) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

class QuietIdle : public MainWindow {
 protected:
  std::uint64_t freeBytes = 3000 * kMB;
  int composes = 0;
  std::unique_ptr<FakeNotificationArea> area;

  void SetUp() override {
    MainWindow::SetUp();
    configure = [this](TfrmRamsweep::Options& options) {
      options.memory = [this] { return win32::MemoryStatus{8192 * kMB, freeBytes}; };
      options.composeTrayIcon = [this](HICON base, const std::string&, int) {
        ++composes;
        return CopyIcon(base);
      };
    };
  }
  void TearDown() override {
    if (form && g_formProc) SetWindowLongPtrA(form->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_formProc));
    g_formProc = nullptr;
    MainWindow::TearDown();
    area.reset();
  }
  // The window with its icon shown in a notification area of this test, its caption sets counted.
  TfrmRamsweep& OpenWithIcon() {
    Store("Icon", 1);
    area = std::make_unique<FakeNotificationArea>();
    EXPECT_TRUE(area->InFront()) << "the shell's calls come to the test's notification area";
    TfrmRamsweep& window = Open();
    EXPECT_TRUE(area->Shows(window.Tray().CallbackWindow()));
    g_formProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountCaptionSets)));
    return window;
  }
  void Tick() { SendMessageA(form->Handle(), WM_TIMER, win32::kTimer1, 0); }
  win32::TPerformanceChart& Chart() {
    HWND chart = nullptr;
    EnumChildWindows(form->Handle(), &FindChart, reinterpret_cast<LPARAM>(&chart));
    if (!chart) throw std::runtime_error("no chart in the window");
    return *reinterpret_cast<win32::TPerformanceChart*>(GetWindowLongPtrA(chart, GWLP_USERDATA));
  }
};

// What one update does to the picture, the shell and the caption, after a first one has shown
// everything.
struct UpdateCase {
  const char* name;
  std::function<void(QuietIdle&, TfrmRamsweep&)> change;
  int composes;
  std::size_t shellChanges;
  std::size_t picturesSent;  // changes that hand the shell a picture: each one, in the whole record
  int captionSets;
};
void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }

class QuietIdleUpdates : public QuietIdle, public ::testing::WithParamInterface<UpdateCase> {
 public:
  std::uint64_t& Free() { return freeBytes; }
  HWND ItemOf(ControlId id) { return Item(id); }
  void ClickOn(ControlId id) { Click(id); }
};

TEST_P(QuietIdleUpdates, OnlyAChangeIsComposedSentOrWritten) {
  TfrmRamsweep& window = OpenWithIcon();
  Tick();
  const HICON shown = window.ComposedTrayIcon();
  composes = 0;
  g_captionSets = 0;
  area->ClearCalls();

  GetParam().change(*this, window);
  Tick();
  EXPECT_EQ(composes, GetParam().composes);
  EXPECT_EQ(area->Count(NIM_MODIFY), GetParam().shellChanges);
  std::size_t pictures = 0;
  for (const FakeNotificationArea::Call& call : area->Calls()) {
    if (call.message != NIM_MODIFY) continue;
    // the component's record with every field, whatever changed
    EXPECT_EQ(call.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    if (call.flags & NIF_ICON) ++pictures;
  }
  EXPECT_EQ(pictures, GetParam().picturesSent);
  EXPECT_EQ(g_captionSets, GetParam().captionSets);
  EXPECT_EQ(area->Count(NIM_ADD), 0u) << "the same taskbar: nothing to add";
  if (GetParam().composes == 0) {
    EXPECT_EQ(window.ComposedTrayIcon(), shown) << "the picture in place stays";
  } else {
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(shown, &info)) << "the replaced picture is gone";
  }
  EXPECT_EQ(window.Tray().Icon, window.ComposedTrayIcon());
  if (!area->Calls().empty()) {
    EXPECT_EQ(area->Calls().back().tip, window.Tray().Hint);
  }
  // and quiet again once it has been shown
  composes = 0;
  area->ClearCalls();
  g_captionSets = 0;
  if (!window.IsBusy()) {
    for (int i = 0; i < 20; ++i) Tick();
    EXPECT_EQ(composes, 0);
    EXPECT_EQ(area->Count(NIM_MODIFY), 0u);
    EXPECT_EQ(g_captionSets, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, QuietIdleUpdates,
    ::testing::Values(
        UpdateCase{"NothingChanged", [](QuietIdle&, TfrmRamsweep&) {}, 0, 0, 0, 0},
        // 3000.0 to 3000.1 MB: the tip and caption change, the digits "3000" do not
        UpdateCase{"TipOnly",
                   [](QuietIdle& base, TfrmRamsweep&) { static_cast<QuietIdleUpdates&>(base).Free() += kMB / 10; }, 0,
                   1, 1, 1},
        UpdateCase{"Digits",
                   [](QuietIdle& base, TfrmRamsweep&) { static_cast<QuietIdleUpdates&>(base).Free() += 5 * kMB; }, 1, 1,
                   1, 1},
        UpdateCase{"ColourState",
                   [](QuietIdle& base, TfrmRamsweep&) {
                     SetWindowTextA(static_cast<QuietIdleUpdates&>(base).ItemOf(txtYellow), "2.000.000.000");
                   },
                   1, 1, 1, 0},
        // the same state and digits drawn on the pictures loaded anew
        UpdateCase{"PicturesReloaded",
                   [](QuietIdle& base, TfrmRamsweep&) {
                     auto& updates = static_cast<QuietIdleUpdates&>(base);
                     SendMessageA(updates.ItemOf(chkBackground), BM_SETCHECK, BST_CHECKED, 0);
                     updates.ClickOn(chkBackground);
                   },
                   1, 1, 1, 0},
        // every progress message shows at once, hidden or not; the work pictures alternate
        UpdateCase{"FreeUpPass",
                   [](QuietIdle&, TfrmRamsweep& w) {
                     w.StartFreeUp(1, 3, 0, 0);
                     SendMessageA(w.Handle(), WM_FREEUP_PASS, 1, 0);
                   },
                   2, 2, 2, 1}));

TEST_F(QuietIdle, ASteadyTickStillChecksTheTaskbar) {
  TfrmRamsweep& window = OpenWithIcon();
  for (int i = 0; i < 3; ++i) Tick();
  composes = 0;
  // a new taskbar, as after the shell restarted, while nothing else changes
  area.reset();
  area = std::make_unique<FakeNotificationArea>();
  ASSERT_TRUE(area->InFront());
  Tick();
  EXPECT_EQ(area->Count(NIM_ADD), 1u);
  EXPECT_TRUE(area->Shows(window.Tray().CallbackWindow()));
  ASSERT_FALSE(area->Calls().empty());
  EXPECT_EQ(area->Calls().front().tip, window.Tray().Hint) << "the whole record goes to the new taskbar";
  EXPECT_EQ(composes, 0) << "the picture in place goes with it";
}

TEST_F(QuietIdle, WorkPicturesAlternateOnEveryUpdate) {
  TfrmRamsweep& window = OpenWithIcon();
  window.StartFreeUp(1, 3, 0, 0);
  SendMessageA(window.Handle(), WM_FREEUP_PASS, 0, 0);
  composes = 0;
  area->ClearCalls();
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_EQ(composes, 10);
  EXPECT_EQ(area->Count(NIM_MODIFY), 10u);
}

TEST_F(QuietIdle, TheCaptionFollowsProgressWhileHidden) {
  TfrmRamsweep& window = OpenWithIcon();
  ASSERT_FALSE(IsWindowVisible(window.Handle()));
  window.StartFreeUp(1, 3, 0, 0);
  SendMessageA(window.Handle(), WM_FREEUP_PASS, 1, 0);
  EXPECT_EQ(State(window.Handle()), "Ramsweep Pro - Working (2)");
  SendMessageA(window.Handle(), WM_FREEUP_PASS, 2, 0);
  EXPECT_EQ(State(window.Handle()), "Ramsweep Pro - Working (3)");
  SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);
  EXPECT_EQ(State(window.Handle()), "Ramsweep Pro");
}

TEST_F(QuietIdle, AHiddenWindowsChartKeepsEveryReadingAndPaintsOnTheNextShow) {
  TfrmRamsweep& window = Open();
  ASSERT_FALSE(IsWindowVisible(window.Handle()));
  win32::TPerformanceChart& chart = Chart();
  const int asked = chart.Invalidations();
  for (std::uint64_t i = 1; i <= 30; ++i) {
    freeBytes = i * 7 * kMB;
    Tick();
  }
  const auto& values = chart.Values();
  for (std::size_t i = 1; i <= 30; ++i) {
    EXPECT_EQ(values[values.size() - 31 + i], static_cast<std::int64_t>(i * 7 * kMB)) << i;
  }
  // (Wine keeps no update region for a hidden window, so the chart's own requests are what tells)
  EXPECT_EQ(chart.Invalidations(), asked) << "nothing painted while hidden";

  ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
  EXPECT_TRUE(GetUpdateRect(chart.Handle(), nullptr, FALSE)) << "the chart is painted once shown";
  UpdateWindow(window.Handle());
  EXPECT_FALSE(GetUpdateRect(chart.Handle(), nullptr, FALSE));
  // shown, every reading asks for a paint again
  freeBytes = 100 * kMB;
  const int shownAsked = chart.Invalidations();
  Tick();
  EXPECT_GT(chart.Invalidations(), shownAsked);
  EXPECT_TRUE(GetUpdateRect(chart.Handle(), nullptr, FALSE));
  EXPECT_EQ(values.back(), static_cast<std::int64_t>(100 * kMB));
  // minimised, it paints nothing
  UpdateWindow(window.Handle());
  ShowWindow(window.Handle(), SW_SHOWMINNOACTIVE);
  const int minimisedAsked = chart.Invalidations();
  for (int i = 0; i < 5; ++i) {
    freeBytes = (200 + static_cast<std::uint64_t>(i)) * kMB;
    Tick();
  }
  EXPECT_EQ(chart.Invalidations(), minimisedAsked) << "nothing painted while minimised";
  EXPECT_EQ(values.back(), static_cast<std::int64_t>(204 * kMB)) << "the readings are kept";
}

}  // namespace
}  // namespace rsw::test
