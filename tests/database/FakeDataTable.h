// A small in-memory IDataTable for the database tests: cells hold a text, a real, an integer or
// nothing, as the host's tables do, and the table counts update contexts and their commits.
#pragma once

#include <string>
#include <vector>
#include "Data.h"

class FakeDataTable final : public Data::IDataTable {
public:
    static XComPtr<FakeDataTable> create();

    int addRef() override { return ++refs_; }
    int release() override;

    bool isEmpty() const override { return rows_.empty(); }
    int rowCount() const override { return static_cast<int>(rows_.size()); }
    Data::IDataRow& getRow(int index) override;
    int columnCount() const override { return static_cast<int>(columns_.size()); }
    int getColumnIndex(const wchar_t* name) const override;
    Data::IColumnItem* getColumn(int index) override;
    XComPtr<Data::IUpdateContext> beginUpdate() override;
    void clear(int) override { rows_.clear(); }
    void reset() override {
        rows_.clear();
        columns_.clear();
    }
    int addColumn(const wchar_t* name, int valueType) override;
    int addRow() override;
    void reserveRows(int count) override { rows_.reserve(static_cast<size_t>(count)); }

    int updatesOpened = 0;
    int commits = 0;

private:
    class Cell final : public Data::IDataItem {
    public:
        enum Kind { Null, Text, Real, Integer };
        bool isNull() const override { return kind_ == Null || (kind_ == Text && text_.empty()); }
        XStringW getText() const override;
        int getInt() const override;
        double getDouble() const override;
        void setText(const wchar_t* text) override;
        void setDouble(double value) override;
        void setInt(int value) override;
        void setNull() override { kind_ = Null; }

    private:
        Kind kind_ = Null;
        std::wstring text_;
        double real_ = 0;
        int integer_ = 0;
    };

    class Row final : public Data::IDataRow {
    public:
        Row(FakeDataTable* table, size_t cells) : table_(table), cells_(cells) {}
        Data::IDataItem& getItem(const wchar_t* name) override;
        Data::IDataItem& getItem(int index) override;
        int itemCount() const override { return static_cast<int>(cells_.size()); }
        void grow(size_t cells) { cells_.resize(cells); }

    private:
        FakeDataTable* table_;
        std::vector<Cell> cells_;
    };

    class Column final : public Data::IColumnItem {
    public:
        Column(std::wstring name, int type) : name_(std::move(name)), type_(type) {}
        const wchar_t* getName() const override { return name_.c_str(); }
        int getValueType() const override { return type_; }
        void setValueType(int type) override { type_ = type; }

    private:
        std::wstring name_;
        int type_;
    };

    class Update;

    FakeDataTable() = default;
    ~FakeDataTable() = default;

    int refs_ = 1;
    std::vector<Column> columns_;
    std::vector<Row> rows_;
    Row emptyRow_{this, 0};
    Cell nullCell_;
};
