#include "DataTable.h"

#include <cstdint>
#include <new>

namespace Data {

IDataRow& DataTable::getRow(int index) {
    if (index < 0 || index >= int(rows_.size()))
        return EmptyRow::instance();
    return rows_[size_t(index)];
}

int DataTable::getColumnIndex(const wchar_t* name) const {
    if (!name)
        return -1;
    auto it = columnIndex_.find(std::wstring_view(name));
    return it == columnIndex_.end() ? -1 : it->second;
}

IColumnItem* DataTable::getColumn(int index) {
    if (index < 0 || index >= int(columns_.size()))
        return nullptr;
    return columns_[size_t(index)].get();
}

XComPtr<IUpdateContext> DataTable::beginUpdate() {
    ++updateDepth_;
    XComPtr<IUpdateContext> context;
    context.attach(new UpdateContext(this, this));
    return context;
}

void DataTable::endUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0) {
        dirty_ = false;
        notify();
    }
}

void DataTable::clear(int) {
    rows_.clear();
    blockUsed_ = 0;
    changed();
}

void DataTable::reset() {
    rows_.clear();
    blockUsed_ = 0;
    columnIndex_.clear();
    columns_.clear();
    changed();
}

int DataTable::addColumn(const wchar_t* name, int valueType) {
    if (!name || !*name)
        return -1;
    // A second column of the same name would be unreachable by name; the first one is reused.
    int existing = getColumnIndex(name);
    if (existing >= 0) {
        columns_[size_t(existing)]->setValueType(valueType);
        return existing;
    }
    columns_.push_back(std::make_unique<DataColumn>(name, valueType));
    int index = int(columns_.size()) - 1;
    columnIndex_[std::wstring_view(columns_.back()->name())] = index;
    for (DataRow& row : rows_)
        row.addItem();
    changed();
    return index;
}

int DataTable::addRow() {
    const size_t columns = columns_.size();
    if (columns > 0 && block_ && blockCapacity_ - blockUsed_ >= columns) {
        DataItem* cells = block_.get() + blockUsed_;
        for (size_t i = 0; i < columns; ++i)
            new (cells + i) DataItem(this);
        rows_.emplace_back(this, cells, int(columns));
        blockUsed_ += columns;
    } else {
        rows_.emplace_back(this, int(columns));
    }
    changed();
    return int(rows_.size()) - 1;
}

void DataTable::reserveRows(int count) {
    // Rows live in a deque, which needs no reservation to keep their addresses; this only
    // prepares the block for their cells. Rows already in the block keep it as it is.
    const size_t columns = columns_.size();
    if (count <= 0 || columns == 0 || blockUsed_ > 0)
        return;
    const size_t need = size_t(count) * columns;
    if (need > SIZE_MAX / sizeof(DataItem))
        return;
    // A much smaller fill gives the memory back rather than holding on to the largest one.
    if (blockCapacity_ >= need && blockCapacity_ / 2 <= need)
        return;
    block_.reset();
    blockCapacity_ = 0;
    // Without a block the rows get cells of their own, as before.
    if (void* memory = std::malloc(need * sizeof(DataItem))) {
        block_.reset(static_cast<DataItem*>(memory));
        blockCapacity_ = need;
    }
}

const DataItem* DataTable::cellAt(int row, int column) const {
    if (row < 0 || row >= int(rows_.size()))
        return nullptr;
    return const_cast<DataRow&>(rows_[size_t(row)]).item(column);
}

void DataTable::changed() {
    if (updateDepth_ > 0) {
        dirty_ = true;
        return;
    }
    notify();
}

void DataTable::notify() {
    // A sink that writes to the table while it is told gets one more round, not a recursion.
    if (notifying_) {
        notifyAgain_ = true;
        return;
    }
    notifying_ = true;
    addRef();
    int rounds = 0;
    do {
        notifyAgain_ = false;
        tellChanging();
        tellRebuild();
        tellChanged();
    } while (notifyAgain_ && ++rounds < 8); // a sink that always writes must not hang the host
    notifying_ = false;
    release();
}

} // namespace Data
