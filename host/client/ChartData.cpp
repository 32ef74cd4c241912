#include "ChartData.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include "ClientOptions.h"
#include "ProductLookup.h"

namespace Client {

namespace {

// The first column of the first row of a one-value query, or "".
std::wstring firstText(IDatabase* db, const std::wstring& sql) {
    XComPtr<Data::IDataTable> t = queryTable(db, sql);
    if (!t || t->rowCount() == 0)
        return L"";
    return t->getRow(0).getItem(0).getText().c_str();
}

} // namespace

ChartData loadChartData(IDatabase* db, const std::wstring& code, const std::wstring& pickedDate) {
    ChartData c;
    c.code = code;
    if (!db || !db->isOpen()) {
        c.message = L"没有可用的数据库";
        return c;
    }
    const std::wstring key = sqlText(code);
    XComPtr<Data::IDataTable> fund =
        queryTable(db, L"select name from tb_fund where code = " + key + L" order by isdeleted limit 1");
    if (fund && fund->rowCount() > 0) {
        c.known = true;
        c.name = fund->getRow(0).getItem(0).getText().c_str();
    }
    XComPtr<Data::IDataTable> values = queryTable(
        db, L"select date, value, totalvalue from tb_valuelist where code = " + key +
                L" and not isdeleted and (value is not null or totalvalue is not null) order by date");
    if (!values) {
        c.message = L"净值数据读取失败";
        return c;
    }
    for (int r = 0; r < values->rowCount(); ++r) {
        Data::IDataRow& row = values->getRow(r);
        NavPoint p;
        p.date = row.getItem(0).getText().c_str();
        std::optional<int> day = dayNumber(p.date);
        if (!day || (!c.points.empty() && *day <= c.points.back().day))
            continue; // a malformed or repeated day cannot be placed on the date axis
        p.day = *day;
        p.hasValue = cellNumber(row.getItem(1), p.value);
        p.hasTotal = cellNumber(row.getItem(2), p.total);
        if (p.hasValue || p.hasTotal)
            c.points.push_back(p);
    }
    if (XComPtr<Data::IDataTable> bonus =
            queryTable(db, L"select currdate, bonus from tb_bonus where code = " + key +
                               L" and not isdeleted order by currdate"))
        for (int r = 0; r < bonus->rowCount(); ++r) {
            Dividend d;
            d.date = bonus->getRow(r).getItem(0).getText().c_str();
            std::optional<int> day = dayNumber(d.date);
            if (day && cellNumber(bonus->getRow(r).getItem(1), d.bonus)) {
                d.day = *day;
                c.dividends.push_back(d);
            }
        }
    if (c.points.empty())
        c.message = c.known ? L"该产品暂无净值数据" : L"数据库中没有该产品";

    // The page's two dates, settled as the page settles them: the latest valuation day of a
    // listed collective product not after the pick, and the one before it.
    c.gapDays = suspensionGap(c.points);
    const std::optional<int> picked = dayNumber(pickedDate);
    if (picked)
        c.endLimit = *picked;
    if (picked && !c.points.empty()) {
        const std::wstring listed =
            L"select date from tb_valuelist a left join tb_fund b on a.code = b.code and "
            L"not b.isdeleted where b.fundtype = '集合理财产品' and isdellisting = 0 "
            L"and not a.isdeleted and date ";
        std::wstring end =
            firstText(db, listed + L"<= date('" + pickedDate + L"') order by date desc limit 1");
        std::wstring begin =
            end.empty() ? L"" : firstText(db, listed + L"< date('" + end + L"') order by date desc limit 1");
        for (const NavPoint& p : c.points) {
            if (!end.empty() && p.date == end)
                c.endDate = end;
            if (!begin.empty() && p.date == begin)
                c.beginDate = begin;
        }
    }
    return c;
}

int suspensionGap(const std::vector<NavPoint>& points) {
    if (points.size() < 3)
        return kGapDays;
    std::vector<int> steps;
    steps.reserve(points.size() - 1);
    for (size_t i = 1; i < points.size(); ++i)
        steps.push_back(points[i].day - points[i - 1].day);
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    const int usual = steps[steps.size() / 2];
    return std::max(kGapDays, usual > kGapDays ? 3 * usual : 0);
}

AdjustedSeries adjustedSeries(const ChartData& data) {
    std::vector<Valuation> values;
    values.reserve(data.points.size());
    for (const NavPoint& p : data.points)
        if (p.hasValue)
            values.push_back({p.day, p.value});
    std::vector<Payout> payouts;
    for (const Dividend& d : data.dividends)
        payouts.push_back({d.day, d.bonus});
    return AdjustedSeries(std::move(values), payouts);
}

Runs lineRuns(const std::vector<NavPoint>& points, bool total, int gapDays, size_t from, size_t to) {
    Runs runs;
    bool open = false;
    for (size_t i = from; i < std::min(to, points.size()); ++i) {
        bool has = total ? points[i].hasTotal : points[i].hasValue;
        if (!has) {
            open = false;
            continue;
        }
        if (open && points[i].day - points[runs.back().second].day <= gapDays)
            runs.back().second = i;
        else
            runs.emplace_back(i, i);
        open = true;
    }
    return runs;
}

ValueScale roundScale(double low, double high, int maxSteps) {
    ValueScale s;
    if (!std::isfinite(low) || !std::isfinite(high))
        return s;
    if (low > high)
        std::swap(low, high);
    maxSteps = std::max(1, maxSteps);
    const double size = std::max(std::fabs(low), std::fabs(high));
    // Relative to the values' size: near 1e7 a difference of 1e-9 is below what a tick's
    // arithmetic can hold, and a step that small would never move the running value.
    if (high - low <= size * 1e-9) {
        // One value (or a flat line): a band of a few percent around it keeps it mid-chart.
        const double pad = size > 0 ? size * 0.02 : 0.01;
        low = std::max(low - pad, -DBL_MAX);
        high = std::min(high + pad, DBL_MAX);
    }
    // Divided before subtracting, so values near the ends of the double range do not overflow.
    const double raw = high / maxSteps - low / maxSteps;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double factors[] = {1, 2, 2.5, 5, 10, 20, 25, 50, 100, 200, 250, 500};
    for (double factor : factors) {
        const double step = power * factor;
        if (!std::isfinite(step) || step < raw * (1 - 1e-9))
            continue;
        const double first = std::floor(low / step + 1e-9), last = std::ceil(high / step - 1e-9);
        const double steps = std::max(1.0, last - first);
        if (steps > maxSteps + 1e-9)
            continue;
        s.step = step;
        s.steps = static_cast<int>(steps);
        s.low = first * step;
        s.high = s.low + s.steps * step;
        if (std::isfinite(s.low) && std::isfinite(s.high))
            return s;
        break;
    }
    // No round step fits inside the double range: even steps between the values themselves.
    s.low = low;
    s.high = high;
    s.steps = maxSteps;
    s.step = raw;
    return s;
}

double ValueScale::tick(int i) const {
    const double v = low + i * step;
    if (std::isfinite(v))
        return v;
    // Near the ends of the double range: between the ends without overflowing.
    const double t = static_cast<double>(i) / steps;
    return low * (1 - t) + high * t;
}

std::vector<std::wstring> axisLabels(const ValueScale& scale, bool percent) {
    const double unit = percent ? 100 : 1;
    const double step = scale.step * unit;
    std::vector<std::wstring> labels;
    if (!(step > 0) || !std::isfinite(step))
        return labels;
    // Digits that show the step itself (2.5 needs one more than 2), so neighbours differ.
    const int stepExponent = static_cast<int>(std::floor(std::log10(step) + 1e-9));
    const double mantissa = step / std::pow(10.0, stepExponent);
    const int extra = std::fabs(mantissa - std::round(mantissa)) > 1e-6 ? 1 : 0;
    const int decimals = std::max(0, extra - stepExponent);
    auto tick = [&](int i) {
        double v = scale.tick(i) * unit;
        return std::fabs(v) < step * 1e-6 ? 0.0 : v; // no "-0.00"
    };
    const size_t kLongest = 12;
    bool fits = decimals <= 15;
    char text[400];
    for (int i = 0; fits && i <= scale.steps; ++i) {
        std::snprintf(text, sizeof text, "%.*f", decimals, tick(i));
        fits = std::strlen(text) <= kLongest;
        labels.emplace_back(text, text + std::strlen(text));
    }
    if (!fits) {
        // Very large or very small values: a mantissa with the digits that tell ticks apart.
        labels.clear();
        const double size = std::max(std::fabs(scale.low), std::fabs(scale.high)) * unit;
        const int digits =
            std::min(15, std::max(0, static_cast<int>(std::floor(std::log10(size))) - stepExponent + extra));
        for (int i = 0; i <= scale.steps; ++i) {
            std::snprintf(text, sizeof text, "%.*e", digits, tick(i));
            labels.emplace_back(text, text + std::strlen(text));
        }
    }
    if (percent)
        for (std::wstring& l : labels)
            l += L"%";
    return labels;
}

std::vector<int> monthTicks(int firstDay, int lastDay, int width, int minSpacing) {
    std::vector<int> ticks;
    if (lastDay <= firstDay || width <= 0)
        return ticks;
    const double perMonth = width * 30.44 / (lastDay - firstDay);
    int stride = 1;
    for (int s : {1, 2, 3, 4, 6, 12, 24, 60, 120, 240, 600, 1200, 2400, 6000, 12000}) {
        stride = s;
        if (perMonth * s >= minSpacing)
            break;
    }
    int y, m, d;
    civilFromDay(firstDay, y, m, d);
    if (d != 1 && ++m > 12) {
        m = 1;
        ++y;
    }
    for (;;) {
        int day = dayFromCivil(y, m, 1);
        if (day > lastDay)
            break;
        // Counted from year 0, so a stride of 12 or more lands on Januaries.
        if ((y * 12 + m - 1) % stride == 0)
            ticks.push_back(day);
        if (++m > 12) {
            m = 1;
            ++y;
        }
    }
    return ticks;
}

} // namespace Client
