#include "ProductLookup.h"

#include <cmath>
#include <unordered_map>
#include "CalendarDay.h"
#include "Kernel.h"
#include "ProductFigures.h"

namespace Client {

bool cellNumber(Data::IDataItem& item, double& out) {
    if (item.isNull())
        return false;
    double v = item.getDouble();
    if (v == 0) {
        // A text that is no number also reads as 0.
        bool ok = false;
        item.getText().toDouble(&ok);
        if (!ok)
            return false;
    }
    if (!std::isfinite(v))
        return false;
    out = v;
    return true;
}

std::wstring sqlText(const std::wstring& text) {
    std::wstring out = L"'";
    for (wchar_t c : text) {
        if (c == L'\0')
            break;
        out += c;
        if (c == L'\'')
            out += L'\'';
    }
    return out + L"'";
}

XComPtr<Data::IDataTable> queryTable(IDatabase* db, const std::wstring& sql) {
    if (!db || !db->isOpen())
        return nullptr;
    XComPtr<Data::IDataTable> table = createInstanceAs<Data::IDataTable>("Data.DataTable");
    if (!table || !db->query(sql.c_str(), table.get(), true, 0))
        return nullptr;
    return table;
}

bool describeProducts(IDatabase* db, const std::vector<std::wstring>& codes,
                      std::vector<ProductSummary>& out) {
    out.clear();
    for (const std::wstring& c : codes) {
        ProductSummary s;
        s.code = c;
        out.push_back(s);
    }
    if (!db || !db->isOpen())
        return false;
    if (codes.empty())
        return true;
    std::wstring list;
    for (const std::wstring& c : codes)
        list += (list.empty() ? L"" : L",") + sqlText(c);
    // The code is tb_fund's key: a deleted product keeps its one row and still names the code.
    XComPtr<Data::IDataTable> names =
        queryTable(db, L"select code, name from tb_fund where code in (" + list + L")");
    if (!names)
        return false;
    std::unordered_map<std::wstring, std::wstring> known;
    for (int r = 0; r < names->rowCount(); ++r) {
        Data::IDataRow& row = names->getRow(r);
        known.emplace(row.getItem(0).getText().c_str(), row.getItem(1).getText().c_str());
    }

    // One table for each kind of statement: after the first code, a fill reuses its columns.
    XComPtr<Data::IDataTable> values = createInstanceAs<Data::IDataTable>("Data.DataTable");
    XComPtr<Data::IDataTable> bonus = createInstanceAs<Data::IDataTable>("Data.DataTable");
    if (!values || !bonus)
        return false;
    bool firstValues = true, firstBonus = true;
    std::vector<Valuation> valuations;
    std::vector<Payout> payouts;
    // Every row's date is read into the same storage: a list of hundreds of codes reads some
    // hundred thousand dates.
    XStringW cell;
    std::wstring date;
    auto dayOf = [&](Data::IDataItem& item) {
        item.readText(cell);
        date.assign(cell.c_str());
        return dayNumber(date);
    };
    for (ProductSummary& s : out) {
        auto name = known.find(s.code);
        if (name != known.end()) {
            s.known = true;
            s.name = name->second;
        }
        // The product's own index entries from the last valuation day thirteen months before
        // its latest one (every range the list shows starts after it), or all of them. Only
        // days with a unit value count, and asking for them is what lets the index serve.
        const std::wstring key = sqlText(s.code);
        const std::wstring own =
            L"from tb_valuelist where code = " + key + L" and not isdeleted and value is not null";
        if (!db->query((L"select date, value " + own + L" and date >= coalesce((select max(date) " + own +
                        L" and date <= date((select max(date) " + own +
                        L"), '-13 months')), '') order by date")
                           .c_str(),
                       values.get(), firstValues, 0))
            return false;
        firstValues = false;
        valuations.clear();
        payouts.clear();
        for (int r = 0; r < values->rowCount(); ++r) {
            Data::IDataRow& row = values->getRow(r);
            std::optional<int> day = dayOf(row.getItem(0));
            double value = 0;
            if (day && cellNumber(row.getItem(1), value))
                valuations.push_back({*day, value});
        }
        if (valuations.empty())
            continue;
        // Dividends up to the first day loaded would apply on it or before: they change no
        // return from it on.
        if (!db->query((L"select currdate, bonus from tb_bonus where code = " + key +
                        L" and not isdeleted and currdate > " + sqlText(isoDate(valuations.front().day)))
                           .c_str(),
                       bonus.get(), firstBonus, 0))
            return false;
        firstBonus = false;
        for (int r = 0; r < bonus->rowCount(); ++r) {
            Data::IDataRow& row = bonus->getRow(r);
            std::optional<int> day = dayOf(row.getItem(0));
            double paid = 0;
            if (day && cellNumber(row.getItem(1), paid))
                payouts.push_back({*day, paid});
        }
        const AdjustedSeries series(std::move(valuations), payouts);
        if (series.empty())
            continue;
        const size_t last = series.size() - 1;
        s.hasValue = true;
        s.value = series.value(last);
        s.date = isoDate(series.day(last));
        // On the product's own latest day; the Sharpe ratio is not shown, so no rate is needed.
        s.dayReturn = latestStepReturn(series);
        s.month1 = rangeFigures(series, FigureRange::Month1, kNoEndLimit, 0).totalReturn;
        s.year1 = rangeFigures(series, FigureRange::Year1, kNoEndLimit, 0).totalReturn;
        s.yearToDate = rangeFigures(series, FigureRange::YearToDate, kNoEndLimit, 0).totalReturn;
    }
    return true;
}

} // namespace Client
