#pragma once
// The free-memory chart: a child window that shows the last 200 values as a filled area, newest at
// the right, under a scale of four labelled levels. It knows nothing about memory; its owner feeds
// it values and decides the scale top and the label texts through two callbacks.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "display/ChartScale.h"
#include "shell/win32/ScopedHandles.h"

namespace rsw::win32 {

// final: its window ends in the destructor's body, while the whole object still answers the
// messages that brings; the part a derived class added would already be gone by then.
class TPerformanceChart final {
 public:
  // May replace the top of the scale; a top of 0 or less makes the paint fail.
  using TGetMaxY = std::function<void(TPerformanceChart& Sender, std::int64_t& MaxY)>;
  // May replace the text of the label for scale value Y; Display arrives holding Y in decimal.
  using TGetYDisplay = std::function<void(TPerformanceChart& Sender, std::int64_t Y, std::string& Display)>;

  static constexpr const char* kClassName = "TPerformanceChart";
  static constexpr int kDefaultSize = 100;
  static constexpr COLORREF kDefaultDataColor = RGB(255, 255, 0);
  static constexpr COLORREF kMarkColor = RGB(0, 64, 192);
  // the height of a mark's triangle at 96 DPI
  static constexpr int kMarkSize = 4;

  // Registers the window class once per process; Create does it when needed.
  static bool RegisterClass(HINSTANCE instance);
  // A visible child of `parent` with the given control id; nullptr when the window or its scale
  // font could not be made. Font and ScaleFont start as the parent's font (or the default GUI font).
  static std::unique_ptr<TPerformanceChart> Create(HWND parent, int controlId = 0, int x = 0, int y = 0,
                                                   int width = kDefaultSize, int height = kDefaultSize);
  ~TPerformanceChart();
  TPerformanceChart(const TPerformanceChart&) = delete;
  TPerformanceChart& operator=(const TPerformanceChart&) = delete;

  HWND Handle() const { return m_window; }
  int Width() const;
  int Height() const;

  // Drops the oldest value, appends `value` as the newest and repaints.
  void AddValue(std::int64_t value);
  const ChartValues& Values() const { return m_values; }
  // How many times the chart has asked for a paint: none while it cannot be seen.
  int Invalidations() const { return m_invalidations; }
  // Marks the next value added (the first reading after a free-up): a line with a small triangle
  // at its column that scrolls with it. Nothing is drawn for it until that value comes.
  void MarkNextValue();

  // Stored, not drawn; setting a different text repaints.
  const std::string& Caption() const { return m_caption; }
  void SetCaption(std::string_view caption);

  // The control's font as WM_SETFONT/WM_GETFONT know it: not owned, only copied into ScaleFont at
  // creation. A font carries a text colour here, since label colour belongs to the font.
  HFONT Font() const { return m_font; }
  COLORREF FontColor() const { return m_fontColor; }
  void SetFont(HFONT font, COLORREF color);

  // The labels' font, an owned copy; false (and nothing changed) when `font` cannot be copied.
  HFONT ScaleFont() const { return m_scaleFont.Get(); }
  COLORREF ScaleFontColor() const { return m_scaleFontColor; }
  bool SetScaleFont(HFONT font, COLORREF color);

  // The labels' distance from the left edge and below their lines are 96-DPI figures scaled to
  // this DPI; repaints when it changes.
  int Dpi() const { return m_dpi; }
  void SetDpi(int dpi);

  COLORREF DataColor() const { return m_dataColor; }
  void SetDataColor(COLORREF color);

  TGetMaxY OnGetMaxY;
  TGetYDisplay OnGetYDisplay;

  // The window whose text becomes "ERROR" when a paint fails (the owner's label); none by default.
  void SetErrorLabel(HWND label) { m_errorLabel = label; }

  // Draws the whole chart off-screen and copies it to (0, 0) of `target` in one step; WM_PAINT uses
  // it, and tests render into their own bitmap with it. On failure the error label reads "ERROR",
  // `target` is left untouched and false is returned; nothing is thrown.
  bool PaintTo(HDC target, int width, int height) noexcept;

 private:
  TPerformanceChart() = default;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCreate();
  void OnPaint();
  bool Render(HDC target, int width, int height);
  void Repaint();
  void ReportError() noexcept;
  bool DrawMarks(HDC dc, int width, int height);

  HWND m_window = nullptr;
  HWND m_errorLabel = nullptr;
  std::string m_caption;
  HFONT m_font = nullptr;
  COLORREF m_fontColor = RGB(0, 0, 0);
  ScopedFont m_scaleFont;
  COLORREF m_scaleFontColor = RGB(0, 0, 0);
  COLORREF m_dataColor = kDefaultDataColor;
  int m_dpi = 96;
  ChartValues m_values{};
  int m_invalidations = 0;
  std::uint64_t m_valuesAdded = 0;  // the serial number of the newest value
  ChartMarks m_marks;
};

}  // namespace rsw::win32
