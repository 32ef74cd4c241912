#include "ProductFigures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "CalendarDay.h"

namespace Client {

namespace {

const FigureRange kRanges[kFigureRangeCount] = {
    FigureRange::Month1, FigureRange::Month3, FigureRange::Month6, FigureRange::YearToDate,
    FigureRange::Year1,  FigureRange::Year3,  FigureRange::All};
const wchar_t* const kKeys[kFigureRangeCount] = {L"1M", L"3M", L"6M", L"YTD", L"1Y", L"3Y", L"ALL"};
const wchar_t* const kCaptions[kFigureRangeCount] = {L"1M", L"3M", L"6M", L"YTD", L"1Y", L"3Y", L"全部"};

std::optional<double> finite(double v) {
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

} // namespace

AdjustedSeries::AdjustedSeries(std::vector<Valuation> valuations, const std::vector<Payout>& payouts) {
    std::stable_sort(valuations.begin(), valuations.end(),
                     [](const Valuation& a, const Valuation& b) { return a.day < b.day; });
    for (const Valuation& v : valuations) {
        if (!std::isfinite(v.value) || v.value <= 0 || (!days_.empty() && days_.back() == v.day))
            continue;
        days_.push_back(v.day);
        values_.push_back(v.value);
    }
    bonus_.assign(days_.size(), 0.0);
    for (const Payout& p : payouts) {
        if (!std::isfinite(p.bonus))
            continue;
        auto at = std::lower_bound(days_.begin(), days_.end(), p.day);
        if (at != days_.end())
            bonus_[at - days_.begin()] += p.bonus;
    }
    adjusted_.resize(days_.size());
    for (size_t i = 0; i < days_.size(); ++i)
        adjusted_[i] = i == 0 ? 1.0 : adjusted_[i - 1] * growth(i);
}

int AdjustedSeries::lastOnOrBefore(int day) const {
    auto after = std::upper_bound(days_.begin(), days_.end(), day);
    return static_cast<int>(after - days_.begin()) - 1;
}

int AdjustedSeries::indexOf(int day) const {
    auto at = std::lower_bound(days_.begin(), days_.end(), day);
    return at != days_.end() && *at == day ? static_cast<int>(at - days_.begin()) : -1;
}

const FigureRange* allFigureRanges() {
    return kRanges;
}

const wchar_t* rangeKey(FigureRange range) {
    return kKeys[static_cast<int>(range)];
}

const wchar_t* rangeCaption(FigureRange range) {
    return kCaptions[static_cast<int>(range)];
}

bool parseRangeKey(const std::wstring& key, FigureRange& range) {
    for (int i = 0; i < kFigureRangeCount; ++i)
        if (key == kKeys[i]) {
            range = kRanges[i];
            return true;
        }
    return false;
}

int rangeStartBound(FigureRange range, int endDay) {
    switch (range) {
    case FigureRange::Month1:
        return monthsEarlier(endDay, 1);
    case FigureRange::Month3:
        return monthsEarlier(endDay, 3);
    case FigureRange::Month6:
        return monthsEarlier(endDay, 6);
    case FigureRange::YearToDate:
        return endOfPreviousYear(endDay);
    case FigureRange::Year1:
        return monthsEarlier(endDay, 12);
    case FigureRange::Year3:
        return monthsEarlier(endDay, 36);
    case FigureRange::All:
        break;
    }
    return INT_MIN;
}

RangeFigures rangeFigures(const AdjustedSeries& s, FigureRange range, int endLimit, double riskFreeRate) {
    RangeFigures f;
    const int e = s.lastOnOrBefore(endLimit);
    if (e < 0)
        return f;
    const int b = range == FigureRange::All ? 0 : s.lastOnOrBefore(rangeStartBound(range, s.day(e)));
    if (b < 0)
        return f;
    f.available = true;
    f.startIndex = b;
    f.endIndex = e;
    f.startDay = s.day(b);
    f.endDay = s.day(e);
    const double growth = s.adjusted(e) / s.adjusted(b);
    const int days = f.endDay - f.startDay;
    f.totalReturn = finite(growth - 1);
    if (days >= 365)
        f.annualised = finite(std::pow(growth, 365.0 / days) - 1);

    // The running maximum's latest day is the peak; the first day reaching the deepest fall is
    // the trough. A value that never falls keeps both on the start.
    double high = s.adjusted(b), deepest = 0;
    int highDay = f.startDay;
    f.peakDay = f.troughDay = f.startDay;
    for (int j = b; j <= e; ++j) {
        if (s.adjusted(j) >= high) {
            high = s.adjusted(j);
            highDay = s.day(j);
        }
        const double fall = 1 - s.adjusted(j) / high;
        if (fall > deepest) {
            deepest = fall;
            f.peakDay = highDay;
            f.troughDay = s.day(j);
        }
    }
    f.maxDrawdown = finite(deepest);

    const int steps = e - b;
    if (steps >= 2) {
        double sum = 0, low = s.growth(b + 1), top = low;
        for (int j = b + 1; j <= e; ++j) {
            sum += s.growth(j) - 1;
            low = std::min(low, s.growth(j));
            top = std::max(top, s.growth(j));
        }
        double deviation = 0;
        // Equal steps deviate by nothing; their rounded mean must not invent a spread.
        if (low != top) {
            const double mean = sum / steps;
            double squares = 0;
            for (int j = b + 1; j <= e; ++j) {
                const double d = (s.growth(j) - 1) - mean;
                squares += d * d;
            }
            deviation = std::sqrt(squares / (steps - 1));
        }
        f.volatility = finite(deviation * std::sqrt(steps * 365.0 / days));
    }
    if (f.annualised && f.volatility && *f.volatility != 0)
        f.sharpe = finite((*f.annualised - riskFreeRate) / *f.volatility);
    return f;
}

std::optional<double> latestStepReturn(const AdjustedSeries& s, int endLimit) {
    const int e = s.lastOnOrBefore(endLimit);
    if (e < 1)
        return std::nullopt;
    return finite(s.growth(e) - 1);
}

std::wstring plainDecimal(std::optional<double> value, int digits) {
    if (!value || !std::isfinite(*value))
        return L"--";
    double v = *value;
    if (v == 0)
        return L"0";
    if (digits < 1)
        digits = 1;
    // The exponent after rounding to the digits asked for, so 9.9999999999 counts as 10.
    char scientific[64];
    std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, v);
    const char* e = std::strchr(scientific, 'e');
    const int exponent = e ? std::atoi(e + 1) : 0;
    // Digits beyond the significant ones are zeros, also left of the point.
    v = std::strtod(scientific, nullptr);
    const int decimals = std::max(0, digits - 1 - exponent);
    std::vector<char> text(static_cast<size_t>(std::max(0, exponent)) + decimals + 8);
    std::snprintf(text.data(), text.size(), "%.*f", decimals, v);
    return std::wstring(text.data(), text.data() + std::strlen(text.data()));
}

std::wstring figuresTable(const AdjustedSeries& series, int endLimit, double riskFreeRate) {
    std::wstring out =
        L"range\tstart\tend\treturn\tannualised\tmaxdrawdown\tpeak\ttrough\tvolatility\tsharpe\n";
    for (int i = 0; i < kFigureRangeCount; ++i) {
        const RangeFigures f = rangeFigures(series, kRanges[i], endLimit, riskFreeRate);
        out += kKeys[i];
        if (!f.available) {
            for (int k = 0; k < 9; ++k)
                out += L"\t--";
            out += L"\n";
            continue;
        }
        out += L"\t" + isoDate(f.startDay) + L"\t" + isoDate(f.endDay) + L"\t" + plainDecimal(f.totalReturn) +
               L"\t" + plainDecimal(f.annualised) + L"\t" + plainDecimal(f.maxDrawdown) + L"\t" +
               isoDate(f.peakDay) + L"\t" + isoDate(f.troughDay) + L"\t" + plainDecimal(f.volatility) +
               L"\t" + plainDecimal(f.sharpe) + L"\n";
    }
    return out;
}

} // namespace Client
