#include "engine/uWinPerf.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace rsw {

namespace {

// Layout of the performance data as the system writes it (little-endian, 32-bit pointers).
namespace block {
constexpr std::size_t HeaderLength = 24;
constexpr std::size_t NumObjectTypes = 28;
constexpr std::size_t SystemTime = 36;  // 8 WORDs: year, month, day of week, day, hour, minute, second, ms
constexpr std::size_t MinimumSize = SystemTime + 16;
}  // namespace block
namespace object {
constexpr std::size_t TotalByteLength = 0;
constexpr std::size_t DefinitionLength = 4;
constexpr std::size_t HeaderLength = 8;
constexpr std::size_t ObjectNameTitleIndex = 12;
constexpr std::size_t NumCounters = 32;
constexpr std::size_t NumInstances = 40;
constexpr std::size_t MinimumSize = 44;
}  // namespace object
namespace counter {
constexpr std::size_t ByteLength = 0;
constexpr std::size_t CounterNameTitleIndex = 4;
constexpr std::size_t CounterType = 28;
constexpr std::size_t CounterOffset = 36;
constexpr std::size_t MinimumSize = 40;
}  // namespace counter

// Reads within the block only: every read says whether it fitted.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> data) : m_data(data) {}

  bool Fits(std::size_t at, std::size_t size) const { return at <= m_data.size() && size <= m_data.size() - at; }

  template <typename T>
  std::optional<T> Read(std::size_t at) const {
    if (!Fits(at, sizeof(T))) return std::nullopt;
    T value;
    std::memcpy(&value, m_data.data() + at, sizeof(T));
    return value;
  }
  std::optional<std::uint32_t> U32(std::size_t base, std::size_t field) const {
    if (base > std::numeric_limits<std::size_t>::max() - field) return std::nullopt;
    return Read<std::uint32_t>(base + field);
  }

 private:
  std::span<const std::uint8_t> m_data;
};

// base + offset, or nullopt when that leaves the block.
std::optional<std::size_t> Advance(const Reader& reader, std::size_t base, std::uint64_t offset) {
  if (offset > std::numeric_limits<std::size_t>::max() - base) return std::nullopt;
  const std::size_t at = base + static_cast<std::size_t>(offset);
  if (!reader.Fits(at, 0)) return std::nullopt;
  return at;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

std::optional<double> EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
  const int monthDays = kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  if (day > monthDays) return std::nullopt;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999) {
    return std::nullopt;
  }
  // days from 1 January of year 1 to the date, then moved to the 30 December 1899 epoch
  const int y = year - 1;
  std::int64_t days = static_cast<std::int64_t>(y) * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += kDaysInMonth[m - 1] + (m == 2 && IsLeapYear(year) ? 1 : 0);
  days += day - 1;
  constexpr std::int64_t kEpoch = 693593;  // 30 December 1899 counted the same way
  const double time = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
  return static_cast<double>(days - kEpoch) + time / 86400000.0;
}

