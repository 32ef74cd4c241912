// Calendar days as whole numbers: days since 1970-01-01 in the proleptic Gregorian calendar,
// negative before it, so a history from 1752 is placed like one from 2024. The chart's date axis
// and the product figures' ranges both count with them.
#pragma once

#include <optional>
#include <string>

namespace Client {

// The day of a "YYYY-MM-DD" text (years 0000 to 9999, a real calendar day), or none.
std::optional<int> dayNumber(const std::wstring& isoDate);
int dayFromCivil(int year, int month, int day);
void civilFromDay(int dayNumber, int& year, int& month, int& day);
// "YYYY-MM-DD".
std::wstring isoDate(int dayNumber);

// The same day of the month that many months earlier; the month's last day where it has no such
// day (31 March less one month is 28 or 29 February).
int monthsEarlier(int dayNumber, int months);
// 31 December of the year before the day's year.
int endOfPreviousYear(int dayNumber);

} // namespace Client
