// Where a table keeps its cells and their texts.
//
// Cells live in chunks of 64 KiB, each aligned to its size and headed by its store, the width of
// its rows and the first of them. A cell finds its table (to say that it changed), its row and its
// column from its own address, so it needs no pointer of its own and takes 16 bytes: a product
// table of 90,000 rows of 19 cells is 27 MB of cells instead of 80.
//
// Texts are copied into blocks the store owns, not into a heap block each. In each column the
// first texts are also looked up, so that a column of few values (types, states, companies)
// keeps every value once; a column whose values keep differing is no longer looked up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>
#include "RowBatch.h"

namespace Data {

class DataItem;
class DataTable;

class CellStore {
public:
    static constexpr size_t kChunkBytes = 64 * 1024;
    static constexpr size_t kCellBytes = 16;

    explicit CellStore(DataTable* table) : table_(table) {}
    ~CellStore();
    CellStore(const CellStore&) = delete;
    CellStore& operator=(const CellStore&) = delete;

    // The store a cell lives in, and the cell's row and column.
    static CellStore& of(const DataItem* cell);
    static void place(const DataItem* cell, int& row, int& column);

    DataTable* table() const { return table_; }

    // `width` null cells for the next row, side by side; they stay where they are until clear().
    // Rows are numbered in the order they are taken. Null for a width of 0.
    DataItem* takeRow(int width);
    // Prepares room for `count` more rows of `width` cells at once.
    void reserve(int count, int width);
    // Moves every row taken into rows one cell wider (a column added after the rows), in order;
    // rows[i] points at row i's cells and is updated.
    void widen(DataItem** rows, int count, int width);
    // Every cell and text given out is gone. The chunks stay for the rows of the next fill, unless
    // the last fill used less than half of them.
    void clear();

    // Writes a value of a batch into a new row's cell of `column`, without telling anyone.
    void assign(DataItem& cell, int column, BatchKind kind, const BatchValue& value, const wchar_t* texts);

    // A copy of `text` (zero-terminated, `length` units) for a cell of `column`; it lasts until
    // a cell of the table changes (see dropText) or the rows are cleared.
    const wchar_t* keepText(const wchar_t* text, size_t length, int column);
    // A cell's kept text was written over: its room is reclaimed once such texts are half of
    // all kept (the texts still in cells then move, so a kept text lasts until a cell changes).
    void dropText(size_t length);
    // The text's GB2312 bytes, converted once and kept until a cell of the table changes.
    const char* gbKey(const DataItem* cell, const wchar_t* text);
    // Every cell write ends here: converted keys are dropped, texts written over reclaimed when
    // due, and the table hears of it.
    void changed();

private:
    // The head of a chunk takes the room of one cell; the cells follow.
    struct Chunk {
        CellStore* store;
        int width;    // cells per row in this chunk, 0 while unused
        int firstRow; // the row of the chunk's first cells
        DataItem* cells() { return reinterpret_cast<DataItem*>(reinterpret_cast<char*>(this) + kCellBytes); }
    };
    static constexpr size_t kChunkCells = kChunkBytes / kCellBytes - 1;

    // Blocks of units handed out in order; freed together.
    template <class Unit> class Blocks {
    public:
        Unit* take(size_t units);
        void clear();
        size_t units() const { return total_; }

    private:
        static constexpr size_t kBlockUnits = 16 * 1024;
        std::vector<std::unique_ptr<Unit[]>> blocks_;
        Unit* next_ = nullptr;
        size_t left_ = 0;
        size_t total_ = 0;
    };
    // The first values of a column, found by their text: an open-addressed table of twice the
    // values a column may have, so a look-up is a hash and one or two comparisons.
    struct Interned {
        struct Slot {
            const wchar_t* text = nullptr;
            uint32_t length = 0;
            uint32_t hash = 0;
        };
        std::unique_ptr<Slot[]> slots;
        size_t count = 0;
        bool off = false;
    };

    Chunk* nextChunk();
    void allocateChunks(size_t count);
    void releaseChunks();
    void compactTexts();

    DataTable* table_;
    std::vector<void*> regions_; // VirtualAlloc'd runs of chunks
    std::vector<Chunk*> chunks_; // in the order rows fill them
    size_t current_ = 0;         // chunks_[current_ - 1] is being filled
    size_t used_ = 0;            // cells taken in it
    int rows_ = 0;               // rows taken since clear()

    Blocks<wchar_t> texts_;
    std::vector<Interned> interned_;
    size_t dropped_ = 0; // units of kept texts written over since the texts were last laid out

    Blocks<char> gbBytes_;
    std::unordered_map<const DataItem*, const char*> gbKeys_;
};

} // namespace Data
