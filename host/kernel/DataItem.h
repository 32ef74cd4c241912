// A cell of a data table: null, a text, a real or an integer, held in one 64-bit word.
#pragma once

#include <cstdint>
#include "Data.h"

namespace Data {

class CellStore;

// The value is one 64-bit word: a real is its own bits; null, an integer and a text (a pointer to
// a copy the table's CellStore keeps) are quiet NaNs with a tag in the top 16 bits that no real
// stored here carries (a NaN of that form is stored as the plain quiet NaN). A cell lives only in
// a CellStore chunk, which tells it its table.
class DataItem final : public IDataItem {
public:
    DataItem() = default;
    DataItem(const DataItem&) = delete;
    DataItem& operator=(const DataItem&) = delete;

    bool isNull() const override { return bits_ == kNull; }
    XStringW getText() const override;
    // A text is copied into out's own storage, without a text of its own on the way.
    void readText(XStringW& out) const override;
    int getInt() const override;
    double getDouble() const override;
    void setText(const wchar_t* text) override;
    void setDouble(double value) override;
    void setInt(int value) override;
    void setNull() override;

    // The stored text of a text cell, otherwise null (no conversion, no allocation). Valid
    // until a cell of the table changes or its rows are cleared.
    const wchar_t* storedText() const { return isText() ? text() : nullptr; }
    // The value as a number for ordering; false for null, NaN and texts that are not numbers.
    bool numberKey(double& value) const;
    // The text as GB2312 bytes, converted once and kept until a cell of the table changes; null
    // for a null cell. Sorting 100,000 texts would otherwise convert every text on every sort.
    const char* gbKey() const;

private:
    friend class CellStore;

    static constexpr uint64_t kTagShift = 48;
    static constexpr uint64_t kNullTag = 0xFFF9, kIntegerTag = 0xFFFA, kTextTag = 0xFFFB;
    static constexpr uint64_t kNull = kNullTag << kTagShift;
    static constexpr uint64_t kPayload = (uint64_t(1) << kTagShift) - 1;

    uint64_t tag() const { return bits_ >> kTagShift; }
    bool isText() const { return tag() == kTextTag; }
    bool isInteger() const { return tag() == kIntegerTag; }
    bool isReal() const { return tag() < kNullTag || tag() > kTextTag; }
    const wchar_t* text() const { return reinterpret_cast<const wchar_t*>(uintptr_t(bits_ & kPayload)); }
    double real() const;
    int integer() const { return int(uint32_t(bits_)); }
    // The words of the values: a NaN that looks like a tag becomes the plain quiet NaN (still
    // NaN, never a tag).
    static uint64_t realBits(double value);
    static uint64_t integerBits(int value) { return (kIntegerTag << kTagShift) | uint64_t(uint32_t(value)); }
    static uint64_t textBits(const wchar_t* kept) {
        return (kTextTag << kTagShift) | uint64_t(uintptr_t(kept));
    }
    // Replaces the value; a text written over is handed back to the store.
    void store(uint64_t bits);

    uint64_t bits_ = kNull;
};

// The cell of a missing row or column: always null, ignores writes.
class NullItem final : public IDataItem {
public:
    static NullItem& instance();

    bool isNull() const override { return true; }
    XStringW getText() const override { return XStringW(); }
    int getInt() const override { return 0; }
    double getDouble() const override { return 0; }
    void setText(const wchar_t*) override {}
    void setDouble(double) override {}
    void setInt(int) override {}
    void setNull() override {}
};

// Text of a number: the shortest digits that read back as the same value, never an exponent,
// and at least four decimals ("1.0880", "10.0000", "0.0000999902").
XStringW numberText(double value);

} // namespace Data
