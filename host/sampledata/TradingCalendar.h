// Valuation dates: weekdays that are not market holidays. Days are counted from 1970-01-01.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TradingCalendar final {
public:
    static int64_t dayNumber(int year, int month, int day);
    static void civil(int64_t dayNumber, int& year, int& month, int& day);
    // "%d-%02d-%02d", the form the database stores.
    static std::string format(int64_t dayNumber);
    // Accepts YYYY-MM-DD with a real calendar date.
    static bool parse(const std::string& text, int64_t& dayNumber);

    static bool isWeekend(int64_t dayNumber);
    // The fixed list of market closures: New Year, the Spring Festival week, Qingming, Labour
    // Day and the National Day week (Spring Festival dates known for 2021 to 2027).
    static bool isHoliday(int64_t dayNumber);
    static bool isValuationDay(int64_t dayNumber) { return !isWeekend(dayNumber) && !isHoliday(dayNumber); }
    // The count latest valuation dates not after lastDay, oldest first.
    static std::vector<int64_t> valuationDates(int64_t lastDay, int count);
};
