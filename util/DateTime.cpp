#include "util/DateTime.h"

namespace qv {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  static const int kDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                   {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  const auto& monthDays = kDays[IsLeapYear(year) ? 1 : 0];
  if (day < 1 || day > monthDays[month - 1]) return false;
  int dayOfYear = day;
  for (int m = 0; m < month - 1; ++m) dayOfYear += monthDays[m];
  const long long y = year - 1;
  const long long daysBefore = y * 365 + y / 4 - y / 100 + y / 400;
  // 693594 days lie between 1 January 0001 and 30 December 1899.
  result = double(daysBefore + dayOfYear - 693594);
  return true;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / 86400000.0;
}

}  // namespace qv
