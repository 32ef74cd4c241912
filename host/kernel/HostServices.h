// Kernel.dll's services that only the host client creates (the module reaches them through IApp).
#pragma once

#include "Conf.h"
#include "HostApi.h"
#include "Theme.h"
#include "XComPtr.h"

// A configuration store kept in storeFile (created with its folders on the first change),
// accepting only key paths that begin with pathPrefix: "Client2/System/" for the system store,
// "/Client2/UserConfig/" for the user store. Other paths give null keys.
//
// The file is UTF-8 text with one "path=value" line per key ("\\", "\n", "\r" and "=" escaped).
// Each change rewrites it atomically (temporary file beside it, then rename). A file that cannot
// be read as a store is renamed to "<storeFile>.corrupt-<yyyymmdd-hhmmss>" and the store starts
// empty. A null or empty storeFile gives a store kept in memory only (setValue returns false).
// Never null.
KERNEL_API XComPtr<Conf::IConfManager> createConfManager(const wchar_t* storeFile, const wchar_t* pathPrefix);

// The name the unreadable store file of this manager was moved to, or an empty text; lets the
// client tell the user that settings were reset. Null for a manager not made by this library.
KERNEL_API XStringW confStoreMovedAside(Conf::IConfManager* manager);

// Whether changes to the store reach its file. False when an unreadable file could not be moved
// aside (it is then kept, unread and untouched), after a failed save, or when the file is
// read-only or its folder takes no new file: changes then last for this session only. False for
// a manager not made by this library.
KERNEL_API bool confStoreKeepsChanges(Conf::IConfManager* manager);

// Whether the store's values were read from its file; false when the file was missing or could
// not be read, so that defaults are in use.
KERNEL_API bool confStoreReadFromFile(Conf::IConfManager* manager);

// Marks a file the client holds for itself, its database: "File.File" then refuses to replace
// it, however the target's path is spelt (configuration stores made here hold their files
// already). Counted; each hold is undone by one release.
KERNEL_API void holdFile(const wchar_t* path);
KERNEL_API void releaseFile(const wchar_t* path);

// The themes of every "*.theme" file in themeFolder (format: themes/README.md). The current theme
// is the first, by file name, marked "default = yes", else the first. setCurrentTheme raises the
// host event "event_theme_changed" with the new ITheme as its argument, so the client need not
// raise it. Never null; with no readable theme file it holds one built-in theme, the shipped
// dark theme (images included), as its current theme.
KERNEL_API XComPtr<IThemeMgr> createThemeManager(const wchar_t* themeFolder);

// Whether the manager fell back on the built-in theme because no theme file could be read; lets
// the client say so. False for a manager not made by this library.
KERNEL_API bool themeManagerUsesBuiltIn(IThemeMgr* manager);
