#include "ClientServices.h"

#include "HostServices.h"

namespace Client {

std::wstring programDirectory() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    size_t slash = dir.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : dir.substr(0, slash);
}

HostServices createHostServices(const std::wstring& profileDir, const std::wstring& programDir) {
    HostServices s;
    s.systemConf = createConfManager((profileDir + L"\\system.conf").c_str(), L"Client2/System/");
    s.userConf = createConfManager((profileDir + L"\\user.conf").c_str(), L"/Client2/UserConfig/");
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
