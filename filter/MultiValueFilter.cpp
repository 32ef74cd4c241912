#include "filter/MultiValueFilter.h"

#include <algorithm>

int MultiValueFilter::release() {
    int left = refCount.decrement();
    if (left == 0)
        delete this;
    return left;
}

void MultiValueFilter::setColumn(const wchar_t* name) {
    columnIndex = -1;
    resolvedIn = nullptr;
    columnName = name ? name : L"";
}

void MultiValueFilter::addValue(const wchar_t* value) {
    if (value && !hasValue(value))
        values.emplace_back(value);
}

void MultiValueFilter::removeValue(const wchar_t* value) {
    if (!value)
        return;
    XStringW gone(value);
    values.erase(std::remove(values.begin(), values.end(), gone), values.end());
}

bool MultiValueFilter::hasValue(const XStringW& value) const {
    return std::find(values.begin(), values.end(), value) != values.end();
}

void MultiValueFilter::filter(Data::IDataContainer* source, int* rows, int* count) {
    if (!source || !rows || !count || *count <= 0)
        return;
    // As for the keyword filter: the row list is rewritten only when every row has been read, and
    // nothing raised by the source reaches the view.
    try {
        if (resolvedIn != source)
            columnIndex = -1;
        if (columnIndex == -1 && !columnName.isEmpty()) {
            columnIndex = source->getColumnIndex(columnName.c_str());
            resolvedIn = source;
        }
        if (columnIndex == -1)
            return;
        std::vector<int> survivors;
        survivors.reserve(static_cast<size_t>(*count));
        for (int i = 0; i < *count; ++i) {
            const int index = rows[i];
            const XStringW text = source->getRow(index).getItem(columnIndex).getText();
            if (std::find(values.begin(), values.end(), text) != values.end())
                survivors.push_back(index);
        }
        std::copy(survivors.begin(), survivors.end(), rows);
        *count = static_cast<int>(survivors.size());
    } catch (...) {
        // The list and its count stand as they came: every row stays.
    }
}
