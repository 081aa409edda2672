#include "display/ChartScale.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rsw {

namespace {

constexpr std::int64_t kOneMB = 1048576;
constexpr std::int64_t kTwoMB = 2 * kOneMB;

// Into the range a GDI coordinate can take.
std::int32_t ClampCoordinate(long double value) {
  if (!(value > -kChartCoordinateLimit)) return -kChartCoordinateLimit;  // also catches NaN
  if (value > kChartCoordinateLimit) return kChartCoordinateLimit;
  return static_cast<std::int32_t>(value);
}

}  // namespace

void PushValue(ChartValues& values, std::int64_t value) {
  std::move(values.begin() + 1, values.end(), values.begin());
  values.back() = value;
}

std::int64_t ScaleTop(const ChartValues& values) {
  std::int64_t top = 0;
  for (const std::int64_t value : values) top = std::max(top, value);
  return top == 0 ? 1 : top;
}

std::optional<ChartPolygon> DataPolygon(const ChartValues& values, std::int32_t width, std::int32_t height,
                                        std::int64_t scaleTop) {
  if (scaleTop <= 0) return std::nullopt;
  // Extended precision holds every 64-bit value exactly, and it is the precision the products are
  // defined in, so a half lands on the same side on every build that has it.
  const long double step = static_cast<long double>(width) * (1.0L / (kChartValueCount - 1));
  const long double top = static_cast<long double>(scaleTop);
  const long double bottom = static_cast<long double>(height);
  ChartPolygon polygon;
  polygon.front() = {0, ClampCoordinate(bottom)};
  for (int i = 0; i < kChartValueCount; ++i) {
    // nearbyint under the default rounding mode: to nearest, halves to even
    const long double x = std::nearbyint(step * i);
    const long double rise =
        std::nearbyint(static_cast<long double>(values[static_cast<std::size_t>(i)]) / top * bottom);
    polygon[static_cast<std::size_t>(i) + 1] = {ClampCoordinate(x), ClampCoordinate(bottom - rise)};
  }
  polygon.back() = {ClampCoordinate(static_cast<long double>(width)), ClampCoordinate(bottom)};
  return polygon;
}

void ChartMarks::MarkValue(std::uint64_t serial) {
  // those more than a history behind the new one can never be shown again
  int kept = 0;
  for (int i = 0; i < m_count; ++i) {
    const std::uint64_t s = m_serials[static_cast<std::size_t>(i)];
    if (s + kChartValueCount > serial) m_serials[static_cast<std::size_t>(kept++)] = s;
  }
  m_count = kept;
  if (m_count > 0 && m_serials[static_cast<std::size_t>(m_count - 1)] >= serial) return;
  if (m_count == kChartValueCount) {
    std::move(m_serials.begin() + 1, m_serials.end(), m_serials.begin());
    --m_count;
  }
  m_serials[static_cast<std::size_t>(m_count++)] = serial;
}

ChartMarks::Shown ChartMarks::ShownAfter(std::uint64_t valuesAdded) {
  Shown shown;
  int kept = 0;
  for (int i = 0; i < m_count; ++i) {
    const std::uint64_t s = m_serials[static_cast<std::size_t>(i)];
    if (s + kChartValueCount <= valuesAdded) continue;  // scrolled out
    m_serials[static_cast<std::size_t>(kept++)] = s;
    if (s > valuesAdded) continue;  // its value is still to come
    shown.index[static_cast<std::size_t>(shown.count++)] = kChartValueCount - 1 - static_cast<int>(valuesAdded - s);
  }
  m_count = kept;
  return shown;
}

ChartMarkShape MarkShape(int index, std::int32_t width, std::int32_t height, std::int32_t size) {
  // the column of the value's vertex, rounded as DataPolygon rounds it
  const long double step = static_cast<long double>(width) * (1.0L / (kChartValueCount - 1));
  const std::int32_t x = ClampCoordinate(std::nearbyint(step * std::clamp(index, 0, kChartValueCount - 1)));
  const std::int32_t bottom = ClampCoordinate(static_cast<long double>(height));
  const std::int32_t half = std::max(size, 1);
  return {{x, 0},
          {x, bottom},
          {{{x - half, bottom}, {x + half, bottom}, {x, ClampCoordinate(static_cast<long double>(bottom) - half)}}}};
}

std::int32_t ScaleLineY(std::int32_t height, int level) {
  const std::int64_t y = std::int64_t{height} * (std::int64_t{4} - level) / 4;  // truncates toward 0
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(y, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int64_t ScaleLabelValue(std::int64_t scaleTop, int level) {
  const long double value = std::nearbyint(static_cast<long double>(scaleTop) * 0.25L * level);
  // 2^63 is exact in extended precision; anything at or beyond it cannot be converted.
  constexpr long double kTwoTo63 = 9223372036854775808.0L;
  if (value >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
  if (value < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

std::int64_t PerformanceChart1GetMaxY(std::int64_t MaxY) {
  if (MaxY <= kOneMB) return kOneMB;
  if (MaxY <= kTwoMB) return kTwoMB;
  const std::int64_t remainder = MaxY % kTwoMB;
  if (remainder == 0) return MaxY;
  constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
  // No multiple of 2 MB above such a value fits: the largest one that does is the nearest scale.
  if (MaxY > kLargest - (kTwoMB - remainder)) return kLargest - kLargest % kTwoMB;
  return MaxY + (kTwoMB - remainder);
}

std::string PerformanceChart1GetYDisplay(std::int64_t Y) {
  if (Y >= kTwoMB) return std::to_string(Y / kOneMB) + " MB";
  // 1,560,576 lies just below 1.5 MB; the three lower steps are decimal thousands of bytes.
  if (Y >= 1560576) return "1.5 MB";
  if (Y >= kOneMB) return "1 MB";
  if (Y >= 768000) return "0.75 MB";
  if (Y >= 512000) return "0.5 MB";
  if (Y >= 256000) return "0.25 MB";
  return "0 MB";
}

}  // namespace rsw
