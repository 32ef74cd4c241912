#include "ClientServices.h"

#include <windows.h>
#include "HostServices.h"

namespace Client {

std::wstring moduleDirectory(HMODULE module) {
    // No fixed buffer: a folder deeper than MAX_PATH would come back cut short, and the themes,
    // the sample generator and the default database would be looked for in the wrong place.
    std::wstring dir(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(module, &dir[0], DWORD(dir.size()));
        if (n == 0) {
            dir.clear();
            break;
        }
        if (n < dir.size()) {
            dir.resize(n);
            break;
        }
        if (dir.size() >= 32768) { // longer than any path can be
            dir.clear();
            break;
        }
        dir.resize(dir.size() * 2);
    }
    size_t slash = dir.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : dir.substr(0, slash);
}

std::wstring programDirectory() {
    return moduleDirectory(nullptr);
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
    // A profile made before a setting was shipped still gets it; its own settings stay.
    applyShippedDefaults(s.systemConf.get(), programDir + L"\\system.conf");
    s.themeMgr = createThemeManager((programDir + L"\\themes").c_str());
    s.notes.push_back(L"profile: " + profileDir);
    const std::pair<Conf::IConfManager*, std::wstring> stores[] = {{s.systemConf.get(), L"system.conf"},
                                                                   {s.userConf.get(), L"user.conf"}};
    for (const auto& [store, name] : stores) {
        std::wstring file = profileDir + L"\\" + name;
        // A store that could not be read was put aside and started empty: say so once.
        XStringW moved = confStoreMovedAside(store);
        if (!moved.isEmpty())
            s.notes.push_back(L"unreadable settings moved to " + std::wstring(moved.c_str()) +
                              L"; defaults in use");
        if (confStoreKeepsChanges(store))
            continue;
        // Changes live only as long as this run: the user must hear it before making any.
        std::wstring line;
        if (confStoreReadFromFile(store))
            line = L"settings cannot be saved to " + file + L": the saved settings are in use";
        else if (moved.isEmpty() && GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES)
            line = L"unreadable settings in " + file + L" cannot be moved aside: defaults in use";
        else
            line = L"settings cannot be saved to " + file + L": defaults in use";
        line += L", changes will not be kept";
        s.notes.push_back(line);
        s.warning += (s.warning.empty() ? L"" : L"; ") + line;
    }
    XComPtr<ITheme> theme = s.themeMgr ? s.themeMgr->getCurrentTheme() : nullptr;
    std::wstring themes = L"themes: " + std::to_wstring(s.themeMgr ? s.themeMgr->themeCount() : 0) +
                          L", current " +
                          (theme ? std::wstring(theme->getName().c_str()) : std::wstring(L"none"));
    if (themeManagerUsesBuiltIn(s.themeMgr.get()))
        themes += L" (built in: no theme file could be read in " + programDir + L"\\themes)";
    s.notes.push_back(themes);
    return s;
}

} // namespace Client
