// Tables and sinks shared by the data tests.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>
#include "module/host/Data.h"
#include "module/host/Kernel.h"

namespace datatest {

using namespace Data;

inline XComPtr<IDataTable> newTable() {
    return createInstanceAs<IDataTable>("Data.DataTable");
}
inline XComPtr<IDataView> newView(IDataContainer* source) {
    XComPtr<IDataView> view = createInstanceAs<IDataView>("Data.DataView");
    if (view)
        view->setSource(source);
    return view;
}

// One text column "id" (to follow rows) and one value column.
inline XComPtr<IDataTable> idValueTable(int valueType) {
    XComPtr<IDataTable> table = newTable();
    table->addColumn(L"id", ValueText);
    table->addColumn(L"value", valueType);
    return table;
}

inline void addRow(IDataTable* table, const wchar_t* id, const wchar_t* value) {
    IDataRow& row = table->getRow(table->addRow());
    row.getItem(L"id").setText(id);
    if (value)
        row.getItem(L"value").setText(value);
}

inline void addRow(IDataTable* table, const wchar_t* id, double value) {
    IDataRow& row = table->getRow(table->addRow());
    row.getItem(L"id").setText(id);
    row.getItem(L"value").setDouble(value);
}

// The "id" texts of a container's rows, in its order.
inline std::vector<std::wstring> ids(IDataContainer* c) {
    std::vector<std::wstring> out;
    for (int i = 0; i < c->rowCount(); ++i)
        out.push_back(c->getRow(i).getItem(L"id").getText().c_str());
    return out;
}

inline std::vector<std::wstring> list(std::initializer_list<const wchar_t*> items) {
    return std::vector<std::wstring>(items.begin(), items.end());
}

// Counts notifications and records what the view showed at each.
class CountingSink : public IDataViewEvent {
public:
    void onViewChanging(IDataView* view) override {
        ++changing;
        before = ids(view);
    }
    void onViewChanged(IDataView* view) override {
        ++changed;
        after = ids(view);
    }
    int changing = 0, changed = 0;
    std::vector<std::wstring> before, after;
};

} // namespace datatest
