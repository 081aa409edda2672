#pragma once
// The free-memory chart's geometry and scale labels, without any window: the history, the top of
// the scale, the data polygon, the scale lines, and the main window's byte-to-megabyte scale rules.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace rsw {

// The chart always holds exactly this many values, oldest first.
inline constexpr int kChartValueCount = 200;
// The polygon closes the data area along the bottom edge: one extra vertex at each end.
inline constexpr int kChartPolygonVertexCount = kChartValueCount + 2;
// Coordinates are clamped to this magnitude so a value far outside the scale cannot overflow a
// GDI coordinate (27 bits on the NT family); beyond the client area it only moves an edge by a
// tiny fraction of a pixel.
inline constexpr std::int32_t kChartCoordinateLimit = 1 << 24;
// Scale lines are numbered 1 to 3 from the bottom: a quarter, half and three quarters of the scale.
inline constexpr int kChartScaleLevels = 3;

// Values are 64-bit because the chart is fed free physical bytes, which exceed 2 GB on today's
// machines.
using ChartValues = std::array<std::int64_t, kChartValueCount>;

struct ChartPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

using ChartPolygon = std::array<ChartPoint, kChartPolygonVertexCount>;

// Drops the oldest value and appends `value` as the newest; never allocates.
void PushValue(ChartValues& values, std::int64_t value);

// The largest value of the history, or 1 when none is above 0, so the scale never divides by 0.
std::int64_t ScaleTop(const ChartValues& values);

// The filled data area of a `width` x `height` chart: (0, height), one vertex per value from the
// left edge (oldest) to the right edge (newest) in steps of width/199, then (width, height).
// A value v lies at height - round(v / scaleTop * height), so 0 is on the bottom edge, scaleTop on
// the top edge, negative values below and values above scaleTop above the client area. Rounding
// is to nearest with halves to even, in extended precision. nullopt when scaleTop <= 0.
std::optional<ChartPolygon> DataPolygon(const ChartValues& values, std::int32_t width, std::int32_t height,
                                        std::int64_t scaleTop);

// The row of scale line `level` (1..3): (height * (4 - level)) div 4, truncating.
std::int32_t ScaleLineY(std::int32_t height, int level);

// The value labelled at scale line `level` (1..3): scaleTop * 0.25 * level, halves to even.
std::int64_t ScaleLabelValue(std::int64_t scaleTop, int level);

// Marks on the history (the free-ups): each sits on one value, named by its serial number, the
// count of values added up to and including it. A mark scrolls with its value and goes with it.
class ChartMarks {
 public:
  // Marks the value numbered `serial` (the next one to come is the count added so far plus 1); a
  // second mark on it changes nothing.
  void MarkValue(std::uint64_t serial);
  // The positions in the history (0 oldest .. 199 newest) of the marked values among the newest
  // 200, oldest first; marks that scrolled out are forgotten. Empty when none is shown.
  struct Shown {
    std::array<int, kChartValueCount> index{};
    int count = 0;
  };
  Shown ShownAfter(std::uint64_t valuesAdded);
  // Whether any mark may still show: without one, painting needs to look no further.
  bool Any() const { return m_count > 0; }

 private:
  // ascending serials; never more than the history holds, as older ones have scrolled out
  std::array<std::uint64_t, kChartValueCount> m_serials{};
  int m_count = 0;
};

// A mark drawn on a `width` x `height` chart: a line over the whole height at the column of its
// value, the same column as the data polygon's vertex, and a small triangle of `size` pixels
// (its height) standing on the bottom edge and pointing up at the line.
struct ChartMarkShape {
  ChartPoint lineTop;
  ChartPoint lineBottom;
  std::array<ChartPoint, 3> triangle;
};
ChartMarkShape MarkShape(int index, std::int32_t width, std::int32_t height, std::int32_t size);

// The main window's scale top, in bytes: at least 1 MB, then 2 MB, then the next multiple of 2 MB,
// so the quarter labels come out as round megabyte figures.
std::int64_t PerformanceChart1GetMaxY(std::int64_t MaxY);

// The main window's label for a scale value in bytes: whole megabytes (truncated) from 2 MB on,
// below that the fixed steps "1.5 MB", "1 MB", "0.75 MB", "0.5 MB", "0.25 MB" and "0 MB".
std::string PerformanceChart1GetYDisplay(std::int64_t Y);

}  // namespace rsw
