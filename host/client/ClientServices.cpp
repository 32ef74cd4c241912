#include "ClientServices.h"

#include "FallbackServices.h"

namespace Client {

HostServices createHostServices(const std::wstring& profileDir, const std::wstring& programDir) {
    (void)programDir;
    HostServices s;
    s.systemConf = createFallbackConfStore(profileDir + L"\\system.conf");
    s.userConf = createFallbackConfStore(profileDir + L"\\user.conf");
    s.themeMgr = createFallbackThemeManager();
    s.notes.push_back(L"profile: " + profileDir + L" (built-in stores and themes)");
    return s;
}

} // namespace Client
