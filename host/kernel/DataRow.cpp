#include "DataRow.h"

#include "DataTable.h"

namespace Data {

DataRow::DataRow(DataTable* table, int columns) : table_(table) {
    items_.reserve(size_t(columns));
    for (int i = 0; i < columns; ++i)
        items_.emplace_back(table);
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
