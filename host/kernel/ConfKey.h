// A key of a configuration store; its value lives in the store, so a key object never goes stale.
#pragma once

#include <string>
#include "ConfManager.h"

namespace Conf {

class ConfKey final : public RefCounted<IConfKey> {
public:
    ConfKey(ConfManager* store, std::wstring path) : store_(store), path_(std::move(path)) {}

    XStringW getPath() const override { return XStringW(path_.c_str(), int(path_.size())); }
    XComPtr<IConfValue> getValue() override;
    bool setValue(IConfValue* value) override;

private:
    XComPtr<ConfManager> store_;
    std::wstring path_;
};

} // namespace Conf
