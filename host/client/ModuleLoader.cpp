#include "ModuleLoader.h"

namespace Client {

namespace {

std::wstring systemMessage(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = text ? text : L"";
    if (text)
        LocalFree(text);
    while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L' '))
        out.pop_back();
    return out + L" (" + std::to_wstring(code) + L")";
}

} // namespace

LoadedModule loadModule(const std::wstring& path, IApp* app) {
    LoadedModule m;
    try {
        m.library = LoadLibraryW(path.c_str());
        if (!m.library) {
            m.message = L"cannot load " + path + L": " + systemMessage(GetLastError());
            return m;
        }
        using Entry = void* (*)();
        auto entry =
            reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(m.library, "ModuleInstance")));
        if (!entry) {
            m.message = path + L" exports no ModuleInstance";
            return m;
        }
        // The export returns the module object as its primary interface, which begins with IModule.
        m.module = static_cast<IModule*>(entry());
        if (!m.module) {
            m.message = path + L": ModuleInstance returned null";
            return m;
        }
        ModuleInfo info;
        if (m.module->getModuleInfo(info))
            m.name = info.name.c_str();
        XStringW error;
        m.initResult = m.module->initialize(app, error);
        if (m.initResult != 0)
            m.message = L"initialize failed (" + std::to_wstring(m.initResult) + L")" +
                        (error.isEmpty() ? std::wstring() : std::wstring(L": ") + error.c_str());
    } catch (...) {
        m.message = path + L": the module raised an exception while loading";
        m.initResult = m.initResult < 0 ? 1 : m.initResult;
    }
    return m;
}

} // namespace Client
