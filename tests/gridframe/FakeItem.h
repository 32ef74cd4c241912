// A cell value for formatter tests, without a host table.
#pragma once

#include <cwchar>
#include "module/host/Data.h"

class FakeItem final : public Data::IDataItem {
public:
    FakeItem() = default;
    explicit FakeItem(const wchar_t* text) : text_(text), null_(false) {}
    explicit FakeItem(double value) : text_(std::to_wstring(value).c_str()), real_(value), null_(false) {}
    explicit FakeItem(int value) : text_(std::to_wstring(value).c_str()), real_(value), null_(false) {}

    bool isNull() const override { return null_; }
    XStringW getText() const override { return text_; }
    int getInt() const override { return real_ ? int(real_) : int(std::wcstol(text_.c_str(), nullptr, 10)); }
    double getDouble() const override { return real_ ? real_ : std::wcstod(text_.c_str(), nullptr); }
    void setText(const wchar_t* text) override { text_ = text; }
    void setDouble(double value) override { real_ = value; }
    void setInt(int value) override { real_ = value; }
    void setNull() override { null_ = true; }

private:
    XStringW text_;
    double real_ = 0.0;
    bool null_ = true;
};
