// The distinct values of one column, in the order the filter bar offers them: by the bytes of
// their GB2312 form (close to pinyin order for common characters).
#pragma once

#include <set>
#include <vector>
#include "module/host/Data.h"

class ValueSet {
public:
    // Adds a non-empty text; false when it was already there or empty.
    bool insert(const XStringW& value);
    void clear() { entries.clear(); }
    bool empty() const { return entries.empty(); }
    size_t size() const { return entries.size(); }
    // The values in offering order.
    std::vector<XStringW> values() const;

    // Empties the set, then adds the column's non-empty texts of every row of source.
    void collect(Data::IDataContainer* source, const wchar_t* column);

private:
    struct Entry {
        XStringA key; // the GB2312 bytes
        XStringW value;
    };
    // Characters GB2312 cannot hold all become the same replacement byte, so two different texts
    // may share their bytes; they are then told apart by their UTF-16 code units, and neither
    // is lost from the menu.
    struct Order {
        bool operator()(const Entry& a, const Entry& b) const {
            int byKey = a.key.compare(b.key);
            return byKey != 0 ? byKey < 0 : a.value < b.value;
        }
    };
    std::set<Entry, Order> entries;
};
