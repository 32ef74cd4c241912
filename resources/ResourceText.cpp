#include "ResourceText.h"

#include <vector>

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

XStringW LoadResourceText(HMODULE module, const wchar_t* type, const wchar_t* name) {
    HRSRC info = FindResourceW(module, name, type);
    if (!info)
        return XStringW();
    DWORD size = SizeofResource(module, info);
    HGLOBAL handle = LoadResource(module, info);
    const void* bytes = handle ? LockResource(handle) : nullptr;
    if (!bytes || size == 0)
        return XStringW();
    // The resource bytes carry no terminator; copy them and add one.
    std::vector<char> text(static_cast<const char*>(bytes), static_cast<const char*>(bytes) + size);
    text.push_back('\0');
    return XStringW::fromCodePage(text.data(), int(size), "gb2312");
}
