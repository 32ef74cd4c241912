// Rows of a data table, and the empty row handed out for an index out of range.
#pragma once

#include <vector>
#include "DataItem.h"

namespace Data {

class DataTable;

class DataRow final : public IDataRow {
public:
    // A row with cells of its own.
    DataRow(DataTable* table, int columns);
    // A row whose cells the table has built in its row block at cells; the row destroys them,
    // the table keeps the memory.
    DataRow(DataTable* table, DataItem* cells, int columns) : table_(table), items_(cells), count_(columns) {}
    DataRow(const DataRow&) = delete;
    DataRow& operator=(const DataRow&) = delete;
    ~DataRow();

    IDataItem& getItem(const wchar_t* name) override;
    IDataItem& getItem(int index) override;
    int itemCount() const override { return count_; }

    DataItem* item(int index) { return index >= 0 && index < count_ ? &items_[index] : nullptr; }
    void addItem();

private:
    bool inBlock() const { return own_.empty() && count_ > 0; }

    DataTable* table_;
    DataItem* items_ = nullptr; // own_.data(), or the row's place in the table's row block
    int count_ = 0;
    std::vector<DataItem> own_;
};

class EmptyRow final : public IDataRow {
public:
    static EmptyRow& instance();

    IDataItem& getItem(const wchar_t*) override { return NullItem::instance(); }
    IDataItem& getItem(int) override { return NullItem::instance(); }
    int itemCount() const override { return 0; }
};

} // namespace Data
