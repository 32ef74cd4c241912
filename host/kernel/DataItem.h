// A cell of a data table: null, a text, a real or an integer.
#pragma once

#include <cstdint>
#include "Data.h"

namespace Data {

class DataTable;

class DataItem final : public IDataItem {
public:
    explicit DataItem(DataTable* table) : table_(table) {}
    DataItem(DataItem&& other) noexcept;
    DataItem& operator=(DataItem&& other) noexcept;
    DataItem(const DataItem&) = delete;
    DataItem& operator=(const DataItem&) = delete;
    ~DataItem();

    bool isNull() const override { return kind_ == KindNull; }
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
    // until the cell changes or moves.
    const wchar_t* storedText() const {
        return kind_ == KindShortText ? short_ : kind_ == KindText ? text_ : nullptr;
    }
    // The value as a number for ordering; false for null, NaN and texts that are not numbers.
    bool numberKey(double& value) const;
    // The text as GB2312 bytes, converted once and kept until the cell changes; null for a
    // null cell. Sorting 100,000 texts would otherwise convert every text on every sort.
    const char* gbKey() const;

private:
    // Texts of up to kShortText - 1 units (codes, states, types: most cells of a product table)
    // live in the cell itself; a fill of 100,000 rows would otherwise make and later free a heap
    // block for each of them.
    static constexpr int kShortText = 8;
    enum Kind : unsigned char { KindNull, KindText, KindShortText, KindReal, KindInteger };

    bool isText() const { return kind_ == KindText || kind_ == KindShortText; }
    void clearValue();
    void changed();

    DataTable* table_;
    union {
        double real_;
        int integer_;
        wchar_t* text_; // KindText: a heap block of its own
        wchar_t short_[kShortText];
    };
    mutable char* gb_ = nullptr;
    Kind kind_ = KindNull;
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
