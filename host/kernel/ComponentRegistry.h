// Factories of the components that createInstance makes by name.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include "Kernel.h"

class ComponentRegistry {
public:
    static ComponentRegistry& instance();

    bool add(const char* name, ComponentFactory factory);
    XComPtr<IXUnknown> create(const char* name);

private:
    ComponentRegistry();

    std::mutex lock_;
    std::map<std::string, ComponentFactory> factories_;
};

// The built-in components of Kernel.dll, registered when the registry is first used.
void registerBuiltinComponents(ComponentRegistry& registry);
