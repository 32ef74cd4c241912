#include "filter/ValueSet.h"

#include <cstdint>
#include <unordered_set>

bool ValueSet::insert(const XStringW& value) {
    if (value.isEmpty())
        return false;
    return entries.insert(Entry{value.toCodePage("gb2312"), value}).second;
}

std::vector<XStringW> ValueSet::values() const {
    std::vector<XStringW> out;
    out.reserve(entries.size());
    for (const Entry& e : entries)
        out.push_back(e.value);
    return out;
}

namespace {

struct TextHash {
    size_t operator()(const XStringW& s) const {
        // 64-bit FNV-1a over the code units, folded to the width of size_t.
        uint64_t h = 1469598103934665603ull;
        for (int i = 0; i < s.length(); ++i) {
            h ^= static_cast<uint64_t>(s.at(i));
            h *= 1099511628211ull;
        }
        return static_cast<size_t>(h ^ (h >> 32));
    }
};

} // namespace

void ValueSet::collect(Data::IDataContainer* source, const wchar_t* column) {
    entries.clear();
    if (!source || !column)
        return;
    const int columnIndex = source->getColumnIndex(column);
    if (columnIndex < 0)
        return;
    // A column holds few distinct texts over many rows: each is converted to GB2312 only the
    // first time it is seen.
    std::unordered_set<XStringW, TextHash> seen;
    const int rows = source->rowCount();
    for (int row = 0; row < rows; ++row) {
        XStringW text = source->getRow(row).getItem(columnIndex).getText();
        if (text.isEmpty() || !seen.insert(text).second)
            continue;
        insert(text);
    }
}
