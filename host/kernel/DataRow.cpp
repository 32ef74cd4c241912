#include "DataRow.h"

#include "DataTable.h"

namespace Data {

DataRow::DataRow(DataTable* table, int columns) : table_(table) {
    own_.reserve(size_t(columns));
    for (int i = 0; i < columns; ++i)
        own_.emplace_back(table);
    items_ = own_.data();
    count_ = columns;
}

DataRow::~DataRow() {
    if (inBlock())
        for (int i = 0; i < count_; ++i)
            items_[i].~DataItem();
}

void DataRow::addItem() {
    if (inBlock()) {
        // A column added after the fill: the row leaves its fixed place in the block for cells
        // of its own. The moved-from cells are null and are destroyed here; their place stays
        // unused until the table's rows are cleared.
        own_.reserve(size_t(count_) + 1);
        for (int i = 0; i < count_; ++i) {
            own_.push_back(std::move(items_[i]));
            items_[i].~DataItem();
        }
    }
    own_.emplace_back(table_);
    items_ = own_.data();
    count_ = int(own_.size());
}

IDataItem& DataRow::getItem(const wchar_t* name) {
    return getItem(table_->getColumnIndex(name));
}

IDataItem& DataRow::getItem(int index) {
    if (DataItem* cell = item(index))
        return *cell;
    return NullItem::instance();
}

EmptyRow& EmptyRow::instance() {
    static EmptyRow row;
    return row;
}

} // namespace Data
