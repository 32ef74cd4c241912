#include "ClientServices.h"

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

HostServices createHostServices(const std::wstring& profileDir, const std::wstring& programDir) {
    HostServices s;
    s.systemConf = createConfManager((profileDir + L"\\system.conf").c_str(), L"Client2/System/");
    s.userConf = createConfManager((profileDir + L"\\user.conf").c_str(), L"/Client2/UserConfig/");
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
