#include "display/win32/TPerformanceChart.h"

#include <algorithm>
#include <array>
#include <climits>
#include <utility>

#include "shell/DpiScale.h"

namespace rsw::win32 {

namespace {

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kLineColor = RGB(0, 0, 0);
constexpr int kLabelX = 10;
constexpr int kLabelBelowLine = 2;

ScopedFont CopyFont(HFONT font) {
  LOGFONTA description{};
  if (!font || GetObjectA(font, sizeof description, &description) != sizeof description) return ScopedFont();
  return ScopedFont(CreateFontIndirectA(&description));
}

// BeginPaint/EndPaint as a pair: EndPaint must run even when painting fails, or the window would be
// sent WM_PAINT again at once, for ever.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
  ~PaintScope() { EndPaint(m_window, &m_paint); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC Dc() const { return m_dc; }

 private:
  HWND m_window;
  PAINTSTRUCT m_paint{};
  HDC m_dc;
};

bool DrawLabel(HDC dc, int x, int y, const std::string& text) {
  const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
  return TextOutA(dc, x, y, text.data(), length) != FALSE;
}

}  // namespace

bool TPerformanceChart::RegisterClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  // The chart scales with its size, so a resize must repaint all of it.
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &TPerformanceChart::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = nullptr;                                  // never erased: the paint covers everything
  wc.lpszClassName = kClassName;
  return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

std::unique_ptr<TPerformanceChart> TPerformanceChart::Create(HWND parent, int controlId, int x, int y, int width,
                                                             int height) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterClass(instance)) return nullptr;
  std::unique_ptr<TPerformanceChart> chart(new TPerformanceChart());
  const HWND window = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, chart.get());
  if (!window) return nullptr;
  return chart;
}

TPerformanceChart::~TPerformanceChart() {
  if (m_window) DestroyWindow(m_window);
}

LRESULT CALLBACK TPerformanceChart::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TPerformanceChart*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    // Only Create makes this window: one made by class name alone would have no object behind it.
    if (!self) return FALSE;
    self->m_window = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TPerformanceChart*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    // Only an allocation can fail here (painting reports its own failures); the message is dropped.
    return 0;
  }
}

LRESULT TPerformanceChart::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate() ? 0 : -1;
    case WM_ERASEBKGND: return 0;  // the paint covers the whole client area in one copy
    case WM_PAINT: OnPaint(); return 0;
    case WM_SETTEXT: {
      const std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      const bool changed = text != m_caption;
      m_caption = text;
      const LRESULT result = DefWindowProcA(m_window, message, wParam, lParam);
      if (changed) Repaint();
      return result;
    }
    case WM_SETFONT:
      // The control's own font is not drawn, so a new one needs no repaint.
      m_font = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_font);
    case WM_NCDESTROY: {
      const HWND window = std::exchange(m_window, nullptr);
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      return DefWindowProcA(window, message, wParam, lParam);
    }
    default: return DefWindowProcA(m_window, message, wParam, lParam);
  }
}

bool TPerformanceChart::OnCreate() {
  // The parent's font stands in for an inherited one; ScaleFont starts as a copy of it.
  const HWND parent = GetParent(m_window);
  const auto parentFont = parent ? reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0)) : nullptr;
  m_font = parentFont ? parentFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  m_scaleFont = CopyFont(m_font);
  m_scaleFontColor = m_fontColor;
  return static_cast<bool>(m_scaleFont);
}

int TPerformanceChart::Width() const {
  RECT client{};
  GetClientRect(m_window, &client);
  return client.right - client.left;
}

int TPerformanceChart::Height() const {
  RECT client{};
  GetClientRect(m_window, &client);
  return client.bottom - client.top;
}

void TPerformanceChart::AddValue(std::int64_t value) {
  PushValue(m_values, value);
  ++m_valuesAdded;
  Repaint();
}

void TPerformanceChart::MarkNextValue() { m_marks.MarkValue(m_valuesAdded + 1); }

void TPerformanceChart::SetCaption(std::string_view caption) {
  const std::string text(caption);
  if (m_window) {
    SetWindowTextA(m_window, text.c_str());  // WM_SETTEXT stores it and repaints when it differs
  } else {
    m_caption = text;
  }
}

