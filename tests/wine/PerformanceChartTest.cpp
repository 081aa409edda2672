#include <windows.h>

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/ChartScale.h"
#include "display/win32/TPerformanceChart.h"
#include "shell/win32/ScopedHandles.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using win32::TPerformanceChart;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kMaroon = RGB(128, 0, 0);
constexpr COLORREF kUntouched = RGB(255, 0, 255);  // no paint of the chart uses it
constexpr std::int64_t kMB = 1048576;

// A 32-bit top-down DIB section in a memory DC, filled with kUntouched, that a test can read back.
class Canvas {
 public:
  Canvas(int width, int height) : m_width(width), m_height(height), m_dc(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap.Reset(CreateDIBSection(m_dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    m_bits = static_cast<std::uint32_t*>(bits);
    m_selection.emplace(m_dc.Get(), m_bitmap.Get());
    for (int i = 0; i < width * height; ++i) m_bits[i] = 0x00FF00FF;
  }
  bool Valid() const { return m_dc && m_bitmap && m_bits; }
  HDC Dc() const { return m_dc.Get(); }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const std::uint32_t p = m_bits[y * m_width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  std::vector<COLORREF> Column(int x) const {
    std::vector<COLORREF> column;
    for (int y = 0; y < m_height; ++y) column.push_back(At(x, y));
    return column;
  }
  std::vector<COLORREF> All() const {
    std::vector<COLORREF> all;
    for (int y = 0; y < m_height; ++y) {
      for (int x = 0; x < m_width; ++x) all.push_back(At(x, y));
    }
    return all;
  }

 private:
  int m_width;
  int m_height;
  win32::ScopedMemoryDc m_dc;
  win32::ScopedBitmap m_bitmap;
  std::uint32_t* m_bits = nullptr;
  std::optional<win32::ScopedSelection> m_selection;  // declared last: deselected before the bitmap goes
};

// Label pixels, plain or blended with the white, yellow or black beneath: red clearly above the rest.
bool Reddish(COLORREF c) {
  return GetRValue(c) > GetGValue(c) + 40 && GetRValue(c) > GetBValue(c) + 40 && GetRValue(c) >= 100;
}

int ReddishPixels(const Canvas& canvas, int left, int top, int right, int bottom) {
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) count += Reddish(canvas.At(x, y)) ? 1 : 0;
  }
  return count;
}

int CountColor(const Canvas& canvas, COLORREF color, int left, int top, int right, int bottom) {
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) count += canvas.At(x, y) == color ? 1 : 0;
  }
  return count;
}

win32::ScopedFont LabelFont(int pixelHeight) {
  // Without antialiasing the label pixels keep the font colour exactly.
  return win32::ScopedFont(CreateFontA(-pixelHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                       DEFAULT_PITCH | FF_SWISS, "Arial"));
}

// The main window's scale and label rules, bound as the main window binds them.
void UseMegabyteScale(TPerformanceChart& chart) {
  chart.OnGetMaxY = [](TPerformanceChart&, std::int64_t& MaxY) { MaxY = PerformanceChart1GetMaxY(MaxY); };
  chart.OnGetYDisplay = [](TPerformanceChart&, std::int64_t Y, std::string& Display) {
    Display = PerformanceChart1GetYDisplay(Y);
  };
}

void FixedScale(TPerformanceChart& chart, std::int64_t top) {
  chart.OnGetMaxY = [top](TPerformanceChart&, std::int64_t& MaxY) { MaxY = top; };
}

