#include "ChartData.h"

#include <cmath>
#include <cstdio>
#include "ClientOptions.h"
#include "ProductLookup.h"

namespace Client {

namespace {

// Days from 1970-01-01 in the proleptic Gregorian calendar, and back.
int daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int z, int& y, int& m, int& d) {
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yoe + era * 400 + (m <= 2);
}

// The first column of the first row of a one-value query, or "".
std::wstring firstText(IDatabase* db, const std::wstring& sql) {
    XComPtr<Data::IDataTable> t = queryTable(db, sql);
    if (!t || t->rowCount() == 0)
        return L"";
    return t->getRow(0).getItem(0).getText().c_str();
}

} // namespace

int dayNumber(const std::wstring& text) {
    int y, m, d;
    if (!parseIsoDate(text, y, m, d))
        return -1;
    return daysFromCivil(y, m, d);
}

std::wstring isoDate(int day) {
    int y, m, d;
    civilFromDays(day, y, m, d);
    wchar_t buf[16];
    swprintf(buf, 16, L"%04d-%02d-%02d", y, m, d);
    return buf;
}

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
        p.day = dayNumber(p.date);
        if (p.day < 0 || (!c.points.empty() && p.day <= c.points.back().day))
            continue; // a malformed or repeated day cannot be placed on the date axis
        p.hasValue = !row.getItem(1).isNull();
        p.value = row.getItem(1).getDouble();
        p.hasTotal = !row.getItem(2).isNull();
        p.total = row.getItem(2).getDouble();
        c.points.push_back(p);
    }
    if (XComPtr<Data::IDataTable> bonus =
            queryTable(db, L"select currdate, bonus from tb_bonus where code = " + key +
                               L" and not isdeleted order by currdate"))
        for (int r = 0; r < bonus->rowCount(); ++r) {
            Dividend d;
            d.date = bonus->getRow(r).getItem(0).getText().c_str();
            d.day = dayNumber(d.date);
            d.bonus = bonus->getRow(r).getItem(1).getDouble();
            if (d.day >= 0)
                c.dividends.push_back(d);
        }
    if (c.points.empty())
        c.message = c.known ? L"该产品暂无净值数据" : L"数据库中没有该产品";

    // The page's two dates, settled as the page settles them: the latest valuation day of a
    // listed collective product not after the pick, and the one before it.
    if (dayNumber(pickedDate) >= 0 && !c.points.empty()) {
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

std::vector<std::pair<size_t, size_t>> lineRuns(const std::vector<NavPoint>& points, bool total) {
    std::vector<std::pair<size_t, size_t>> runs;
    bool open = false;
    for (size_t i = 0; i < points.size(); ++i) {
        bool has = total ? points[i].hasTotal : points[i].hasValue;
        if (!has) {
            open = false;
            continue;
        }
        if (open && points[i].day - points[runs.back().second].day <= kGapDays)
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
    if (maxSteps < 1)
        maxSteps = 1;
    if (high - low < 1e-9) {
        // One value (or a flat line): a band of a few percent around it keeps it mid-chart.
        double pad = std::fabs(low) > 1e-9 ? std::fabs(low) * 0.02 : 0.01;
        low -= pad;
        high += pad;
    }
    // The smallest round step whose aligned range needs no more than maxSteps steps.
    double raw = (high - low) / maxSteps;
    double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (int i = 0; i < 12; ++i) {
        const double factors[] = {1.0, 2.0, 2.5, 5.0};
        double step = power * factors[i % 4] * (i >= 4 ? (i >= 8 ? 100 : 10) : 1);
        if (step < raw * (1 - 1e-9))
            continue;
        s.step = step;
        s.low = std::floor(low / step + 1e-9) * step;
        s.high = std::ceil(high / step - 1e-9) * step;
        if (s.high <= s.low)
            s.high = s.low + step;
        if ((s.high - s.low) / step <= maxSteps + 1e-9)
            break;
    }
    s.decimals = 0;
    for (double t = s.step; s.decimals < 6 && std::fabs(t - std::round(t)) > 1e-6; t *= 10)
        ++s.decimals;
    return s;
}

std::vector<int> monthTicks(int firstDay, int lastDay, int width, int minSpacing) {
    std::vector<int> ticks;
    if (lastDay <= firstDay || width <= 0)
        return ticks;
    const double perMonth = width * 30.44 / (lastDay - firstDay);
    int stride = 1;
    for (int s : {1, 2, 3, 4, 6, 12, 24, 60, 120}) {
        stride = s;
        if (perMonth * s >= minSpacing)
            break;
    }
    int y, m, d;
    civilFromDays(firstDay, y, m, d);
    if (d != 1 && ++m > 12) {
        m = 1;
        ++y;
    }
    for (;;) {
        int day = daysFromCivil(y, m, 1);
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
