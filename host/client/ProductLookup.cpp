#include "ProductLookup.h"

#include <map>
#include "Kernel.h"

namespace Client {

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
    // A deleted product row still names the code; the live row wins when both exist.
    XComPtr<Data::IDataTable> names = queryTable(db, L"select code, name from tb_fund where code in (" +
                                                         list + L") order by isdeleted desc");
    // The latest day with a unit value, looked up by (date, code) once the day is known.
    XComPtr<Data::IDataTable> values = queryTable(
        db, L"select v.code, v.date, v.value from tb_valuelist v join (select code, max(date) as d "
            L"from tb_valuelist where code in (" +
                list +
                L") and not isdeleted and value is not null group by code) m on v.code = m.code "
                L"and v.date = m.d and not v.isdeleted");
    if (!names || !values)
        return false;
    std::map<std::wstring, size_t> index;
    for (size_t i = 0; i < out.size(); ++i)
        index[out[i].code] = i;
    for (int r = 0; r < names->rowCount(); ++r) {
        Data::IDataRow& row = names->getRow(r);
        auto it = index.find(row.getItem(0).getText().c_str());
        if (it == index.end())
            continue;
        out[it->second].known = true;
        out[it->second].name = row.getItem(1).getText().c_str();
    }
    for (int r = 0; r < values->rowCount(); ++r) {
        Data::IDataRow& row = values->getRow(r);
        auto it = index.find(row.getItem(0).getText().c_str());
        if (it == index.end())
            continue;
        out[it->second].hasValue = true;
        out[it->second].date = row.getItem(1).getText().c_str();
        out[it->second].value = row.getItem(2).getDouble();
    }
    return true;
}

} // namespace Client