void Fill(TPerformanceChart& chart, std::int64_t value, int count = kChartValueCount) {
  for (int i = 0; i < count; ++i) chart.AddValue(value);
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// A visible top-level window holding the chart and the label its errors are reported in.
class ChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "RswChartTestParent";
    RegisterClassA(&wc);
    m_parent.Reset(CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, "chart test",
                                   WS_POPUP | WS_CLIPCHILDREN, 20, 20, 500, 300, nullptr, nullptr, wc.hInstance,
                                   nullptr));
    ASSERT_TRUE(m_parent);
    ShowWindow(m_parent.Get(), SW_SHOWNOACTIVATE);
    m_label = CreateWindowExA(0, "STATIC", "Title", WS_CHILD | WS_VISIBLE, 400, 250, 60, 16, m_parent.Get(), nullptr,
                              nullptr, nullptr);
    ASSERT_TRUE(m_label);
  }
  void TearDown() override {
    m_chart.reset();
    m_parent.Reset();
  }

  TPerformanceChart& MakeChart(int width, int height) {
    m_chart = TPerformanceChart::Create(m_parent.Get(), 77, 0, 0, width, height);
    if (!m_chart) throw std::runtime_error("the chart window could not be created");
    m_chart->SetErrorLabel(m_label);
    return *m_chart;
  }
  static bool NeedsPaint(const TPerformanceChart& chart) { return GetUpdateRect(chart.Handle(), nullptr, FALSE); }

  win32::ScopedWindow m_parent;
  HWND m_label = nullptr;
  std::unique_ptr<TPerformanceChart> m_chart;
};

TEST_F(ChartTest, StartsWithItsDefaults) {
  m_chart = TPerformanceChart::Create(m_parent.Get());
  ASSERT_TRUE(m_chart);
  EXPECT_EQ(m_chart->Width(), 100);
  EXPECT_EQ(m_chart->Height(), 100);
  EXPECT_EQ(m_chart->DataColor(), kYellow);
  EXPECT_EQ(m_chart->Caption(), "");
  for (const std::int64_t value : m_chart->Values()) EXPECT_EQ(value, 0);
  EXPECT_FALSE(m_chart->OnGetMaxY);
  EXPECT_FALSE(m_chart->OnGetYDisplay);
  // ScaleFont is an own copy of the control's font, not the same object
  ASSERT_TRUE(m_chart->ScaleFont());
  EXPECT_NE(m_chart->ScaleFont(), m_chart->Font());
  LOGFONTA font{}, scale{};
  ASSERT_TRUE(GetObjectA(m_chart->Font(), sizeof font, &font));
  ASSERT_TRUE(GetObjectA(m_chart->ScaleFont(), sizeof scale, &scale));
  EXPECT_EQ(scale.lfHeight, font.lfHeight);
  EXPECT_EQ(scale.lfWeight, font.lfWeight);
  EXPECT_STREQ(scale.lfFaceName, font.lfFaceName);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(m_chart->Handle(), WM_GETFONT, 0, 0)), m_chart->Font());
}

TEST_F(ChartTest, EmptyChartIsWhiteWithBlackScaleLines) {
  TPerformanceChart& chart = MakeChart(373, 149);
  Canvas canvas(373, 149);
  ASSERT_TRUE(canvas.Valid());
  ASSERT_TRUE(chart.PaintTo(canvas.Dc(), 373, 149));
  // a quarter, half and three quarters of the scale: rows 149*3/4, 149*2/4, 149/4, truncated
  // (the zero values and their outline lie on row 149, just below the client area)
  for (const int x : {0, 120, 250, 372}) {
    const std::vector<COLORREF> column = canvas.Column(x);
    for (int y = 0; y < 149; ++y) {
      const bool line = y == 111 || y == 74 || y == 37;
      EXPECT_EQ(column[static_cast<std::size_t>(y)], line ? kBlack : kWhite) << "x " << x << " y " << y;
    }
  }
}

struct ColumnCase {
  std::string name;
  std::int64_t newest;
  int row;  // where the newest value's top lies in a 200 x 100 chart scaled to 1,000
  COLORREF dataColor;
};

void PrintTo(const ColumnCase& c, std::ostream* os) { *os << c.name; }

