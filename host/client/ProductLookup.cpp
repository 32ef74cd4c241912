#include "ProductLookup.h"

#include <cmath>
#include <unordered_map>
#include "Kernel.h"

namespace Client {

namespace {

// A cell's unit value; false for a missing value and for one that is no finite number.
bool readValue(Data::IDataItem& item, double& out) {
    if (item.isNull())
        return false;
    const double v = item.getDouble();
    if (!std::isfinite(v))
        return false;
    out = v;
    return true;
}

} // namespace

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

    // One table for every code's statement: after the first, a fill reuses its columns.
    XComPtr<Data::IDataTable> values = createInstanceAs<Data::IDataTable>("Data.DataTable");
    if (!values)
        return false;
    bool first = true;
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
                       values.get(), first, 0))
            return false;
        first = false;
        for (int r = values->rowCount() - 1; r >= 0 && !s.hasValue; --r) {
            Data::IDataRow& row = values->getRow(r);
            s.hasValue = readValue(row.getItem(1), s.value);
            if (s.hasValue)
                s.date = row.getItem(0).getText().c_str();
        }
    }
    return true;
}

} // namespace Client
