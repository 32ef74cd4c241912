#include "TopSorter.h"

#include <string>
#include <unordered_map>
#include "DataItem.h"
#include "DataSource.h"

namespace Data {

void TopSorter::sortRows(IDataContainer* source, int* rows, int count) {
    if (!source || !rows || count < 1 || column_.isEmpty() || values_.empty())
        return;
    const int column = source->getColumnIndex(column_.c_str());
    if (column < 0)
        return;
    std::unordered_map<std::wstring, int> rank;
    for (const XStringW& v : values_)
        if (!v.isEmpty())
            rank.emplace(std::wstring(v.c_str(), size_t(v.length())), int(rank.size()));
    if (rank.empty())
        return;

    DataSource* fast = dynamic_cast<DataSource*>(source);
    std::vector<std::vector<int>> pinned(rank.size());
    std::vector<int> rest;
    rest.reserve(size_t(count));
    std::wstring text;
    for (int i = 0; i < count; ++i) {
        const int row = rows[i];
        const DataItem* cell = fast ? fast->cellAt(row, column) : nullptr;
        if (cell && cell->storedText()) {
            text.assign(cell->storedText());
        } else {
            XStringW t = cell ? cell->getText() : source->getRow(row).getItem(column).getText();
            text.assign(t.c_str(), size_t(t.length()));
        }
        auto it = text.empty() ? rank.end() : rank.find(text);
        if (it == rank.end())
            rest.push_back(row);
        else
            pinned[size_t(it->second)].push_back(row);
    }
    int* out = rows;
    for (const auto& group : pinned)
        for (int row : group)
            *out++ = row;
    for (int row : rest)
        *out++ = row;
}

} // namespace Data
