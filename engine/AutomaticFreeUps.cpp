#include "engine/AutomaticFreeUps.h"

namespace rsw {

namespace {

// Days since 1 January 1970 of a proleptic Gregorian date (Howard Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153u * static_cast<unsigned>(m + (m > 2 ? -3 : 9)) + 2u) / 5u + static_cast<unsigned>(d) - 1u;
  const unsigned doe = yoe * 365u + yoe / 4u - yoe / 100u + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

std::int64_t LocalSeconds(const CivilTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime FromLocalSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const auto year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
  return {
      year, month, day, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60)};
}

std::int64_t NextRegularTime(const CivilTime& now, std::int32_t minutes) {
  CivilTime minute = now;
  minute.second = 0;
  return LocalSeconds(minute) + std::int64_t{minutes} * 60;
}

bool CriticalCounter::Tick(std::uint64_t freeKB, std::int64_t criticalKB, std::int32_t seconds) {
  // Equality counts as low; a negative amount is never reached.
  const bool low = criticalKB >= 0 && freeKB <= static_cast<std::uint64_t>(criticalKB);
  m_count = low ? m_count + 1 : 0;
  if (m_count > seconds) {
    m_count = 0;
    return true;
  }
  return false;
}

}  // namespace rsw
