#include "FieldSorter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>
#include "DataItem.h"
#include "DataSource.h"

namespace Data {

namespace {

struct NumberKey {
    double value;
    int row;
};

struct TextKey {
    uint64_t prefix; // the first 8 bytes, big-endian, zero-padded
    const char* bytes;
    int row;
};

uint64_t prefixOf(const char* s) {
    uint64_t p = 0;
    int i = 0;
    for (; i < 8 && s[i]; ++i)
        p = (p << 8) | uint64_t(static_cast<unsigned char>(s[i]));
    return p << (8 * (8 - i));
}

// Below the prefix only when both texts are longer than 8 bytes (no byte of a text is zero).
inline int compareText(const TextKey& a, const TextKey& b) {
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix ? -1 : 1;
    if ((a.prefix & 0xFF) == 0)
        return 0;
    return std::strcmp(a.bytes + 8, b.bytes + 8);
}

// The cell behind a row: the table's own cell when the source is of this library.
class CellReader {
public:
    CellReader(IDataContainer* source, int column)
        : source_(source), fast_(dynamic_cast<DataSource*>(source)), column_(column) {}

    const DataItem* cell(int row) const { return fast_ ? fast_->cellAt(row, column_) : nullptr; }
    IDataItem& item(int row) const { return source_->getRow(row).getItem(column_); }
    bool fast() const { return fast_ != nullptr; }

private:
    IDataContainer* source_;
    DataSource* fast_;
    int column_;
};

void sortNumbers(const CellReader& reader, int* rows, int count, bool descending) {
    std::vector<NumberKey> keys;
    std::vector<int> rest;
    keys.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const int row = rows[i];
        double value = 0;
        bool ordered;
        if (const DataItem* cell = reader.cell(row)) {
            ordered = cell->numberKey(value);
        } else {
            IDataItem& item = reader.item(row);
            ordered = !item.isNull();
            if (ordered) {
                value = item.getDouble();
                ordered = value == value;
            }
        }
        if (ordered)
            keys.push_back({value, row});
        else
            rest.push_back(row);
    }
    if (descending)
        std::stable_sort(keys.begin(), keys.end(),
                         [](const NumberKey& a, const NumberKey& b) { return b.value < a.value; });
    else
        std::stable_sort(keys.begin(), keys.end(),
                         [](const NumberKey& a, const NumberKey& b) { return a.value < b.value; });
    int* out = rows;
    for (const NumberKey& k : keys)
        *out++ = k.row;
    for (int row : rest)
        *out++ = row;
}

void sortTexts(const CellReader& reader, int* rows, int count, bool descending) {
    std::vector<TextKey> keys;
    std::vector<int> rest;
    std::vector<XStringA> converted; // bytes of cells from containers of other libraries
    keys.reserve(size_t(count));
    if (!reader.fast())
        converted.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const int row = rows[i];
        const char* bytes = nullptr;
        if (const DataItem* cell = reader.cell(row)) {
            bytes = cell->gbKey();
        } else {
            IDataItem& item = reader.item(row);
            if (!item.isNull()) {
                converted.push_back(item.getText().toCodePage("gb2312"));
                bytes = converted.back().c_str();
            }
        }
        if (bytes && *bytes)
            keys.push_back({prefixOf(bytes), bytes, row});
        else
            rest.push_back(row);
    }
    if (descending)
        std::stable_sort(keys.begin(), keys.end(),
                         [](const TextKey& a, const TextKey& b) { return compareText(b, a) < 0; });
    else
        std::stable_sort(keys.begin(), keys.end(),
                         [](const TextKey& a, const TextKey& b) { return compareText(a, b) < 0; });
    int* out = rows;
    for (const TextKey& k : keys)
        *out++ = k.row;
    for (int row : rest)
        *out++ = row;
}

} // namespace

void FieldSorter::sortRows(IDataContainer* source, int* rows, int count) {
    if (!source || !rows || count < 2 || field_.isEmpty())
        return;
    const int column = source->getColumnIndex(field_.c_str());
    if (column < 0)
        return;
    IColumnItem* info = source->getColumn(column);
    const int type = info ? info->getValueType() : ValueText;
    CellReader reader(source, column);
    if (type == ValueText)
        sortTexts(reader, rows, count, order_ != 0);
    else
        sortNumbers(reader, rows, count, order_ != 0);
}

} // namespace Data
