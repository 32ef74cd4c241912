// Host tables for the filter tests: rows given as texts, one per column.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>
#include "module/host/Data.h"
#include "module/host/Kernel.h"

namespace filtertest {

inline XComPtr<Data::IDataTable> table(std::initializer_list<const wchar_t*> columns,
                                       std::initializer_list<std::initializer_list<const wchar_t*>> rows) {
    XComPtr<Data::IDataTable> t = createInstanceAs<Data::IDataTable>("Data.DataTable");
    for (const wchar_t* c : columns)
        t->addColumn(c, Data::ValueText);
    for (const auto& row : rows) {
        Data::IDataRow& r = t->getRow(t->addRow());
        int i = 0;
        for (const wchar_t* cell : row)
            r.getItem(i++).setText(cell);
    }
    return t;
}

// Runs a filter over every row of the source and gives back the indices it kept.
inline std::vector<int> kept(Data::IDataFilter* filter, Data::IDataContainer* source) {
    std::vector<int> rows(static_cast<size_t>(source->rowCount()));
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<int>(i);
    int count = static_cast<int>(rows.size());
    filter->filter(source, rows.data(), &count);
    rows.resize(static_cast<size_t>(count));
    return rows;
}

// The texts of one column over a container's rows, in its order.
inline std::vector<std::wstring> column(Data::IDataContainer* c, const wchar_t* name) {
    std::vector<std::wstring> out;
    for (int i = 0; i < c->rowCount(); ++i)
        out.push_back(c->getRow(i).getItem(name).getText().c_str());
    return out;
}

} // namespace filtertest
