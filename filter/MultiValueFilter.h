// The column-value filter behind every value condition of the filter bar: a row passes when its
// cell in the column equals one of the values exactly. Created with new holding one reference.
#pragma once

#include <vector>
#include "filter/FilterRefCount.h"
#include "module/host/Data.h"

class MultiValueFilter final : public Data::IDataFilter {
public:
    MultiValueFilter() = default;
    MultiValueFilter(const MultiValueFilter&) = delete;
    MultiValueFilter& operator=(const MultiValueFilter&) = delete;

    int addRef() override { return refCount.increment(); }
    int release() override;
    // An empty value list keeps no row; an empty or unknown column leaves the rows alone.
    void filter(Data::IDataContainer* source, int* rows, int* count) override;

    // The column is looked up again on the next filter(). Null empties the name.
    void setColumn(const wchar_t* name);
    const XStringW& getColumn() const { return columnName; }
    void clearValues() { values.clear(); }
    void addValue(const wchar_t* value);
    void removeValue(const wchar_t* value);
    bool hasValue(const XStringW& value) const;
    const std::vector<XStringW>& getValues() const { return values; }

private:
    ~MultiValueFilter() = default;

    XStringW columnName;
    int columnIndex = -1;
    // The source the index was resolved in: a filter moved to another source, whose columns may
    // stand in another order, looks its column up again instead of testing the wrong one.
    Data::IDataContainer* resolvedIn = nullptr;
    std::vector<XStringW> values;
    FilterRefCount refCount;
};
