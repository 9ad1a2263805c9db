// Date-time values as days since 30 December 1899 with the time of day as the fraction, the
// form that the settings files, the trace records and the update check store.
#pragma once

namespace qv {

using TDateTime = double;

// Days since 30 December 1899 for a proleptic Gregorian date; false for an invalid date.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);

}  // namespace qv
