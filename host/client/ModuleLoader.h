// Loads a plug-in module the way the real host does: LoadLibraryW, GetProcAddress of the
// undecorated "ModuleInstance", the result taken as IModule, then initialize(app, error).
#pragma once

#include <windows.h>
#include <string>
#include "App.h"

namespace Client {

struct LoadedModule {
    HMODULE library = nullptr; // kept loaded for the life of the process, as the host does
    IModule* module = nullptr; // the module's own object; not reference-counted by the host
    std::string name;          // from getModuleInfo
    int32_t initResult = -1;   // initialize's result; -1 when it was not called
    std::wstring message;      // why loading failed, or the module's error text
    bool ok() const { return module && initResult == 0; }
};

// Never throws; a missing library, a missing export or a failed initialize are reported in the
// result's message.
LoadedModule loadModule(const std::wstring& path, IApp* app);

} // namespace Client
