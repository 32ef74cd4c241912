// The keyword filter's interface: a host data filter that keeps the rows in which some listed
// column contains some keyword, ignoring letter case.
#pragma once

#include "module/host/Data.h"

class ISearchFilter : public Data::IDataFilter {
public:
    virtual void clearFields() = 0;
    // Appended unless an equal name (case-sensitive) is already listed.
    virtual void addField(const wchar_t* name) = 0;
    virtual void clearKeywords() = 0;
    // Stored lower-cased; appended unless the same keyword is already listed.
    virtual void addKeyword(const wchar_t* keyword) = 0;

protected:
    ~ISearchFilter() = default;
};
