#include "DataTable.h"

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
    cells_.clear();
    changed();
}

void DataTable::reset() {
    rows_.clear();
    cells_.clear();
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
    if (!rows_.empty()) {
        // Every row gets the new cell: the rows move into rows one cell wider.
        std::vector<DataItem*> cells;
        cells.reserve(rows_.size());
        for (DataRow& row : rows_)
            cells.push_back(row.cells());
        cells_.widen(cells.data(), int(cells.size()), int(columns_.size()));
        for (size_t i = 0; i < rows_.size(); ++i) {
            rows_[i].cells() = cells[i];
            rows_[i].widened();
        }
    }
    columns_.push_back(std::make_unique<DataColumn>(name, valueType));
    int index = int(columns_.size()) - 1;
    columnIndex_[std::wstring_view(columns_.back()->name())] = index;
    changed();
    return index;
}

int DataTable::addRow() {
    const int columns = int(columns_.size());
    rows_.emplace_back(this, cells_.takeRow(columns), columns);
    changed();
    return int(rows_.size()) - 1;
}

void DataTable::reserveRows(int count) {
    // Rows live in a deque, which needs no reservation to keep their addresses; this only
    // prepares the chunks for their cells.
    cells_.reserve(count, int(columns_.size()));
}

void DataTable::appendBatch(const RowBatch& batch) {
    const int width = int(columns_.size());
    cells_.reserve(batch.rows, width);
    const BatchKind* kind = batch.kinds;
    const BatchValue* value = batch.values;
    for (int r = 0; r < batch.rows; ++r) {
        DataItem* cells = cells_.takeRow(width);
        rows_.emplace_back(this, cells, width);
        for (int c = 0; c < batch.columns; ++c, ++kind, ++value) {
            const int column = batch.target[c];
            if (column >= 0 && column < width && *kind != BatchKind::Null)
                cells_.assign(cells[column], column, *kind, *value, batch.texts);
        }
    }
    changed();
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

bool appendRowBatch(Data::IDataTable* table, const Data::RowBatch& batch) {
    auto* own = dynamic_cast<Data::DataTable*>(table);
    if (!own || batch.rows <= 0)
        return false;
    own->appendBatch(batch);
    return true;
}
