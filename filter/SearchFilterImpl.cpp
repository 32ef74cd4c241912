#include "filter/SearchFilterImpl.h"

#include <algorithm>

int SearchFilterImpl::release() {
    int left = refCount.decrement();
    if (left == 0)
        delete this;
    return left;
}

void SearchFilterImpl::addField(const wchar_t* name) {
    if (!name)
        return;
    XStringW field(name);
    if (std::find(fields.begin(), fields.end(), field) == fields.end())
        fields.push_back(field);
}

void SearchFilterImpl::addKeyword(const wchar_t* keyword) {
    if (!keyword)
        return;
    XStringW lowered = XStringW(keyword).toLower();
    if (std::find(keywords.begin(), keywords.end(), lowered) == keywords.end())
        keywords.push_back(lowered);
}

void SearchFilterImpl::filter(Data::IDataContainer* source, int* rows, int* count) {
    if (!source || !rows || !count || *count <= 0)
        return;
    if (fields.empty() || keywords.empty())
        return;
    // The view's own row list is rewritten only once every row has been tested: a cell that
    // cannot be read (the host's containers may raise) leaves the list whole, every row kept, and
    // nothing reaches the view from here.
    try {
        // Names are looked up once per call; an unknown one reads as empty cells, as by name.
        std::vector<int> columns;
        columns.reserve(fields.size());
        for (const XStringW& field : fields)
            columns.push_back(source->getColumnIndex(field.c_str()));
        std::vector<int> survivors;
        survivors.reserve(static_cast<size_t>(*count));
        for (int i = 0; i < *count; ++i) {
            const int index = rows[i];
            bool match = false;
            // A cell is lower-cased once and tried against every keyword: the same answer as one
            // test per column and keyword, without copying the text once per keyword.
            for (size_t f = 0; f < columns.size() && !match; ++f) {
                XStringW text = source->getRow(index).getItem(columns[f]).getText();
                text.makeLower();
                for (size_t k = 0; k < keywords.size() && !match; ++k)
                    match = text.find(keywords[k].c_str()) >= 0;
            }
            if (match)
                survivors.push_back(index);
        }
        std::copy(survivors.begin(), survivors.end(), rows);
        *count = static_cast<int>(survivors.size());
    } catch (...) {
        // The list and its count stand as they came: every row stays.
    }
}
