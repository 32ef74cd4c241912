// A column of a data table: its name and the value type that sorters follow.
#pragma once

#include <string>
#include "Data.h"

namespace Data {

class DataColumn final : public IColumnItem {
public:
    DataColumn(const wchar_t* name, int type) : name_(name ? name : L""), type_(validType(type)) {}

    const wchar_t* getName() const override { return name_.c_str(); }
    int getValueType() const override { return type_; }
    // Unknown types read as text, the order every cell has.
    void setValueType(int type) override { type_ = validType(type); }
    const std::wstring& name() const { return name_; }

private:
    static int validType(int type) { return type == ValueReal || type == ValueInteger ? type : ValueText; }

    std::wstring name_;
    int type_;
};

} // namespace Data
