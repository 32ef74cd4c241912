// "Data.TopSorter": pins rows whose column text is in a list to the top, in list order.
#pragma once

#include <vector>
#include "Data.h"
#include "RefCounted.h"

namespace Data {

// Stable: pinned rows with the same value, and all rows not pinned, keep the order they were
// given in. An empty value pins nothing (a rule text ending in a comma must not pin every row
// whose cell is empty); a value listed twice keeps its first place.
class TopSorter final : public RefCounted<ITopSorter> {
public:
    void sortRows(IDataContainer* source, int* rows, int count) override;
    void setColumn(const wchar_t* name) override { column_ = name ? name : L""; }
    void clearValues() override { values_.clear(); }
    void addValue(const wchar_t* text) override { values_.emplace_back(text ? text : L""); }

private:
    XStringW column_;
    std::vector<XStringW> values_;
};

} // namespace Data