void TPerformanceChart::SetFont(HFONT font, COLORREF color) {
  m_fontColor = color;
  if (m_window) {
    SendMessageA(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  } else {
    m_font = font;
  }
}

bool TPerformanceChart::SetScaleFont(HFONT font, COLORREF color) {
  ScopedFont copy = CopyFont(font);
  if (!copy) return false;
  m_scaleFont = std::move(copy);
  m_scaleFontColor = color;
  Repaint();
  return true;
}

void TPerformanceChart::SetDataColor(COLORREF color) {
  m_dataColor = color;
  Repaint();
}

void TPerformanceChart::SetDpi(int dpi) {
  dpi = UsableDpi(dpi);
  if (dpi == m_dpi) return;
  m_dpi = dpi;
  Repaint();
}

void TPerformanceChart::Repaint() {
  // Nothing is drawn while the chart cannot be seen (its window hidden or minimised): showing it
  // again paints all of it from the values it kept receiving meanwhile.
  if (m_window && IsWindowVisible(m_window) && !IsIconic(GetAncestor(m_window, GA_ROOT))) {
    InvalidateRect(m_window, nullptr, FALSE);
    ++m_invalidations;
  }
}

bool TPerformanceChart::DrawMarks(HDC dc, int width, int height) {
  // without a mark nothing is selected or drawn: the picture is the one the chart always drew
  if (!m_marks.Any()) return true;
  const ChartMarks::Shown shown = m_marks.ShownAfter(m_valuesAdded);
  if (shown.count == 0) return true;
  ScopedPen pen(CreatePen(PS_SOLID, 1, kMarkColor));
  ScopedBrush brush(CreateSolidBrush(kMarkColor));
  if (!pen || !brush) return false;
  const ScopedSelection penSelection(dc, pen.Get());
  const ScopedSelection brushSelection(dc, brush.Get());
  const int size = MulDiv(kMarkSize, m_dpi, kBaseDpi);
  for (int i = 0; i < shown.count; ++i) {
    const ChartMarkShape mark = MarkShape(shown.index[static_cast<std::size_t>(i)], width, height, size);
    const POINT triangle[] = {{mark.triangle[0].x, mark.triangle[0].y},
                              {mark.triangle[1].x, mark.triangle[1].y},
                              {mark.triangle[2].x, mark.triangle[2].y}};
    if (!MoveToEx(dc, mark.lineTop.x, mark.lineTop.y, nullptr) || !LineTo(dc, mark.lineBottom.x, mark.lineBottom.y) ||
        !Polygon(dc, triangle, 3)) {
      return false;
    }
  }
  return true;
}

void TPerformanceChart::ReportError() noexcept {
  if (m_errorLabel) SetWindowTextA(m_errorLabel, "ERROR");
}

void TPerformanceChart::OnPaint() {
  const PaintScope paint(m_window);
  if (!paint.Dc()) {
    ReportError();
    return;
  }
  RECT client{};
  GetClientRect(m_window, &client);
  // A failed paint has already reported itself and left the previous picture on the screen.
  PaintTo(paint.Dc(), client.right, client.bottom);
}

bool TPerformanceChart::PaintTo(HDC target, int width, int height) noexcept {
  bool painted = false;
  try {
    painted = Render(target, width, height);
  } catch (...) {
    // A callback threw: this paint is abandoned like any other failed one. A message box from
    // inside a paint would only be painted over and raise the next one.
    painted = false;
  }
  if (!painted) ReportError();
  return painted;
}

bool TPerformanceChart::Render(HDC target, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);

  ScopedMemoryDc dc(CreateCompatibleDC(target));
  if (!dc) return false;
  // A zero-sized compatible bitmap would be monochrome; one pixel keeps the target's format.
  ScopedBitmap bitmap(CreateCompatibleBitmap(target, std::max(width, 1), std::max(height, 1)));
  ScopedBrush background(CreateSolidBrush(kBackground));
  ScopedBrush data(CreateSolidBrush(m_dataColor));
  ScopedPen pen(CreatePen(PS_SOLID, 1, kLineColor));
  if (!bitmap || !background || !data || !pen) return false;
  // Declared after the objects they select, so they are put back before the objects are deleted.
  const ScopedSelection bitmapSelection(dc.Get(), bitmap.Get());
  const ScopedSelection penSelection(dc.Get(), pen.Get());
  const ScopedSelection brushSelection(dc.Get(), data.Get());
  const ScopedSelection fontSelection(dc.Get(), m_scaleFont.Get());
  if (GetCurrentObject(dc.Get(), OBJ_BITMAP) != bitmap.Get() || GetCurrentObject(dc.Get(), OBJ_PEN) != pen.Get() ||
      GetCurrentObject(dc.Get(), OBJ_BRUSH) != data.Get() ||
      GetCurrentObject(dc.Get(), OBJ_FONT) != m_scaleFont.Get()) {
    return false;
  }

  const RECT all{0, 0, width + 1, height + 1};
  if (!FillRect(dc.Get(), &all, background.Get())) return false;

  std::int64_t top = ScaleTop(m_values);
  if (OnGetMaxY) OnGetMaxY(*this, top);
  const auto polygon = DataPolygon(m_values, width, height, top);
  if (!polygon) return false;  // the owner asked for a scale top of 0 or less
  std::array<POINT, kChartPolygonVertexCount> points{};
  std::transform(polygon->begin(), polygon->end(), points.begin(), [](const ChartPoint& p) { return POINT{p.x, p.y}; });
  if (!Polygon(dc.Get(), points.data(), static_cast<int>(points.size()))) return false;
  if (!DrawMarks(dc.Get(), width, height)) return false;

  if (SetTextColor(dc.Get(), m_scaleFontColor) == CLR_INVALID) return false;
  const int previousMode = SetBkMode(dc.Get(), TRANSPARENT);
  if (previousMode == 0) return false;

  const auto labelText = [this](std::int64_t value) {
    std::string text = std::to_string(value);
    if (OnGetYDisplay) OnGetYDisplay(*this, value, text);
    return text;
  };
  const int labelX = MulDiv(kLabelX, m_dpi, kBaseDpi);
  if (!DrawLabel(dc.Get(), labelX, 0, labelText(top))) return false;
  for (int level = 1; level <= kChartScaleLevels; ++level) {
    const std::string text = labelText(ScaleLabelValue(top, level));
    const int y = ScaleLineY(height, level);
    if (!MoveToEx(dc.Get(), 0, y, nullptr) || !LineTo(dc.Get(), width, y)) return false;
    if (!DrawLabel(dc.Get(), labelX, y + MulDiv(kLabelBelowLine, m_dpi, kBaseDpi), text)) return false;
  }
  SetBkMode(dc.Get(), previousMode);

  if (width == 0 || height == 0) return true;  // nothing to show, and a zero-sized copy may fail
  return BitBlt(target, 0, 0, width, height, dc.Get(), 0, 0, SRCCOPY) != FALSE;
}

}  // namespace rsw::win32
