#include "FieldSorter.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <vector>
#include "DataItem.h"
#include "DataSource.h"

namespace Data {

namespace {

struct NumberKey {
    uint64_t key; // orderedBits of the value
    int row;
};

// The bits of a double as an unsigned integer of the same order (NaN excluded): negatives have
// every bit flipped, the others only the sign bit. -0 is made +0 first, since the two are equal
// and their rows must keep their source order.
inline uint64_t orderedBits(double value) {
    value += 0.0;
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits >> 63) ? ~bits : bits | (uint64_t(1) << 63);
}

// A stable least-significant-digit radix sort of the keys, 11 bits a pass; a digit every key
// shares costs no pass. Equal keys keep their order, as a stable comparison sort would leave
// them, at a fraction of its time for a view's 100,000 rows.
void radixSort(std::vector<NumberKey>& keys, std::vector<NumberKey>& other) {
    constexpr int kBits = 11, kPasses = (64 + kBits - 1) / kBits;
    constexpr size_t kBuckets = size_t(1) << kBits;
    std::vector<uint32_t> counts(kPasses * kBuckets, 0);
    for (const NumberKey& k : keys)
        for (int p = 0; p < kPasses; ++p)
            ++counts[size_t(p) * kBuckets + ((k.key >> (p * kBits)) & (kBuckets - 1))];
    other.resize(keys.size());
    for (int p = 0; p < kPasses; ++p) {
        uint32_t* count = counts.data() + size_t(p) * kBuckets;
        const int shift = p * kBits;
        if (count[(keys.front().key >> shift) & (kBuckets - 1)] == keys.size())
            continue;
        uint32_t offset = 0;
        for (size_t b = 0; b < kBuckets; ++b) {
            const uint32_t n = count[b];
            count[b] = offset;
            offset += n;
        }
        for (const NumberKey& k : keys)
            other[count[(k.key >> shift) & (kBuckets - 1)]++] = k;
        keys.swap(other);
    }
}

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

} // namespace

// Kept from sort to sort: a view sorts the same rows again and again, and fresh blocks of a few
// megabytes each time cost more than the sort itself (every page is faulted in anew).
struct FieldSorter::Scratch {
    std::vector<NumberKey> numbers, spare;
    std::vector<TextKey> texts, numberTexts;
    std::vector<int> rest;
};

namespace {

void sortNumbers(const CellReader& reader, int* rows, int count, bool descending,
                 std::vector<NumberKey>& keys, std::vector<NumberKey>& spare, std::vector<int>& rest) {
    keys.clear();
    rest.clear();
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
        if (ordered) {
            // Descending is ascending by the complement: equal values still keep source order.
            const uint64_t key = orderedBits(value);
            keys.push_back({descending ? ~key : key, row});
        } else {
            rest.push_back(row);
        }
    }
    if (keys.size() >= 256)
        radixSort(keys, spare);
    else
        std::stable_sort(keys.begin(), keys.end(),
                         [](const NumberKey& a, const NumberKey& b) { return a.key < b.key; });
    int* out = rows;
    for (const NumberKey& k : keys)
        *out++ = k.row;
    for (int row : rest)
        *out++ = row;
}

// The value of a text that reads wholly as a decimal number: an optional sign, digits with at
// most one decimal point, and an optional trailing "%" (hundredths). No blanks, no exponent.
bool decimalValue(const char* text, double& value) {
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    const char* digits = p;
    int count = 0;
    bool point = false;
    for (;; ++p) {
        if (*p >= '0' && *p <= '9')
            ++count;
        else if (*p == '.' && !point)
            point = true;
        else
            break;
    }
    const char* end = p;
    const bool percent = *p == '%';
    if (count == 0 || p[percent ? 1 : 0] != '\0')
        return false;
    double v = 0;
    const std::from_chars_result read = std::from_chars(digits, end, v, std::chars_format::fixed);
    if (read.ec != std::errc() || read.ptr != end)
        return false;
    value = (negative ? -v : v) / (percent ? 100.0 : 1.0);
    return true;
}

// Texts that both read as numbers compare as numbers, every other pair by its bytes. Those
// rules alone need not give one order ("2" < "10" by value, "10" < "1a" and "1a" < "2" by
// bytes), so the numbers are sorted by value among themselves, the other texts by their bytes,
// and the two runs are merged by bytes: each run keeps its own order, and a number stands where
// its text would among the other texts as far as the numbers' order allows.
void sortTexts(const CellReader& reader, int* rows, int count, bool descending, std::vector<TextKey>& keys,
               std::vector<TextKey>& numberTexts, std::vector<NumberKey>& numbers,
               std::vector<NumberKey>& spare, std::vector<int>& rest) {
    keys.clear();
    numberTexts.clear();
    numbers.clear();
    rest.clear();
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
        double value = 0;
        if (!bytes || !*bytes) {
            rest.push_back(row);
        } else if (decimalValue(bytes, value)) {
            // The key's row is the text's place in numberTexts, for the merge below.
            const uint64_t key = orderedBits(value);
            numbers.push_back({descending ? ~key : key, int(numberTexts.size())});
            numberTexts.push_back({prefixOf(bytes), bytes, row});
        } else {
            keys.push_back({prefixOf(bytes), bytes, row});
        }
    }
    if (numbers.size() >= 256)
        radixSort(numbers, spare);
    else
        std::stable_sort(numbers.begin(), numbers.end(),
                         [](const NumberKey& a, const NumberKey& b) { return a.key < b.key; });
    if (descending)
        std::stable_sort(keys.begin(), keys.end(),
                         [](const TextKey& a, const TextKey& b) { return compareText(b, a) < 0; });
    else
        std::stable_sort(keys.begin(), keys.end(),
                         [](const TextKey& a, const TextKey& b) { return compareText(a, b) < 0; });
    int* out = rows;
    size_t text = 0;
    for (const NumberKey& n : numbers) {
        const TextKey& number = numberTexts[size_t(n.row)];
        // A number's bytes never equal another text's: no tie to break.
        while (text < keys.size() &&
               (descending ? compareText(keys[text], number) > 0 : compareText(keys[text], number) < 0))
            *out++ = keys[text++].row;
        *out++ = number.row;
    }
    for (; text < keys.size(); ++text)
        *out++ = keys[text].row;
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
    // A container of another library could sort with this sorter while it is read; that inner
    // sort gets buffers of its own.
    if (!scratch_)
        scratch_ = std::make_unique<Scratch>();
    Scratch local;
    Scratch& scratch = sorting_ ? local : *scratch_;
    struct Restore {
        bool& flag;
        bool value;
        ~Restore() { flag = value; }
    } restore{sorting_, sorting_};
    sorting_ = true;
    if (type == ValueText)
        sortTexts(reader, rows, count, order_ != 0, scratch.texts, scratch.numberTexts, scratch.numbers,
                  scratch.spare, scratch.rest);
    else
        sortNumbers(reader, rows, count, order_ != 0, scratch.numbers, scratch.spare, scratch.rest);
}

FieldSorter::FieldSorter() = default;
FieldSorter::~FieldSorter() = default;

} // namespace Data
