// A host module: a library or part of the client, found through IApp::getModule by name.
#pragma once

#include <cstdint>
#include "XString.h"
#include "XUnknown.h"

class IApp;

struct ModuleInfo {
    XStringA name;
    XStringW description;
    int32_t moduleNumber = 0;
    int32_t moduleVersion = 0;
};

class IModule : public IXUnknown {
public:
    virtual bool getModuleInfo(ModuleInfo& info) = 0;
    virtual int32_t notify(int32_t code, int32_t value) = 0;
    // 0 on success, 1 on failure (error may then hold a message).
    virtual int32_t initialize(IApp* app, XStringW& error) = 0;
    virtual void uninitialize() = 0;

protected:
    ~IModule() = default;
};
