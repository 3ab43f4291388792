#pragma once
// DOS date-time stamps (date in the high word, time in the low word, two-second resolution,
// local time) and their fields. A backend helper; the posix backend converts through the C
// library's local time, the win32 backend through the system's own conversion.
#include <cstdint>

namespace vantorel::platform {

struct DosFields {
  int year = 1980;  // 1980 .. 2107
  int month = 1;    // 1 .. 12
  int day = 1;      // 1 .. days of the month
  int hour = 0;
  int minute = 0;
  int second = 0;  // even; an odd second is rounded down
};

// False when a field is out of the stamp's range.
bool PackDosDateTime(const DosFields& fields, uint32_t& stamp);
// False when the stamp does not name a real date and time (month 13, 30 February, hour 25...).
bool UnpackDosDateTime(uint32_t stamp, DosFields& fields);

}  // namespace vantorel::platform