class NewestColumnTest : public ChartTest, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(NewestColumnTest, RightMostColumnIsFilledUpToTheNewestValue) {
  const ColumnCase& c = GetParam();
  TPerformanceChart& chart = MakeChart(200, 100);
  FixedScale(chart, 1000);
  chart.SetDataColor(c.dataColor);
  Fill(chart, 900);
  Fill(chart, c.newest, 3);  // three equal values keep the top edge flat over the last columns
  Canvas canvas(200, 100);
  ASSERT_TRUE(chart.PaintTo(canvas.Dc(), 200, 100));

  const std::vector<COLORREF> column = canvas.Column(199);
  for (int y = 0; y < 100; ++y) {
    const bool line = y == 75 || y == 50 || y == 25;
    COLORREF expected = y < c.row ? kWhite : c.dataColor;
    if (y == c.row || line) expected = kBlack;  // the outline along the top, the scale lines across
    EXPECT_EQ(column[static_cast<std::size_t>(y)], expected) << "row " << y;
  }
  // the older values, 900 of 1,000, reach row 10 in the middle of the chart
  EXPECT_EQ(canvas.At(100, 9), kWhite);
  EXPECT_EQ(canvas.At(100, 10), kBlack);
  EXPECT_EQ(canvas.At(100, 11), c.dataColor);
}

INSTANTIATE_TEST_SUITE_P(Table, NewestColumnTest,
                         ::testing::Values(ColumnCase{"ThirtyPercent", 300, 70, kYellow},
                                           ColumnCase{"SixtyTwoPercent", 620, 38, kYellow},
                                           ColumnCase{"FivePercent", 50, 95, kYellow},
                                           ColumnCase{"Full", 1000, 0, kYellow},
                                           ColumnCase{"HalfDownToEven", 125, 88, kYellow},  // 12.5 rows round to 12
                                           ColumnCase{"HalfUpToEven", 375, 62, kYellow},    // 37.5 rows round to 38
                                           ColumnCase{"OwnDataColor", 300, 70, RGB(0, 128, 255)}),
                         [](const auto& tpi) { return tpi.param.name; });

TEST_F(ChartTest, ValuesOutsideTheScaleAreClipped) {
  TPerformanceChart& chart = MakeChart(200, 100);
  FixedScale(chart, 1000);
  Fill(chart, -5000, 100);                                     // older half far below the bottom
  Fill(chart, std::numeric_limits<std::int64_t>::max(), 100);  // newer half far above the top
  Canvas canvas(200, 100);
  ASSERT_TRUE(chart.PaintTo(canvas.Dc(), 200, 100));
  for (const int y : {0, 40, 99}) {
    EXPECT_EQ(canvas.At(5, y), kWhite) << y;
    EXPECT_EQ(canvas.At(95, y), kWhite) << y;
    EXPECT_EQ(canvas.At(105, y), kYellow) << y;
    EXPECT_EQ(canvas.At(199, y), kYellow) << y;
  }
}

