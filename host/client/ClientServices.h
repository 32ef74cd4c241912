// The configuration stores and the theme manager the client hands to its modules.
#pragma once

#include <string>
#include <vector>
#include <windows.h>
#include "App.h"

namespace Client {

struct HostServices {
    XComPtr<Conf::IConfManager> systemConf;
    XComPtr<Conf::IConfManager> userConf;
    XComPtr<IThemeMgr> themeMgr;
    std::vector<std::wstring> notes; // where the stores live, for the summary
    // Settings that will not be kept, for the status bar as long as the client runs; empty
    // when both stores save.
    std::wstring warning;
};

// The folder of the running program (where the host's DLLs and themes are installed).
std::wstring programDirectory();
// The folder a loaded module's file is in (null: the program), however long its path; "."
// when it cannot be read.
std::wstring moduleDirectory(HMODULE module);

// The stores are files inside profileDir; themes are looked for in programDir\themes. System
// settings the profile lacks are taken from the shipped programDir\system.conf.
HostServices createHostServices(const std::wstring& profileDir, const std::wstring& programDir);

// Copies every key of the shipped store file that system lacks into system; returns how many.
int applyShippedDefaults(Conf::IConfManager* system, const std::wstring& shippedFile);

} // namespace Client
