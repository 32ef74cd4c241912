// Stand-ins for the configuration stores and the theme manager, used until the host's own
// services library is part of the build. Kept deliberately small: a store is one UTF-8 file of
// "path<TAB>value" lines written through a temporary file; the two themes carry the colours
// and fonts the page reads.
#pragma once

#include <map>
#include <string>
#include "App.h"

namespace Client {

XComPtr<Conf::IConfManager> createFallbackConfStore(const std::wstring& file);
XComPtr<IThemeMgr> createFallbackThemeManager();

} // namespace Client