TEST_F(ChartTest, LabelsAskTheOwnerTopFirstAndAreDrawnInTheScaleFontColour) {
  TPerformanceChart& chart = MakeChart(373, 149);
  UseMegabyteScale(chart);
  std::vector<std::pair<std::int64_t, std::string>> asked;
  chart.OnGetYDisplay = [&asked](TPerformanceChart&, std::int64_t Y, std::string& Display) {
    asked.emplace_back(Y, Display);
    Display = PerformanceChart1GetYDisplay(Y);
  };
  const win32::ScopedFont font = LabelFont(11);
  ASSERT_TRUE(chart.SetScaleFont(font.Get(), kMaroon));
  Fill(chart, 30 * kMB);
  Canvas canvas(373, 149);
  ASSERT_TRUE(chart.PaintTo(canvas.Dc(), 373, 149));

  // each label arrives holding its value in decimal: the top, then a quarter, half and three quarters
  const std::vector<std::pair<std::int64_t, std::string>> expected{
      {31457280, "31457280"}, {7864320, "7864320"}, {15728640, "15728640"}, {23592960, "23592960"}};
  EXPECT_EQ(asked, expected);

  // "30 MB" at (10, 0) and each line's label 2 rows below it, all in the font's colour
  EXPECT_GT(ReddishPixels(canvas, 10, 0, 80, 14), 10);
  for (const int row : {111, 74, 37}) EXPECT_GT(ReddishPixels(canvas, 10, row + 2, 80, row + 16), 10) << row;
  // nothing left of the labels, and nothing between them
  EXPECT_EQ(ReddishPixels(canvas, 0, 0, 9, 149), 0);
  EXPECT_EQ(ReddishPixels(canvas, 10, 16, 80, 37), 0);
  EXPECT_EQ(ReddishPixels(canvas, 100, 0, 373, 149), 0);
  // the text has no background box: the data area shows between the letters
  EXPECT_GT(CountColor(canvas, kYellow, 10, 39, 40, 50), 20);
  EXPECT_EQ(CountColor(canvas, kWhite, 10, 39, 40, 50), 0);
}

TEST_F(ChartTest, EraseBackgroundAnswersZeroAndErasesNothing) {
  TPerformanceChart& chart = MakeChart(50, 50);
  Canvas canvas(50, 50);
  EXPECT_EQ(SendMessageA(chart.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0), 0);
  EXPECT_EQ(canvas.At(0, 0), kUntouched);
  EXPECT_EQ(canvas.At(25, 25), kUntouched);
}

