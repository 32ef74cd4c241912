// Calendar days and the product figures on small histories whose answers are worked out by hand;
// chart_figures.py checks the figures of whole generated products against its own computation.
#include <gtest/gtest.h>
#include <cmath>
#include "CalendarDay.h"
#include "ProductFigures.h"

using namespace Client;

namespace {

int day(const wchar_t* iso) {
    std::optional<int> d = dayNumber(iso);
    EXPECT_TRUE(d.has_value()) << std::string(iso, iso + wcslen(iso));
    return d.value_or(0);
}

AdjustedSeries series(std::initializer_list<std::pair<const wchar_t*, double>> values,
                      std::initializer_list<std::pair<const wchar_t*, double>> dividends = {}) {
    std::vector<Valuation> v;
    for (const auto& p : values)
        v.push_back({day(p.first), p.second});
    std::vector<Payout> b;
    for (const auto& p : dividends)
        b.push_back({day(p.first), p.second});
    return AdjustedSeries(v, b);
}

} // namespace

TEST(CalendarDay, EveryValidDateCountsAndMonthsEndOnRealDays) {
    EXPECT_EQ(dayNumber(L"1970-01-01"), 0);
    EXPECT_EQ(dayNumber(L"1969-12-31"), -1) << "the day before the epoch is a day, not an error";
    EXPECT_EQ(isoDate(day(L"1752-09-14")), L"1752-09-14");
    EXPECT_EQ(day(L"1753-01-01") - day(L"1752-12-31"), 1);
    EXPECT_EQ(isoDate(day(L"0001-01-01")), L"0001-01-01");
    EXPECT_EQ(day(L"2024-03-01") - day(L"2024-02-28"), 2);
    for (const wchar_t* bad : {L"2026-02-30", L"2025-02-29", L"2026-13-01", L"2026-00-10", L"2026-1-05",
                               L"２０２６-01-05", L"", L"2026/01/05", L"2026-01-05 "})
        EXPECT_FALSE(dayNumber(bad).has_value()) << std::string(bad, bad + wcslen(bad));

    // Month-end days clamp to the shorter month; leap days too.
    EXPECT_EQ(isoDate(monthsEarlier(day(L"2024-03-31"), 1)), L"2024-02-29");
    EXPECT_EQ(isoDate(monthsEarlier(day(L"2023-03-31"), 1)), L"2023-02-28");
    EXPECT_EQ(isoDate(monthsEarlier(day(L"2024-02-29"), 12)), L"2023-02-28");
    EXPECT_EQ(isoDate(monthsEarlier(day(L"2024-08-31"), 6)), L"2024-02-29");
    EXPECT_EQ(isoDate(monthsEarlier(day(L"2024-01-15"), 3)), L"2023-10-15");
    EXPECT_EQ(isoDate(monthsEarlier(day(L"2026-03-13"), 36)), L"2023-03-13");
    EXPECT_EQ(isoDate(monthsEarlier(day(L"0001-02-10"), 2)), L"0000-12-10");
    EXPECT_EQ(isoDate(endOfPreviousYear(day(L"2026-01-02"))), L"2025-12-31");
    EXPECT_EQ(isoDate(endOfPreviousYear(day(L"2025-12-31"))), L"2024-12-31");
}

TEST(ProductFigures, DividendsApplyOnTheirDayOrTheNextValuationDay) {
    // 2024-01-06 is a Saturday: its dividend applies on Monday 01-08. One after the last day
    // waits; a day without a usable value is no valuation day.
    AdjustedSeries s = series({{L"2024-01-04", 1.00},
                               {L"2024-01-05", 1.10},
                               {L"2024-01-08", 1.00},
                               {L"2024-01-09", 0.0},
                               {L"2024-01-10", NAN},
                               {L"2024-01-11", 1.05}},
                              {{L"2024-01-06", 0.10}, {L"2024-01-11", 0.05}, {L"2024-01-20", 9.0}});
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s.day(3), day(L"2024-01-11"));
    EXPECT_DOUBLE_EQ(s.bonus(2), 0.10);
    EXPECT_DOUBLE_EQ(s.adjusted(1), 1.10);
    EXPECT_DOUBLE_EQ(s.adjusted(2), 1.10 * (1.00 + 0.10) / 1.10);
    EXPECT_DOUBLE_EQ(s.adjusted(3), s.adjusted(2) * (1.05 + 0.05) / 1.00);
    EXPECT_EQ(s.lastOnOrBefore(day(L"2024-01-07")), 1);
    EXPECT_EQ(s.lastOnOrBefore(day(L"2024-01-03")), -1);
    EXPECT_NEAR(latestStepReturn(s).value(), 0.10, 1e-12);
    EXPECT_NEAR(latestStepReturn(s, day(L"2024-01-09")).value(), 0.0, 1e-12);
    EXPECT_FALSE(latestStepReturn(s, day(L"2024-01-04")));

    // A dividend on the first day has no step to go into.
    AdjustedSeries first = series({{L"2024-01-04", 1.0}, {L"2024-01-05", 1.0}}, {{L"2024-01-01", 0.5}});
    EXPECT_DOUBLE_EQ(first.adjusted(1), 1.0);
}

