// Texts the module carries as resources (the grid header, the query), stored in GB2312. Read by
// the page, the grid and the filter bar, so it sits below them.
#pragma once

#include <windows.h>
#include "module/host/XString.h"

// The module this code is linked into (the module DLL, or a test program).
HMODULE ThisModule();

// The named resource of the given type in module, decoded from GB2312. A missing or unreadable
// resource gives an empty text.
XStringW LoadResourceText(HMODULE module, const wchar_t* type, const wchar_t* name);
