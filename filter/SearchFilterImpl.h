// The keyword filter the filter bar attaches to the grid's display view. Created with new holding
// one reference (its creator's); release() at zero deletes it.
#pragma once

#include <vector>
#include "filter/FilterRefCount.h"
#include "filter/ISearchFilter.h"

class SearchFilterImpl final : public ISearchFilter {
public:
    SearchFilterImpl() = default;
    SearchFilterImpl(const SearchFilterImpl&) = delete;
    SearchFilterImpl& operator=(const SearchFilterImpl&) = delete;

    int addRef() override { return refCount.increment(); }
    int release() override;
    // Keeps the rows in which any listed column contains any keyword; with no columns or no
    // keywords every row passes.
    void filter(Data::IDataContainer* source, int* rows, int* count) override;
    void clearFields() override { fields.clear(); }
    void addField(const wchar_t* name) override;
    void clearKeywords() override { keywords.clear(); }
    void addKeyword(const wchar_t* keyword) override;

    const std::vector<XStringW>& getFields() const { return fields; }
    const std::vector<XStringW>& getKeywords() const { return keywords; }

private:
    ~SearchFilterImpl() = default;

    std::vector<XStringW> fields;
    std::vector<XStringW> keywords;
    FilterRefCount refCount;
};