TEST(ProductFigures, DrawdownPeaksOnTheLatestHighAndTroughsOnTheFirstLow) {
    // Ratios that are powers of two keep every adjusted value exact: highs of 4 on 01-03 and
    // 01-05, the deepest fall (to 1) on 01-08 and again on 01-10.
    AdjustedSeries s = series({{L"2024-01-02", 1.0},
                               {L"2024-01-03", 4.0},
                               {L"2024-01-04", 2.0},
                               {L"2024-01-05", 4.0},
                               {L"2024-01-08", 1.0},
                               {L"2024-01-09", 2.0},
                               {L"2024-01-10", 1.0},
                               {L"2024-01-11", 2.0}});
    RangeFigures f = rangeFigures(s, FigureRange::All, kNoEndLimit, 0.015);
    ASSERT_TRUE(f.available);
    EXPECT_EQ(f.maxDrawdown.value(), 0.75);
    EXPECT_EQ(isoDate(f.peakDay), L"2024-01-05");
    EXPECT_EQ(isoDate(f.troughDay), L"2024-01-08");
    EXPECT_EQ(f.totalReturn.value(), 1.0);
    EXPECT_FALSE(f.annualised) << "nine days are not a year";
    EXPECT_TRUE(f.volatility);
    EXPECT_FALSE(f.sharpe);

    // Never falling: no drawdown, both dates on the start; equal steps have no spread at all.
    AdjustedSeries rising = series({{L"2023-01-02", 1.0}, {L"2023-06-01", 1.25}, {L"2024-01-02", 1.5625}});
    RangeFigures r = rangeFigures(rising, FigureRange::All, kNoEndLimit, 0.015);
    EXPECT_EQ(r.maxDrawdown.value(), 0.0);
    EXPECT_EQ(r.peakDay, r.startDay);
    EXPECT_EQ(r.troughDay, r.startDay);
    EXPECT_EQ(r.volatility.value(), 0.0);
    EXPECT_FALSE(r.sharpe) << "a volatility of 0 gives no ratio";
    EXPECT_DOUBLE_EQ(r.annualised.value(), 0.5625) << "exactly 365 days";
}

TEST(ProductFigures, RangesStartOnTheLastValuationDayOnOrBeforeTheirBound) {
    // Monthly values on the last weekday; the end limit falls between two of them.
    AdjustedSeries s = series({{L"2023-01-31", 1.00},
                               {L"2023-12-29", 1.05},
                               {L"2024-01-31", 1.06},
                               {L"2024-02-29", 1.04},
                               {L"2024-03-29", 1.08}});
    const int limit = day(L"2024-03-31");
    RangeFigures m1 = rangeFigures(s, FigureRange::Month1, limit, 0.015);
    ASSERT_TRUE(m1.available);
    EXPECT_EQ(isoDate(m1.endDay), L"2024-03-29");
    EXPECT_EQ(isoDate(m1.startDay), L"2024-02-29") << "bound 2024-02-29";
    EXPECT_EQ(isoDate(rangeFigures(s, FigureRange::YearToDate, limit, 0).startDay), L"2023-12-29");
    RangeFigures y1 = rangeFigures(s, FigureRange::Year1, limit, 0.015);
    EXPECT_EQ(isoDate(y1.startDay), L"2023-01-31") << "bound 2023-03-29";
    EXPECT_FALSE(rangeFigures(s, FigureRange::Year3, limit, 0.015).available);
    // Before the first value nothing is available; a single value is its own 全部 range.
    EXPECT_FALSE(rangeFigures(s, FigureRange::All, day(L"2023-01-30"), 0.015).available);
    RangeFigures one = rangeFigures(s, FigureRange::All, day(L"2023-02-01"), 0.015);
    ASSERT_TRUE(one.available);
    EXPECT_EQ(one.startDay, one.endDay);
    EXPECT_EQ(one.totalReturn.value(), 0.0);
    EXPECT_FALSE(one.volatility);
    EXPECT_FALSE(rangeFigures(s, FigureRange::Month1, day(L"2023-02-01"), 0.015).available);
}

TEST(ProductFigures, TheStatsTableWritesPlainDecimalsAndDashes) {
    EXPECT_EQ(plainDecimal(0.05), L"0.05000000000");
    EXPECT_EQ(plainDecimal(-0.123456789012), L"-0.1234567890");
    EXPECT_EQ(plainDecimal(9.99999999996), L"10.00000000");
    EXPECT_EQ(plainDecimal(1.5e-12), L"0.000000000001500000000");
    EXPECT_EQ(plainDecimal(12345678901234.0), L"12345678900000");
    EXPECT_EQ(plainDecimal(0.0), L"0");
    EXPECT_EQ(plainDecimal(std::nullopt), L"--");
    EXPECT_EQ(plainDecimal(INFINITY), L"--");

    AdjustedSeries s = series({{L"2024-01-02", 1.0}, {L"2024-01-03", 2.0}, {L"2024-01-04", 1.0}});
    std::wstring table = figuresTable(s, kNoEndLimit, 0.015);
    EXPECT_EQ(table.substr(0, table.find(L'\n')),
              L"range\tstart\tend\treturn\tannualised\tmaxdrawdown\tpeak\ttrough\tvolatility\tsharpe");
    EXPECT_NE(table.find(L"\n1M\t--\t--\t--\t--\t--\t--\t--\t--\t--\n"), std::wstring::npos);
    EXPECT_NE(table.find(L"\nALL\t2024-01-02\t2024-01-04\t0\t--\t0.5000000000\t2024-01-03\t2024-01-04\t"),
              std::wstring::npos)
        << std::string(table.begin(), table.end());
    size_t lines = 0;
    for (wchar_t c : table)
        lines += c == L'\n';
    EXPECT_EQ(lines, 8u);
}
