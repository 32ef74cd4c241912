#include "DataRow.h"

#include "DataTable.h"

namespace Data {

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
