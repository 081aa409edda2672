#pragma once
// When the automatic free-ups fall due: the regular one on a schedule of whole minutes, the
// critical one when free memory has stayed at or below the critical amount for long enough.

#include <cstdint>

namespace rsw {

// A local calendar date and time of day.
struct CivilTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  bool operator==(const CivilTime&) const = default;
};

// Seconds since 1 January 1970 in local time, and back; only differences and order matter.
std::int64_t LocalSeconds(const CivilTime& time);
CivilTime FromLocalSeconds(std::int64_t seconds);

// The next regular free-up: the current minute (seconds dropped) plus the interval.
std::int64_t NextRegularTime(const CivilTime& now, std::int32_t minutes);

// Counts consecutive critical-timer ticks with free memory at or below the critical amount.
class CriticalCounter {
 public:
  // One tick: true when the count has passed `seconds`, after which it starts again from 0.
  bool Tick(std::uint64_t freeKB, std::int64_t criticalKB, std::int32_t seconds);
  void Reset() { m_count = 0; }
  std::int32_t Count() const { return m_count; }

 private:
  std::int32_t m_count = 0;
};

}  // namespace rsw