struct FailureCase {
  std::string name;
  std::function<void(TPerformanceChart&)> arrange;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class PaintFailureTest : public ChartTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(PaintFailureTest, ReportsErrorAndLeavesThePictureAlone) {
  TPerformanceChart& chart = MakeChart(100, 80);
  Fill(chart, 500);
  GetParam().arrange(chart);
  Canvas canvas(100, 80);
  EXPECT_FALSE(chart.PaintTo(canvas.Dc(), 100, 80));
  EXPECT_EQ(WindowText(m_label), "ERROR");
  for (const COLORREF pixel : canvas.All()) ASSERT_EQ(pixel, kUntouched);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PaintFailureTest,
    ::testing::Values(
        FailureCase{"ScaleTopZero", [](TPerformanceChart& c) { FixedScale(c, 0); }},
        FailureCase{"ScaleTopNegative", [](TPerformanceChart& c) { FixedScale(c, -1); }},
        FailureCase{"ScaleTopSmallest",
                    [](TPerformanceChart& c) { FixedScale(c, std::numeric_limits<std::int64_t>::min()); }},
        FailureCase{"LabelCallbackThrows",
                    [](TPerformanceChart& c) {
                      c.OnGetYDisplay = [](TPerformanceChart&, std::int64_t, std::string&) {
                        throw std::runtime_error("no label");
                      };
                    }},
        FailureCase{"ScaleCallbackThrows",
                    [](TPerformanceChart& c) { c.OnGetMaxY = [](TPerformanceChart&, std::int64_t&) { throw 42; }; }}),
    [](const auto& tpi) { return tpi.param.name; });

TEST_F(ChartTest, UnusableTargetIsAPaintFailure) {
  TPerformanceChart& chart = MakeChart(100, 80);
  EXPECT_FALSE(chart.PaintTo(reinterpret_cast<HDC>(static_cast<UINT_PTR>(0x7FF0)), 100, 80));
  EXPECT_EQ(WindowText(m_label), "ERROR");
}

TEST_F(ChartTest, SuccessfulPaintLeavesTheLabelAlone) {
  TPerformanceChart& chart = MakeChart(100, 80);
  Canvas canvas(100, 80);
  ASSERT_TRUE(chart.PaintTo(canvas.Dc(), 100, 80));
  EXPECT_EQ(WindowText(m_label), "Title");
}

// The window's own paint, read back from the screen.
std::vector<COLORREF> Capture(HWND window, int width, int height) {
  Canvas canvas(width, height);
  const HDC screen = GetDC(window);
  BitBlt(canvas.Dc(), 0, 0, width, height, screen, 0, 0, SRCCOPY);
  ReleaseDC(window, screen);
  return canvas.All();
}

TEST_F(ChartTest, WindowPaintShowsTheSamePictureAndKeepsItWhenAPaintFails) {
  TPerformanceChart& chart = MakeChart(120, 90);
  FixedScale(chart, 100);
  Fill(chart, 40);
  UpdateWindow(chart.Handle());
  EXPECT_FALSE(NeedsPaint(chart));
  Canvas rendered(120, 90);
  ASSERT_TRUE(chart.PaintTo(rendered.Dc(), 120, 90));
  const std::vector<COLORREF> shown = Capture(chart.Handle(), 120, 90);
  ASSERT_EQ(shown, rendered.All());

  // a throwing callback inside the real WM_PAINT: reported, not thrown through the window procedure
  chart.OnGetYDisplay = [](TPerformanceChart&, std::int64_t, std::string&) { throw std::runtime_error("x"); };
  Fill(chart, 90);
  UpdateWindow(chart.Handle());
  EXPECT_FALSE(NeedsPaint(chart));  // validated all the same, so it is not asked again and again
  EXPECT_EQ(WindowText(m_label), "ERROR");
  EXPECT_EQ(Capture(chart.Handle(), 120, 90), shown);
}

TEST_F(ChartTest, GdiObjectsStayFlatOverManyPaints) {
  TPerformanceChart& chart = MakeChart(373, 149);
  UseMegabyteScale(chart);
  const win32::ScopedFont font = LabelFont(11);
  ASSERT_TRUE(chart.SetScaleFont(font.Get(), kMaroon));
  Canvas canvas(373, 149);
  for (int i = 0; i < 5; ++i) {  // first-use caches
    chart.PaintTo(canvas.Dc(), 373, 149);
    chart.AddValue(i);
    UpdateWindow(chart.Handle());
  }

  // the gauge itself sees a handful of new objects
  const long start = LiveGdiObjects();
  {
    std::vector<win32::ScopedBrush> brushes;
    for (int i = 0; i < 5; ++i) brushes.emplace_back(CreateSolidBrush(RGB(i, 1, 2)));
    EXPECT_EQ(LiveGdiObjects(), start + 5);
  }
  EXPECT_EQ(LiveGdiObjects(), start);

  int painted = 0;
  for (int i = 0; i < 500; ++i) {
    chart.AddValue((i % 37) * kMB);
    painted += chart.PaintTo(canvas.Dc(), 373, 149) ? 1 : 0;
  }
  EXPECT_EQ(painted, 500);
  // failed paints release what they made too
  FixedScale(chart, 0);
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(chart.PaintTo(canvas.Dc(), 373, 149));
  // and so do paints through the window
  UseMegabyteScale(chart);
  for (int i = 0; i < 100; ++i) {
    chart.AddValue(i * kMB);
    UpdateWindow(chart.Handle());
  }
  EXPECT_EQ(LiveGdiObjects(), start);
}

TEST_F(ChartTest, TheTwoHundredFirstValueDropsTheOldestAndTheScaleFollows) {
  TPerformanceChart& chart = MakeChart(100, 100);
  std::vector<std::int64_t> scaleAsked;
  chart.OnGetMaxY = [&scaleAsked](TPerformanceChart&, std::int64_t& MaxY) { scaleAsked.push_back(MaxY); };
  chart.AddValue(5000);
  Fill(chart, 100, 199);
  EXPECT_EQ(chart.Values().front(), 5000);
  Canvas canvas(100, 100);
  ASSERT_TRUE(chart.PaintTo(canvas.Dc(), 100, 100));
  // 100 of 5,000: two rows above the bottom
  EXPECT_EQ(canvas.At(50, 97), kWhite);
  EXPECT_EQ(canvas.At(50, 98), kBlack);
  EXPECT_EQ(canvas.At(50, 99), kYellow);

  chart.AddValue(250);
  EXPECT_EQ(chart.Values().front(), 100);
  EXPECT_EQ(chart.Values().back(), 250);
  ASSERT_TRUE(chart.PaintTo(canvas.Dc(), 100, 100));
  EXPECT_EQ(scaleAsked, (std::vector<std::int64_t>{5000, 250}));
  // 100 of 250: forty rows above the bottom
  EXPECT_EQ(canvas.At(50, 59), kWhite);
  EXPECT_EQ(canvas.At(50, 60), kBlack);
  EXPECT_EQ(canvas.At(50, 61), kYellow);
}

struct RepaintCase {
  std::string name;
  std::function<void(TPerformanceChart&)> change;
  bool repaints;
};

void PrintTo(const RepaintCase& c, std::ostream* os) { *os << c.name; }

class RepaintTest : public ChartTest, public ::testing::WithParamInterface<RepaintCase> {};

TEST_P(RepaintTest, VisibleChangesAskForAPaint) {
  TPerformanceChart& chart = MakeChart(100, 100);
  chart.SetCaption("Free Memory (RAM)");
  UpdateWindow(chart.Handle());
  ASSERT_FALSE(NeedsPaint(chart));
  GetParam().change(chart);
  EXPECT_EQ(NeedsPaint(chart), GetParam().repaints);
}

HFONT SystemFont() { return static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

INSTANTIATE_TEST_SUITE_P(
    Table, RepaintTest,
    ::testing::Values(
        RepaintCase{"AddValue", [](TPerformanceChart& c) { c.AddValue(1); }, true},
        RepaintCase{"NewCaption", [](TPerformanceChart& c) { c.SetCaption("Free"); }, true},
        RepaintCase{"SameCaption", [](TPerformanceChart& c) { c.SetCaption("Free Memory (RAM)"); }, false},
        RepaintCase{"DataColor", [](TPerformanceChart& c) { c.SetDataColor(RGB(0, 255, 0)); }, true},
        RepaintCase{"SameDataColor", [](TPerformanceChart& c) { c.SetDataColor(kYellow); }, true},
        RepaintCase{"ScaleFont", [](TPerformanceChart& c) { c.SetScaleFont(SystemFont(), kMaroon); }, true},
        RepaintCase{"ScaleFontThatCannotBeCopied", [](TPerformanceChart& c) { c.SetScaleFont(nullptr, kMaroon); },
                    false},
        RepaintCase{"FontIsNotDrawn", [](TPerformanceChart& c) { c.SetFont(SystemFont(), kMaroon); }, false},
        RepaintCase{"Callback", [](TPerformanceChart& c) { FixedScale(c, 5); }, false}),
    [](const auto& tpi) { return tpi.param.name; });

TEST_F(ChartTest, CaptionIsStoredAsTheWindowText) {
  TPerformanceChart& chart = MakeChart(100, 100);
  chart.SetCaption("Free Memory (RAM)");
  EXPECT_EQ(chart.Caption(), "Free Memory (RAM)");
  EXPECT_EQ(WindowText(chart.Handle()), "Free Memory (RAM)");
  SetWindowTextA(chart.Handle(), "Other");
  EXPECT_EQ(chart.Caption(), "Other");
}

TEST_F(ChartTest, ScaleFontIsAnOwnCopyThatKeepsItsColour) {
  TPerformanceChart& chart = MakeChart(100, 100);
  const HFONT before = chart.ScaleFont();
  {
    const win32::ScopedFont given = LabelFont(11);
    ASSERT_TRUE(chart.SetScaleFont(given.Get(), kMaroon));
    EXPECT_NE(chart.ScaleFont(), given.Get());
  }  // the caller's font is gone; the chart's copy lives on
  LOGFONTA copy{};
  ASSERT_TRUE(GetObjectA(chart.ScaleFont(), sizeof copy, &copy));
  EXPECT_EQ(copy.lfHeight, -11);
  EXPECT_EQ(copy.lfWeight, FW_BOLD);
  EXPECT_EQ(chart.ScaleFontColor(), kMaroon);
  EXPECT_EQ(GetObjectType(before), 0u);  // the replaced copy was released

  const HFONT kept = chart.ScaleFont();
  EXPECT_FALSE(chart.SetScaleFont(nullptr, kBlack));
  EXPECT_EQ(chart.ScaleFont(), kept);
  EXPECT_EQ(chart.ScaleFontColor(), kMaroon);
}

TEST_F(ChartTest, DestroyedWithItsParentWithoutTrouble) {
  TPerformanceChart& chart = MakeChart(100, 100);
  const HWND window = chart.Handle();
  m_parent.Reset();  // takes the child window with it
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(chart.Handle(), nullptr);
  chart.AddValue(3);  // still safe on the object left behind
  EXPECT_EQ(chart.Values().back(), 3);
}

// ---- the free-ups' marks ----

constexpr COLORREF kMark = TPerformanceChart::kMarkColor;

TEST_F(ChartTest, AMarkShowsFromItsReadingOnAtItsValuesColumn) {
  TPerformanceChart& chart = MakeChart(373, 149);
  FixedScale(chart, 100);
  Fill(chart, 40);
  Canvas before(373, 149);
  ASSERT_TRUE(chart.PaintTo(before.Dc(), 373, 149));
  chart.MarkNextValue();
  Canvas pending(373, 149);
  ASSERT_TRUE(chart.PaintTo(pending.Dc(), 373, 149));
  EXPECT_EQ(pending.All(), before.All()) << "nothing until the reading it belongs to";

  chart.AddValue(40);
  Canvas marked(373, 149);
  ASSERT_TRUE(chart.PaintTo(marked.Dc(), 373, 149));
  // the newest value's column is the right edge, just outside the client area; its triangle shows
  const ChartMarkShape newest = MarkShape(199, 373, 149, TPerformanceChart::kMarkSize);
  EXPECT_EQ(marked.At(372, 148), kMark);
  EXPECT_EQ(marked.At(372, 146), kMark);
  EXPECT_EQ(CountColor(marked, kMark, 0, 0, newest.triangle[0].x, 149), 0) << "nothing left of the triangle";

  // ten readings on, the mark sits on its value's column over the whole height
  Fill(chart, 40, 10);
  ASSERT_TRUE(chart.PaintTo(marked.Dc(), 373, 149));
  const ChartMarkShape shape = MarkShape(189, 373, 149, TPerformanceChart::kMarkSize);
  for (int y = 0; y < 149; ++y) {
    const COLORREF pixel = marked.At(shape.lineTop.x, y);
    // the black scale lines cross it
    if (y == ScaleLineY(149, 1) || y == ScaleLineY(149, 2) || y == ScaleLineY(149, 3)) continue;
    EXPECT_EQ(pixel, kMark) << "row " << y;
  }
  EXPECT_EQ(CountColor(marked, kMark, shape.lineTop.x + 1, 0, shape.triangle[1].x + 1, 140), 0) << "one pixel wide";
  EXPECT_GT(CountColor(marked, kMark, shape.triangle[0].x, 145, shape.triangle[1].x + 1, 149), 6) << "its triangle";
}

TEST_F(ChartTest, WithNoMarkAmongItsReadingsTheChartPaintsAsBefore) {
  // one chart that never had a mark, one whose mark has scrolled out with its reading
  TPerformanceChart& plain = MakeChart(373, 149);
  UseMegabyteScale(plain);
  auto other = TPerformanceChart::Create(m_parent.Get(), 78, 0, 0, 373, 149);
  ASSERT_TRUE(other);
  UseMegabyteScale(*other);
  for (TPerformanceChart* chart : {&plain, other.get()}) {
    ASSERT_TRUE(chart->SetScaleFont(LabelFont(11).Get(), kMaroon));
  }
  for (int i = 0; i < 50; ++i) other->AddValue(i * kMB);
  other->MarkNextValue();
  for (int i = 0; i < 300; ++i) {
    const std::int64_t value = (100 + (i * 37) % 60) * kMB;
    plain.AddValue(value);
    other->AddValue(value);
  }
  Canvas a(373, 149), b(373, 149);
  ASSERT_TRUE(plain.PaintTo(a.Dc(), 373, 149));
  ASSERT_TRUE(other->PaintTo(b.Dc(), 373, 149));
  EXPECT_EQ(a.All(), b.All());
  EXPECT_EQ(CountColor(b, kMark, 0, 0, 373, 149), 0);

  // one reading before it scrolls out, it still shows on the left edge
  auto third = TPerformanceChart::Create(m_parent.Get(), 79, 0, 0, 373, 149);
  ASSERT_TRUE(third);
  third->MarkNextValue();
  for (int i = 0; i < 200; ++i) third->AddValue(5);
  Canvas c(373, 149);
  ASSERT_TRUE(third->PaintTo(c.Dc(), 373, 149));
  EXPECT_EQ(c.At(0, 10), kMark);
  third->AddValue(5);
  ASSERT_TRUE(third->PaintTo(c.Dc(), 373, 149));
  EXPECT_EQ(CountColor(c, kMark, 0, 0, 373, 149), 0);
}

TEST_F(ChartTest, PictureOfTheChartWithMarks) {
  // a day of readings as the main window gives them, three free-ups among them
  TPerformanceChart& chart = MakeChart(373, 149);
  UseMegabyteScale(chart);
  const win32::ScopedFont font = LabelFont(11);
  ASSERT_TRUE(chart.SetScaleFont(font.Get(), kMaroon));
  std::int64_t free = 900 * kMB;
  for (int i = 0; i < 200; ++i) {
    if (i == 40 || i == 110 || i == 170) {
      chart.MarkNextValue();
      free += 400 * kMB;  // what the free-up made available
    }
    free -= 5 * kMB;
    chart.AddValue(free);
  }
  UpdateWindow(chart.Handle());
  Canvas canvas(373, 149);
  ASSERT_TRUE(chart.PaintTo(canvas.Dc(), 373, 149));
  for (const int index : {40, 110, 170}) {
    EXPECT_EQ(canvas.At(MarkShape(index, 373, 149, TPerformanceChart::kMarkSize).lineTop.x, 20), kMark) << index;
  }
  EXPECT_TRUE(SaveWindowPicture(chart.Handle(), PictureFolder() + "chart-with-marks.bmp"));
}

TEST_F(ChartTest, MarksCostNoObjectsAcrossPaints) {
  TPerformanceChart& chart = MakeChart(373, 149);
  Canvas canvas(373, 149);
  for (int i = 0; i < 5; ++i) {
    chart.MarkNextValue();
    chart.AddValue(i);
    chart.PaintTo(canvas.Dc(), 373, 149);
  }
  const long start = LiveGdiObjects();
  for (int i = 0; i < 300; ++i) {
    if (i % 3 == 0) chart.MarkNextValue();
    chart.AddValue(i);
    ASSERT_TRUE(chart.PaintTo(canvas.Dc(), 373, 149));
  }
  EXPECT_EQ(LiveGdiObjects(), start);
}

TEST(PerformanceChartClass, CannotBeMadeWithoutItsObject) {
  ASSERT_TRUE(TPerformanceChart::RegisterClass(GetModuleHandleA(nullptr)));
  const HWND window = CreateWindowExA(0, TPerformanceChart::kClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(window, nullptr);
  if (window) DestroyWindow(window);
}

}  // namespace
}  // namespace rsw::test
