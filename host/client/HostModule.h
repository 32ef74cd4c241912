// The common part of the client's own host modules: identity and an empty life cycle.
#pragma once

#include "App.h"
#include "RefCounted.h"

namespace Client {

template <class Base> class HostModule : public RefCounted<Base> {
public:
    HostModule(const char* name, const wchar_t* description) : name_(name), description_(description) {}
    bool getModuleInfo(ModuleInfo& info) override {
        info.name = XStringA(name_);
        info.description = description_;
        info.moduleNumber = 0;
        info.moduleVersion = 0x01000000;
        return true;
    }
    int32_t notify(int32_t, int32_t) override { return 0; }
    int32_t initialize(IApp*, XStringW&) override { return 0; }
    void uninitialize() override {}
    const char* name() const { return name_; }

private:
    const char* name_;
    const wchar_t* description_;
};

} // namespace Client
