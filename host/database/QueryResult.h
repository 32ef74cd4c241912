// The rows of one statement, read completely before any of them reaches a table, so that a
// statement failing half-way leaves the caller's table as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include "Data.h"
#include "host/kernel/RowBatch.h"

struct sqlite3_stmt;

class QueryResult final {
public:
    // Steps stmt to its end. False when a step fails; the result is then incomplete.
    bool read(sqlite3_stmt* stmt);

    int columnCount() const { return static_cast<int>(names_.size()); }
    int rowCount() const;
    const std::wstring& columnName(int column) const { return names_[column]; }
    // Data::ValueType of a column: from its declared type when it names one, otherwise from
    // the first non-null value; text when every value is null.
    int columnType(int column) const;

    // Replaces the table's rows with these. On firstFill the columns are rebuilt from the
    // select list first; otherwise the rows go into the columns of the same names, and columns
    // the table lacks are added.
    void fill(Data::IDataTable* table, bool firstFill) const;

    // The declared type's Data::ValueType, or -1 when it does not decide one (no type, BLOB,
    // NUMERIC and the like), following SQLite's own affinity rules.
    static int typeFromDeclared(const char* declared);

private:
    // A cell's kind is kept apart from its value, so that a cell takes 9 bytes rather than 16;
    // a kernel table takes the rows in this form at once (RowBatch).
    using Kind = Data::BatchKind;
    using Value = Data::BatchValue;

    void writeCell(Kind kind, const Value& value, Data::IDataItem& item) const;

    std::vector<std::wstring> names_;
    std::vector<int> declared_;
    std::vector<Kind> kinds_;
    std::vector<Value> values_;
    std::vector<wchar_t> text_; // the first textUsed_ units are this result's texts
    size_t textUsed_ = 0;
};
