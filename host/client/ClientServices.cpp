#include "ClientServices.h"

#include <windows.h>
#include "HostServices.h"

namespace Client {

std::wstring programDirectory() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    size_t slash = dir.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : dir.substr(0, slash);
}

namespace {

// The key paths of a store file: the text of each line before its first unescaped "=", with the
// store's escapes undone. The values are read through a store of the file itself.
std::vector<std::wstring> storePaths(const std::wstring& file) {
    std::vector<std::wstring> paths;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return paths;
    std::string bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h, &size) && size.QuadPart < (1 << 20)) {
        bytes.resize(size_t(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() &&
            (!ReadFile(h, &bytes[0], DWORD(bytes.size()), &read, nullptr) || read != bytes.size()))
            bytes.clear();
    }
    CloseHandle(h);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string path;
        for (size_t i = start; i < end; ++i) {
            if (bytes[i] == '\\' && i + 1 < end) {
                char escaped = bytes[++i];
                path += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
            } else if (bytes[i] == '=') {
                break;
            } else {
                path += bytes[i];
            }
        }
        if (!path.empty() && path[0] != '#')
            paths.push_back(XStringW::fromUtf8(path.c_str(), int(path.size())).c_str());
        start = end + 1;
    }
    return paths;
}

} // namespace

int applyShippedDefaults(Conf::IConfManager* system, const std::wstring& shippedFile) {
    if (!system)
        return 0;
    XComPtr<Conf::IConfManager> shipped = createConfManager(shippedFile.c_str(), L"Client2/System/");
    int added = 0;
    for (const std::wstring& path : storePaths(shippedFile)) {
        XComPtr<Conf::IConfKey> from = shipped->getKey(path.c_str());
        XComPtr<Conf::IConfValue> value = from ? from->getValue() : nullptr;
        if (!value || system->getKey(path.c_str()))
            continue; // the profile's own setting wins
        XComPtr<Conf::IConfKey> to = system->openKey(path.c_str());
        if (to && to->setValue(value.get()))
            ++added;
    }
    return added;
}

HostServices createHostServices(const std::wstring& profileDir, const std::wstring& programDir) {
    HostServices s;
    s.systemConf = createConfManager((profileDir + L"\\system.conf").c_str(), L"Client2/System/");
    s.userConf = createConfManager((profileDir + L"\\user.conf").c_str(), L"/Client2/UserConfig/");
    applyShippedDefaults(s.systemConf.get(), programDir + L"\\system-defaults.conf");
    s.themeMgr = createThemeManager((programDir + L"\\themes").c_str());
    s.notes.push_back(L"profile: " + profileDir);
    // A store that could not be read was put aside and started empty: say so once.
    for (Conf::IConfManager* store : {s.systemConf.get(), s.userConf.get()}) {
        XStringW moved = confStoreMovedAside(store);
        if (!moved.isEmpty())
            s.notes.push_back(L"unreadable settings moved to " + std::wstring(moved.c_str()) +
                              L"; defaults in use");
    }
    XComPtr<ITheme> theme = s.themeMgr ? s.themeMgr->getCurrentTheme() : nullptr;
    s.notes.push_back(L"themes: " + std::to_wstring(s.themeMgr ? s.themeMgr->themeCount() : 0) +
                      L", current " +
                      (theme ? std::wstring(theme->getName().c_str()) : std::wstring(L"none")));
    return s;
}

} // namespace Client