std::optional<ProcessorTimeCounter> FindProcessorTimeCounter(std::span<const std::uint8_t> data) {
  const Reader reader(data);
  if (!reader.Fits(0, block::MinimumSize)) return std::nullopt;
  const auto headerLength = reader.U32(0, block::HeaderLength);
  const auto objectCount = reader.U32(0, block::NumObjectTypes);
  if (!headerLength || !objectCount) return std::nullopt;

  auto objectAt = Advance(reader, 0, *headerLength);
  for (std::uint32_t i = 0; objectAt && i < *objectCount; ++i) {
    const std::size_t at = *objectAt;
    if (!reader.Fits(at, object::MinimumSize)) return std::nullopt;
    const auto total = reader.U32(at, object::TotalByteLength);
    const auto titleIndex = reader.U32(at, object::ObjectNameTitleIndex);
    const auto instances = reader.Read<std::int32_t>(at + object::NumInstances);
    if (!total || !titleIndex || !instances) return std::nullopt;

    if (*titleIndex == kSystemObjectIndex && *instances <= 0) {
      // the search ends with this object, found or not
      const auto definitionLength = reader.U32(at, object::DefinitionLength);
      const auto objectHeader = reader.U32(at, object::HeaderLength);
      const auto counterCount = reader.U32(at, object::NumCounters);
      if (!definitionLength || !objectHeader || !counterCount) return std::nullopt;
      auto counterAt = Advance(reader, at, *objectHeader);
      for (std::uint32_t c = 0; counterAt && c < *counterCount; ++c) {
        const std::size_t cat = *counterAt;
        if (!reader.Fits(cat, counter::MinimumSize)) return std::nullopt;
        const auto length = reader.U32(cat, counter::ByteLength);
        const auto nameIndex = reader.U32(cat, counter::CounterNameTitleIndex);
        if (!length || !nameIndex) return std::nullopt;
        if (*nameIndex == kProcessorTimeCounterIndex) {
          const auto type = reader.U32(cat, counter::CounterType);
          const auto offset = reader.U32(cat, counter::CounterOffset);
          if (!type || !offset) return std::nullopt;
          const auto valueAt = Advance(reader, at, std::uint64_t{*definitionLength} + *offset);
          if (!valueAt) return std::nullopt;
          const auto raw = reader.Read<std::int64_t>(*valueAt);
          std::uint16_t st[8];
          for (int k = 0; k < 8; ++k) {
            const auto word = reader.Read<std::uint16_t>(block::SystemTime + 2 * static_cast<std::size_t>(k));
            if (!word) return std::nullopt;
            st[k] = *word;
          }
          const auto time = EncodeDateTime(st[0], st[1], st[3], st[4], st[5], st[6], st[7]);
          if (!raw || !time) return std::nullopt;
          return ProcessorTimeCounter{*raw, *type, *time};
        }
        // a definition shorter than its own fields would never move on
        if (*length < counter::MinimumSize) return std::nullopt;
        counterAt = Advance(reader, cat, *length);
      }
      return std::nullopt;
    }
    if (*total < object::MinimumSize) return std::nullopt;
    objectAt = Advance(reader, at, *total);
  }
  return std::nullopt;
}

std::int32_t UsageFromCounter(PerfBaseline& baseline, const ProcessorTimeCounter& reading) {
  if (reading.counterType != PERF_100NSEC_TIMER_INV) return 99;
  std::int32_t usage = 100;
  // the time between the readings as a time of day: whole days dropped
  const double elapsedDays = reading.time - baseline.LastSampleTime;
  if (elapsedDays >= 0) {
    const double dayFraction = elapsedDays - std::floor(elapsedDays);
    const auto milliseconds = static_cast<std::int64_t>(std::llround(dayFraction * 86400000.0));
    // in units of 10 microseconds; 64 bits, so a long gap cannot wrap around
    const std::int64_t units = milliseconds * 100;
    if (units > 0) {
      const double idle =
          std::nearbyint((static_cast<double>(reading.raw) - baseline.LastIdleCounter) / static_cast<double>(units));
      const double result = 100.0 - idle;
      if (std::isfinite(result) && result >= std::numeric_limits<std::int32_t>::min() &&
          result <= std::numeric_limits<std::int32_t>::max()) {
        usage = static_cast<std::int32_t>(result);
      }
    }
  }
  baseline.LastIdleCounter = static_cast<double>(reading.raw);
  baseline.LastSampleTime = reading.time;
  return usage;
}

std::int32_t UsageFromSystemTimes(const SystemTimes& before, const SystemTimes& after) {
  if (after.idle < before.idle || after.kernel < before.kernel || after.user < before.user) return 100;
  const std::uint64_t idle = after.idle - before.idle;
  const std::uint64_t total = (after.kernel - before.kernel) + (after.user - before.user);
  if (total == 0 || idle > total) return 100;
  const double idlePercent = std::nearbyint(static_cast<double>(idle) * 100.0 / static_cast<double>(total));
  return 100 - static_cast<std::int32_t>(idlePercent);
}

}  // namespace rsw
