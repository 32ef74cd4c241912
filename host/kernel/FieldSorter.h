// "Data.FieldSorter": orders rows by one column, following the column's value type.
#pragma once

#include <memory>
#include "Data.h"
#include "RefCounted.h"

namespace Data {

// Keys are read once per sort into a flat array and sorted there: reals and integers (and texts
// of a numeric column that read as numbers) as 64-bit integers of the doubles' order, radix-
// sorted when there are many; texts as GB2312 bytes, compared first by an 8-byte big-endian
// prefix, except that texts which both read wholly as decimal numbers ("110.07", "-0.68",
// "5.00%") compare by value, so a text column of numbers sorts as numbers. Nulls, NaN and
// non-numeric texts of a numeric column (and empty texts of a text column) follow the ordered
// rows in their source order, whatever the direction. Every sort is stable.
class FieldSorter final : public RefCounted<IFieldSorter> {
public:
    FieldSorter();
    ~FieldSorter() override;

    void sortRows(IDataContainer* source, int* rows, int count) override;
    void setField(const wchar_t* name) override { field_ = name ? name : L""; }
    // 0 ascending, 1 (or any other non-zero value) descending.
    void setOrder(int order) override { order_ = order != 0 ? 1 : 0; }
    XStringW getField() const override { return field_; }
    int getOrder() const override { return order_; }

private:
    struct Scratch;

    XStringW field_;
    int order_ = 0;
    std::unique_ptr<Scratch> scratch_; // the key arrays, kept between sorts
    bool sorting_ = false;
};

} // namespace Data
