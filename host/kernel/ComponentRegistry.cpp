#include "ComponentRegistry.h"

ComponentRegistry& ComponentRegistry::instance() {
    static ComponentRegistry registry;
    return registry;
}

ComponentRegistry::ComponentRegistry() {
    registerBuiltinComponents(*this);
}

bool ComponentRegistry::add(const char* name, ComponentFactory factory) {
    if (!name || !*name || !factory)
        return false;
    std::lock_guard<std::mutex> guard(lock_);
    factories_[name] = factory;
    return true;
}

XComPtr<IXUnknown> ComponentRegistry::create(const char* name) {
    if (!name)
        return nullptr;
    ComponentFactory factory = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto it = factories_.find(name);
        if (it == factories_.end())
            return nullptr;
        factory = it->second;
    }
    XComPtr<IXUnknown> object;
    try {
        object.attach(factory()); // the factory's reference passes to the caller
    } catch (...) {
        return nullptr; // no exception leaves the library
    }
    return object;
}

KERNEL_API XComPtr<IXUnknown> createInstance(const char* name) {
    return ComponentRegistry::instance().create(name);
}

KERNEL_API bool registerComponent(const char* name, ComponentFactory factory) {
    return ComponentRegistry::instance().add(name, factory);
}
