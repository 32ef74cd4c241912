// The figures investors check first, from a product's valuation history and dividends: the
// adjusted (dividends reinvested) values and, over the ranges 1M to 全部 ending on a given day,
// return, annualised return, maximum drawdown, annualised volatility and Sharpe ratio. Plain
// data and arithmetic: the chart's panel, its stats file and the lists' return columns share it.
#pragma once

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace Client {

// A valuation day and its unit net value.
struct Valuation {
    int day = 0; // CalendarDay's day number
    double value = 0;
};

// A dividend per unit, paid on a day (a valuation day or not).
struct Payout {
    int day = 0;
    double bonus = 0;
};

// The product's valuation days d0..dn with unit values v and the adjusted values A: A0 = 1,
// Ai = Ai-1 * gi with the growth of one step gi = (vi + bi) / vi-1, bi the dividends applied on
// di. A dividend applies on its own day when that is a valuation day, otherwise on the first
// valuation day after it; one paid after the last valuation day waits for the next.
class AdjustedSeries {
public:
    AdjustedSeries() = default;
    // Valuations in any order. A day without a usable unit value (not finite, zero or below) is
    // left out: a step through it would carry a division by zero into every later value. Of a
    // repeated day the first is kept.
    AdjustedSeries(std::vector<Valuation> valuations, const std::vector<Payout>& payouts);

    size_t size() const { return days_.size(); }
    bool empty() const { return days_.empty(); }
    int day(size_t i) const { return days_[i]; }
    double value(size_t i) const { return values_[i]; }
    double bonus(size_t i) const { return bonus_[i]; } // applied on day i
    double adjusted(size_t i) const { return adjusted_[i]; }
    // gi; 1 for the first day, which has no step.
    double growth(size_t i) const { return i == 0 ? 1.0 : (values_[i] + bonus_[i]) / values_[i - 1]; }
    // The index of the last valuation day on or before day, or -1.
    int lastOnOrBefore(int day) const;
    // The index of day itself, or -1.
    int indexOf(int day) const;

private:
    std::vector<int> days_;
    std::vector<double> values_, bonus_, adjusted_;
};

enum class FigureRange { Month1, Month3, Month6, YearToDate, Year1, Year3, All };
constexpr int kFigureRangeCount = 7;
// All ranges in the order the buttons and the stats file list them.
const FigureRange* allFigureRanges();
// "1M", "3M", "6M", "YTD", "1Y", "3Y", "ALL": the stats file and the command line.
const wchar_t* rangeKey(FigureRange range);
// "1M" ... "3Y", "全部": the chart's buttons.
const wchar_t* rangeCaption(FigureRange range);
bool parseRangeKey(const std::wstring& key, FigureRange& range);

// The day a range's start is looked up on or before, given its end day (for 全部 the end day's
// own lower bound: every day counts).
int rangeStartBound(FigureRange range, int endDay);

// No end limit: the figures end on the product's last valuation day.
constexpr int kNoEndLimit = INT_MAX;

// The figures of one range. A figure that cannot be given is empty (shown as "--"); when the
// range itself is not available (no valuation day on or before its end limit or its start
// bound), every figure is.
struct RangeFigures {
    bool available = false;
    int startIndex = -1, endIndex = -1; // into the series
    int startDay = 0, endDay = 0;
    std::optional<double> totalReturn; // A_end / A_start - 1
    std::optional<double> annualised;  // empty under 365 days
    std::optional<double> maxDrawdown; // a fraction: 0.12 is a fall of 12 %
    int peakDay = 0, troughDay = 0;    // of the maximum drawdown
    std::optional<double> volatility;  // annualised; empty with fewer than 2 steps
    std::optional<double> sharpe;      // empty when either part is, or the volatility is 0
};

// The range ends on the last valuation day on or before endLimit.
RangeFigures rangeFigures(const AdjustedSeries& series, FigureRange range, int endLimit, double riskFreeRate);

// The growth of the last step on or before endLimit (the day's return), or empty with fewer
// than two valuation days.
std::optional<double> latestStepReturn(const AdjustedSeries& series, int endLimit = kNoEndLimit);

// The risk-free rate the Sharpe ratio uses when the system configuration has none.
constexpr double kDefaultRiskFreeRate = 0.015;

// A number as a plain decimal (no exponent) with that many significant digits; "--" for none or
// a value that is not finite.
std::wstring plainDecimal(std::optional<double> value, int significantDigits = 10);

// The stats file's text: the header line "range\tstart\tend\treturn\tannualised\tmaxdrawdown\t
// peak\ttrough\tvolatility\tsharpe" and one line per range in button order, each ending "\n".
std::wstring figuresTable(const AdjustedSeries& series, int endLimit, double riskFreeRate);

} // namespace Client
