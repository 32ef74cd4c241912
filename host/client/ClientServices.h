// The configuration stores and the theme manager the client hands to its modules.
#pragma once

#include <string>
#include <vector>
#include "App.h"

namespace Client {

struct HostServices {
    XComPtr<Conf::IConfManager> systemConf;
    XComPtr<Conf::IConfManager> userConf;
    XComPtr<IThemeMgr> themeMgr;
    std::vector<std::wstring> notes; // where the stores live, for the summary
};

// The folder of the running program (where the host's DLLs and themes are installed).
std::wstring programDirectory();

// The stores are files inside profileDir; themes are looked for in programDir\themes. System
// settings the profile lacks are taken from programDir\system-defaults.conf.
HostServices createHostServices(const std::wstring& profileDir, const std::wstring& programDir);

// Copies every key of the shipped store file that system lacks into system; returns how many.
int applyShippedDefaults(Conf::IConfManager* system, const std::wstring& shippedFile);

} // namespace Client
