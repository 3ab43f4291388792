#include "platform/dos_time.h"

namespace vantorel::platform {
namespace {

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool Valid(const DosFields& f) {
  return f.year >= 1980 && f.year <= 2107 && f.month >= 1 && f.month <= 12 && f.day >= 1 &&
         f.day <= DaysInMonth(f.year, f.month) && f.hour >= 0 && f.hour < 24 && f.minute >= 0 &&
         f.minute < 60 && f.second >= 0 && f.second < 60;
}

}  // namespace

bool PackDosDateTime(const DosFields& f, uint32_t& stamp) {
  if (!Valid(f)) return false;
  uint32_t date = static_cast<uint32_t>(((f.year - 1980) << 9) | (f.month << 5) | f.day);
  uint32_t time = static_cast<uint32_t>((f.hour << 11) | (f.minute << 5) | (f.second / 2));
  stamp = (date << 16) | time;
  return true;
}

bool UnpackDosDateTime(uint32_t stamp, DosFields& fields) {
  DosFields f;
  uint32_t date = stamp >> 16, time = stamp & 0xFFFF;
  f.year = 1980 + static_cast<int>(date >> 9);
  f.month = static_cast<int>((date >> 5) & 0x0F);
  f.day = static_cast<int>(date & 0x1F);
  f.hour = static_cast<int>(time >> 11);
  f.minute = static_cast<int>((time >> 5) & 0x3F);
  f.second = static_cast<int>(time & 0x1F) * 2;
  if (!Valid(f)) return false;
  fields = f;
  return true;
}

}  // namespace vantorel::platform
