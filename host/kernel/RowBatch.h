// Rows handed to a table of Kernel.dll in one call, as the database fills a table from a query:
// no virtual call, no notification and no search for the cell's column per cell.
#pragma once

#include <cstdint>
#include "Data.h"
#include "HostApi.h"

namespace Data {

enum class BatchKind : uint8_t { Null, Integer, Real, Text };

// A cell's value: a text is `length` units at `offset` in the batch's texts, zero-terminated.
union BatchValue {
    int64_t integer;
    double real;
    struct {
        uint32_t offset;
        uint32_t length;
    } text;
};

struct RowBatch {
    int rows = 0;
    int columns = 0;
    const int* target = nullptr;        // the table column of each batch column; below 0: left out
    const BatchKind* kinds = nullptr;   // rows * columns, row by row
    const BatchValue* values = nullptr; // rows * columns, row by row
    const wchar_t* texts = nullptr;
};

} // namespace Data

// Appends the batch's rows to table as addRow and the cells' setters would (an integer beyond
// int becomes a real, an empty text null) and tells its views once. False, with nothing done,
// when table is not a table of this library.
KERNEL_API bool appendRowBatch(Data::IDataTable* table, const Data::RowBatch& batch);
