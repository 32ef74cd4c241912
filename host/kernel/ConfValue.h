// "Conf.ConfValue": a configuration value held as text.
#pragma once

#include "Conf.h"
#include "RefCounted.h"

namespace Conf {

class ConfValue final : public RefCounted<IConfValue> {
public:
    ConfValue() = default;
    explicit ConfValue(const XStringW& text) : text_(text) {}

    XStringW getString() const override { return text_; }
    void setString(const wchar_t* text) override { text_ = text ? text : L""; }
    double getDouble() const override;

private:
    XStringW text_;
};

} // namespace Conf
