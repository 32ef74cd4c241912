#include "CellStore.h"

#include <windows.h>
#include <climits>
#include <cstring>
#include <new>
#include "DataItem.h"
#include "DataTable.h"

namespace Data {

namespace {

// A column keeps looking its texts up until it has this many different ones.
constexpr size_t kInternLimit = 512;
constexpr size_t kInternSlots = 2 * kInternLimit;

} // namespace

static_assert(sizeof(DataItem) == CellStore::kCellBytes, "a cell is its vtable pointer and its value");

template <class Unit> Unit* CellStore::Blocks<Unit>::take(size_t units) {
    if (units > left_) {
        // A long text gets a block of its own size; the current block stays current.
        if (units > kBlockUnits / 4) {
            blocks_.push_back(std::make_unique<Unit[]>(units));
            total_ += units;
            return blocks_.back().get();
        }
        blocks_.push_back(std::make_unique<Unit[]>(kBlockUnits));
        next_ = blocks_.back().get();
        left_ = kBlockUnits;
    }
    Unit* out = next_;
    next_ += units;
    left_ -= units;
    total_ += units;
    return out;
}

template <class Unit> void CellStore::Blocks<Unit>::clear() {
    blocks_.clear();
    next_ = nullptr;
    left_ = 0;
    total_ = 0;
}

CellStore::~CellStore() {
    releaseChunks();
}

CellStore& CellStore::of(const DataItem* cell) {
    auto* chunk = reinterpret_cast<Chunk*>(reinterpret_cast<uintptr_t>(cell) & ~uintptr_t(kChunkBytes - 1));
    return *chunk->store;
}

void CellStore::place(const DataItem* cell, int& row, int& column) {
    auto* chunk = reinterpret_cast<Chunk*>(reinterpret_cast<uintptr_t>(cell) & ~uintptr_t(kChunkBytes - 1));
    const auto index = int(cell - chunk->cells());
    row = chunk->firstRow + index / chunk->width;
    column = index % chunk->width;
}

void CellStore::allocateChunks(size_t count) {
    static_assert(sizeof(Chunk) <= kCellBytes, "a chunk's head takes the room of one cell");
    // VirtualAlloc hands out whole allocation units of 64 KiB, so every chunk starts on a multiple
    // of its size and a cell's chunk is its address with the low bits cleared.
    void* region = VirtualAlloc(nullptr, count * kChunkBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!region || (reinterpret_cast<uintptr_t>(region) & (kChunkBytes - 1)) != 0) {
        if (region)
            VirtualFree(region, 0, MEM_RELEASE);
        throw std::bad_alloc();
    }
    regions_.push_back(region);
    for (size_t i = 0; i < count; ++i) {
        auto* chunk = reinterpret_cast<Chunk*>(static_cast<char*>(region) + i * kChunkBytes);
        *chunk = Chunk{this, 0, 0};
        chunks_.push_back(chunk);
    }
}

void CellStore::releaseChunks() {
    for (void* region : regions_)
        VirtualFree(region, 0, MEM_RELEASE);
    regions_.clear();
    chunks_.clear();
    current_ = 0;
    used_ = 0;
}

CellStore::Chunk* CellStore::nextChunk() {
    if (current_ == chunks_.size())
        allocateChunks(1);
    Chunk* chunk = chunks_[current_++];
    used_ = 0;
    return chunk;
}

DataItem* CellStore::takeRow(int width) {
    const int row = rows_++;
    if (width <= 0)
        return nullptr;
    Chunk* chunk = current_ > 0 ? chunks_[current_ - 1] : nullptr;
    if (!chunk || chunk->width != width || used_ + size_t(width) > kChunkCells) {
        chunk = nextChunk();
        chunk->width = width;
        chunk->firstRow = row;
    }
    DataItem* cells = chunk->cells() + used_;
    for (int i = 0; i < width; ++i)
        new (cells + i) DataItem();
    used_ += size_t(width);
    return cells;
}

void CellStore::reserve(int count, int width) {
    if (count <= 0 || width <= 0 || size_t(width) > kChunkCells)
        return;
    const size_t perChunk = kChunkCells / size_t(width);
    // Rows that still fit in the chunk being filled, then whole chunks, some already there.
    size_t room =
        current_ > 0 && chunks_[current_ - 1]->width == width ? (kChunkCells - used_) / size_t(width) : 0;
    if (size_t(count) <= room)
        return;
    const size_t need = (size_t(count) - room + perChunk - 1) / perChunk;
    const size_t spare = chunks_.size() - current_;
    if (need > spare)
        allocateChunks(need - spare);
}

void CellStore::widen(DataItem** rows, int count, int width) {
    std::vector<void*> oldRegions;
    oldRegions.swap(regions_);
    chunks_.clear();
    current_ = 0;
    used_ = 0;
    rows_ = 0;
    reserve(count, width + 1);
    for (int i = 0; i < count; ++i) {
        DataItem* cells = takeRow(width + 1);
        // Cells hold no resources of their own: their words move as they are.
        for (int c = 0; c < width; ++c)
            cells[c].bits_ = rows[i][c].bits_;
        rows[i] = cells;
    }
    for (void* region : oldRegions)
        VirtualFree(region, 0, MEM_RELEASE);
    gbKeys_.clear();
    gbBytes_.clear();
}

void CellStore::clear() {
    // A fill of less than half of what the last one needed gives the memory back rather than
    // holding on to the largest one.
    if (current_ * 2 < chunks_.size())
        releaseChunks();
    current_ = 0;
    used_ = 0;
    rows_ = 0;
    texts_.clear();
    interned_.clear();
    dropped_ = 0;
    gbKeys_.clear();
    gbBytes_.clear();
}

void CellStore::assign(DataItem& cell, int column, BatchKind kind, const BatchValue& value,
                       const wchar_t* texts) {
    switch (kind) {
    case BatchKind::Integer:
        cell.bits_ = value.integer >= INT_MIN && value.integer <= INT_MAX
                         ? DataItem::integerBits(int(value.integer))
                         : DataItem::realBits(double(value.integer));
        break;
    case BatchKind::Real:
        cell.bits_ = DataItem::realBits(value.real);
        break;
    case BatchKind::Text:
        if (value.text.length > 0)
            cell.bits_ = DataItem::textBits(keepText(texts + value.text.offset, value.text.length, column));
        break;
    case BatchKind::Null:
        break;
    }
}

const wchar_t* CellStore::keepText(const wchar_t* text, size_t length, int column) {
    if (column >= 0 && size_t(column) >= interned_.size())
        interned_.resize(size_t(column) + 1);
    Interned* values = column >= 0 && !interned_[size_t(column)].off ? &interned_[size_t(column)] : nullptr;
    Interned::Slot* slot = nullptr;
    uint32_t hash = 0;
    if (values) {
        // The length and three units: a column keeps at most kInternLimit values, and a
        // collision costs one comparison more.
        hash = uint32_t(length) * 0x9E3779B1u;
        for (size_t i : {size_t(0), length / 2, length - 1})
            hash = (hash ^ uint32_t(text[i])) * 0x85EBCA6Bu;
        hash ^= hash >> 15;
        if (!values->slots)
            values->slots = std::make_unique<Interned::Slot[]>(kInternSlots);
        for (size_t i = hash & (kInternSlots - 1);; i = (i + 1) & (kInternSlots - 1)) {
            slot = &values->slots[i];
            if (!slot->text)
                break;
            if (slot->hash == hash && slot->length == length &&
                std::memcmp(slot->text, text, length * sizeof(wchar_t)) == 0)
                return slot->text;
        }
    }
    wchar_t* kept = texts_.take(length + 1);
    std::memcpy(kept, text, length * sizeof(wchar_t));
    kept[length] = 0;
    if (values) {
        if (values->count < kInternLimit) {
            *slot = Interned::Slot{kept, uint32_t(length), hash};
            ++values->count;
        } else {
            // A column of many values: its texts are not looked up any more.
            values->off = true;
            values->slots.reset();
        }
    }
    return kept;
}

void CellStore::dropText(size_t length) {
    dropped_ += length + 1;
}

void CellStore::compactTexts() {
    // Texts written over pile up in the blocks until the rows are cleared; once they are half of
    // what the blocks hold, the texts still in cells are copied into new blocks.
    Blocks<wchar_t> old;
    std::swap(old, texts_);
    interned_.clear();
    dropped_ = 0;
    for (size_t i = 0; i < current_; ++i) {
        Chunk* chunk = chunks_[i];
        const int rows = (i + 1 < current_ ? chunks_[i + 1]->firstRow : rows_) - chunk->firstRow;
        const size_t cells = size_t(rows) * size_t(chunk->width);
        for (size_t c = 0; c < cells; ++c) {
            DataItem& cell = chunk->cells()[c];
            if (!cell.isText())
                continue;
            const wchar_t* text = cell.text();
            const wchar_t* kept = keepText(text, std::wcslen(text), int(c % size_t(chunk->width)));
            cell.bits_ = DataItem::textBits(kept);
        }
    }
    gbKeys_.clear();
    gbBytes_.clear();
}

const char* CellStore::gbKey(const DataItem* cell, const wchar_t* text) {
    auto found = gbKeys_.find(cell);
    if (found != gbKeys_.end())
        return found->second;
    const int n = WideCharToMultiByte(936, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return "";
    char* bytes = gbBytes_.take(size_t(n));
    WideCharToMultiByte(936, 0, text, -1, bytes, n, nullptr, nullptr);
    gbKeys_.emplace(cell, bytes);
    return bytes;
}

void CellStore::changed() {
    if (!gbKeys_.empty()) {
        gbKeys_.clear();
        gbBytes_.clear();
    }
    if (dropped_ > kChunkBytes && dropped_ > texts_.units() / 2)
        compactTexts();
    table_->cellChanged();
}

} // namespace Data
