// A tiny text-only data container for the client's tests, so the table dump and the chart window
// can be checked without the host's data library.
#pragma once

#include <string>
#include <vector>
#include "Data.h"

class FakeTable final : public Data::IDataContainer {
public:
    FakeTable(std::vector<std::wstring> names, std::vector<std::vector<std::wstring>> rows) {
        for (auto& n : names)
            columns_.push_back(Column{n});
        for (auto& r : rows) {
            Row row;
            for (auto& t : r)
                row.cells.push_back(Cell{t});
            rows_.push_back(row);
        }
    }
    int addRef() override { return 1; }
    int release() override { return 1; }
    bool isEmpty() const override { return rows_.empty(); }
    int rowCount() const override { return static_cast<int>(rows_.size()); }
    Data::IDataRow& getRow(int index) override { return rows_.at(index); }
    int columnCount() const override { return static_cast<int>(columns_.size()); }
    int getColumnIndex(const wchar_t* name) const override {
        for (size_t i = 0; i < columns_.size(); ++i)
            if (columns_[i].name == name)
                return static_cast<int>(i);
        return -1;
    }
    Data::IColumnItem* getColumn(int index) override { return &columns_.at(index); }
    XComPtr<Data::IUpdateContext> beginUpdate() override { return nullptr; }

private:
    struct Cell final : Data::IDataItem {
        explicit Cell(std::wstring t) : text(std::move(t)) {}
        bool isNull() const override { return text.empty(); }
        XStringW getText() const override { return XStringW(text.c_str()); }
        int getInt() const override { return 0; }
        double getDouble() const override { return 0; }
        void setText(const wchar_t* t) override { text = t; }
        void setDouble(double) override {}
        void setInt(int) override {}
        void setNull() override { text.clear(); }
        std::wstring text;
    };
    struct Row final : Data::IDataRow {
        Data::IDataItem& getItem(const wchar_t*) override { return cells.at(0); }
        Data::IDataItem& getItem(int index) override { return cells.at(index); }
        int itemCount() const override { return static_cast<int>(cells.size()); }
        std::vector<Cell> cells;
    };
    struct Column final : Data::IColumnItem {
        explicit Column(std::wstring n) : name(std::move(n)) {}
        const wchar_t* getName() const override { return name.c_str(); }
        int getValueType() const override { return 0; }
        void setValueType(int) override {}
        std::wstring name;
    };
    std::vector<Column> columns_;
    std::vector<Row> rows_;
};
