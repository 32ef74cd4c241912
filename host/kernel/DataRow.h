// Rows of a data table, and the empty row handed out for an index out of range.
#pragma once

#include "DataItem.h"

namespace Data {

class DataTable;

class DataRow final : public IDataRow {
public:
    // A row whose cells the table's CellStore keeps side by side at cells.
    DataRow(DataTable* table, DataItem* cells, int columns) : table_(table), items_(cells), count_(columns) {}
    DataRow(const DataRow&) = delete;
    DataRow& operator=(const DataRow&) = delete;

    IDataItem& getItem(const wchar_t* name) override;
    IDataItem& getItem(int index) override;
    int itemCount() const override { return count_; }

    DataItem* item(int index) { return index >= 0 && index < count_ ? &items_[index] : nullptr; }
    DataItem*& cells() { return items_; }
    // The row's cells were moved into a row one wider.
    void widened() { ++count_; }

private:
    DataTable* table_;
    DataItem* items_;
    int count_;
};

class EmptyRow final : public IDataRow {
public:
    static EmptyRow& instance();

    IDataItem& getItem(const wchar_t*) override { return NullItem::instance(); }
    IDataItem& getItem(int) override { return NullItem::instance(); }
    int itemCount() const override { return 0; }
};

} // namespace Data
