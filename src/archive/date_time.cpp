#include "archive/date_time.h"

#include <cmath>

namespace vantorel {
namespace {

// Days from 1970-01-01 of a civil date, and back (the proleptic Gregorian calendar).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

const int64_t kEpochDelta = -DaysFromCivil(1899, 12, 30);  // 1970-01-01 in day-count terms

bool DaysInMonthOk(int64_t y, unsigned m, unsigned d) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12 || d < 1) return false;
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

}  // namespace

TDateTime DosDateTimeToDateTime(uint32_t stamp) {
  const unsigned date = stamp >> 16, time = stamp & 0xFFFF;
  const int64_t year = 1980 + (date >> 9);
  const unsigned month = (date >> 5) & 15, day = date & 31;
  const unsigned hour = time >> 11, minute = (time >> 5) & 63, second = (time & 31) * 2;
  if (!DaysInMonthOk(year, month, day) || hour > 23 || minute > 59 || second > 59) return 0;
  const int64_t days = DaysFromCivil(year, month, day) + kEpochDelta;
  return static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

bool DateTimeToDosDateTime(TDateTime value, uint32_t& stamp) {
  if (!std::isfinite(value) || value < 0 || value > 100000) return false;
  double whole = std::floor(value);
  int64_t days = static_cast<int64_t>(whole);
  int64_t seconds = static_cast<int64_t>(std::nearbyint((value - whole) * 86400.0));
  if (seconds >= 86400) {
    days += 1;
    seconds -= 86400;
  }
  int64_t y;
  unsigned m, d;
  CivilFromDays(days - kEpochDelta, y, m, d);
  if (y < 1980 || y > 2107) return false;
  const uint32_t date = static_cast<uint32_t>(((y - 1980) << 9) | (m << 5) | d);
  const uint32_t time = static_cast<uint32_t>(((seconds / 3600) << 11) |
                                              (((seconds / 60) % 60) << 5) | ((seconds % 60) / 2));
  stamp = (date << 16) | time;
  return true;
}

}  // namespace vantorel
