// The texts a data file's fields hold, read as what they stand for: dates in the three
// spellings people's files use, numbers with or without thousands separators, buy and redeem
// states, and UTF-8 checked before it reaches the database.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ImportFields {

// Without the blanks (spaces and tabs) at either end.
std::string_view trim(std::string_view text);

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};
enum class DateResult { Ok, NotADate, NoSuchDay };
// "2024-05-31", "2024/5/31" or "20240531" (four-digit year, the same separator twice).
DateResult parseDate(std::string_view text, Date& date);
// "YYYY-MM-DD", the form the database stores.
std::string formatDate(const Date& date);
// Days since 1970-01-01 (negative before).
int64_t dayNumber(const Date& date);

// A finite decimal number: an optional sign, digits with an optional thousands separator
// (",", every three digits), an optional fraction and exponent. NaN, infinities and numbers too
// large for a double are refused.
bool parseNumber(std::string_view text, double& value);

// "开放" or 1 (open), "暂停" or 0 (suspended).
bool parseState(std::string_view text, int& state);

bool isUtf8(std::string_view text);

} // namespace ImportFields
