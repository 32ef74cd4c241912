#include "FakeDataTable.h"

#include <cstdio>
#include <cwchar>

class FakeDataTable::Update final : public Data::IUpdateContext {
public:
    explicit Update(FakeDataTable* table) : table_(table) { ++table_->updatesOpened; }
    int addRef() override { return ++refs_; }
    int release() override {
        const int left = --refs_;
        if (left == 0) {
            commit();
            delete this;
        }
        return left;
    }
    void commit() override {
        if (!committed_)
            ++table_->commits;
        committed_ = true;
    }

private:
    ~Update() = default;
    XComPtr<FakeDataTable> table_;
    int refs_ = 1;
    bool committed_ = false;
};

XComPtr<FakeDataTable> FakeDataTable::create() {
    XComPtr<FakeDataTable> table;
    table.attach(new FakeDataTable);
    return table;
}

int FakeDataTable::release() {
    const int left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

Data::IDataRow& FakeDataTable::getRow(int index) {
    if (index < 0 || index >= rowCount())
        return emptyRow_;
    return rows_[static_cast<size_t>(index)];
}

int FakeDataTable::getColumnIndex(const wchar_t* name) const {
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (name && std::wcscmp(columns_[i].getName(), name) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

Data::IColumnItem* FakeDataTable::getColumn(int index) {
    if (index < 0 || index >= columnCount())
        return nullptr;
    return &columns_[static_cast<size_t>(index)];
}

XComPtr<Data::IUpdateContext> FakeDataTable::beginUpdate() {
    XComPtr<Data::IUpdateContext> update;
    update.attach(new Update(this));
    return update;
}

int FakeDataTable::addColumn(const wchar_t* name, int valueType) {
    columns_.emplace_back(name ? name : L"", valueType);
    for (Row& row : rows_)
        row.grow(columns_.size());
    return columnCount() - 1;
}

int FakeDataTable::addRow() {
    rows_.emplace_back(this, columns_.size());
    return rowCount() - 1;
}

Data::IDataItem& FakeDataTable::Row::getItem(const wchar_t* name) {
    return getItem(table_->getColumnIndex(name));
}

Data::IDataItem& FakeDataTable::Row::getItem(int index) {
    if (index < 0 || index >= itemCount()) {
        table_->nullCell_.setNull(); // a write to the shared null cell is dropped
        return table_->nullCell_;
    }
    return cells_[static_cast<size_t>(index)];
}

XStringW FakeDataTable::Cell::getText() const {
    wchar_t text[64];
    switch (kind_) {
    case Text:
        return XStringW(text_.c_str());
    case Real:
        std::swprintf(text, 64, L"%.17g", real_);
        return XStringW(text);
    case Integer:
        std::swprintf(text, 64, L"%d", integer_);
        return XStringW(text);
    case Null:
        break;
    }
    return XStringW();
}

int FakeDataTable::Cell::getInt() const {
    return kind_ == Integer ? integer_ : kind_ == Real ? static_cast<int>(real_) : 0;
}

double FakeDataTable::Cell::getDouble() const {
    return kind_ == Real ? real_ : kind_ == Integer ? integer_ : 0.0;
}

void FakeDataTable::Cell::setText(const wchar_t* text) {
    kind_ = Text;
    text_ = text ? text : L"";
}

void FakeDataTable::Cell::setDouble(double value) {
    kind_ = Real;
    real_ = value;
}

void FakeDataTable::Cell::setInt(int value) {
    kind_ = Integer;
    integer_ = value;
}
