// Rows of a data table, and the empty row handed out for an index out of range.
#pragma once

#include <vector>
#include "DataItem.h"

namespace Data {

class DataTable;

class DataRow final : public IDataRow {
public:
    DataRow(DataTable* table, int columns);

    IDataItem& getItem(const wchar_t* name) override;
    IDataItem& getItem(int index) override;
    int itemCount() const override { return int(items_.size()); }

    DataItem* item(int index) {
        return index >= 0 && index < int(items_.size()) ? &items_[size_t(index)] : nullptr;
    }
    void addItem() { items_.emplace_back(table_); }

private:
    DataTable* table_;
    std::vector<DataItem> items_;
};

class EmptyRow final : public IDataRow {
public:
    static EmptyRow& instance();

    IDataItem& getItem(const wchar_t*) override { return NullItem::instance(); }
    IDataItem& getItem(int) override { return NullItem::instance(); }
    int itemCount() const override { return 0; }
};

} // namespace Data
