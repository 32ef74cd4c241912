// Decimal point and digit grouping used when grid cells show numbers. The user's Windows settings
// are read once; tests install a locale of their own with setCurrent.
#pragma once

#include <string>
#include <vector>

class NumberLocale {
public:
    std::wstring decimalPoint = L".";
    std::wstring thousandSeparator = L",";
    // Group sizes from the decimal point leftwards; the last one repeats when repeatLast is set.
    // Empty: no grouping.
    std::vector<int> groups;
    bool repeatLast = false;

    // A locale without grouping and with "." as decimal point.
    static NumberLocale plain();
    // The user's settings (GetLocaleInfoEx of LOCALE_NAME_USER_DEFAULT); plain() where unreadable.
    static NumberLocale user();
    // Windows grouping text such as "3;0" (threes repeated), "3" (one group) or "3;2;0".
    static void parseGrouping(const wchar_t* text, NumberLocale& locale);

    // The locale formatters use; the user's on first use.
    static const NumberLocale& current();
    static void setCurrent(const NumberLocale& locale);

    // Rewrites a C-locale number text ("-12345.678", "1.5e+07", "inf") with this locale's decimal
    // point and grouping of the integer digits, appending to out.
    void localize(const char* number, std::wstring& out) const;
};
