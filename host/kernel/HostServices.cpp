#include "HostServices.h"

#include "ConfManager.h"
#include "HeldFiles.h"
#include "ThemeManager.h"

KERNEL_API XComPtr<Conf::IConfManager> createConfManager(const wchar_t* storeFile,
                                                         const wchar_t* pathPrefix) {
    XComPtr<Conf::IConfManager> manager;
    try {
        manager.attach(new Conf::ConfManager(storeFile, pathPrefix));
    } catch (...) {
        return nullptr;
    }
    return manager;
}

KERNEL_API XStringW confStoreMovedAside(Conf::IConfManager* manager) {
    auto* store = dynamic_cast<Conf::ConfManager*>(manager);
    return store ? XStringW(store->movedAside().c_str()) : XStringW();
}

KERNEL_API bool confStoreKeepsChanges(Conf::IConfManager* manager) {
    auto* store = dynamic_cast<Conf::ConfManager*>(manager);
    return store && store->keepsChanges();
}

KERNEL_API bool confStoreReadFromFile(Conf::IConfManager* manager) {
    auto* store = dynamic_cast<Conf::ConfManager*>(manager);
    return store && store->readFromFile();
}

KERNEL_API void holdFile(const wchar_t* path) {
    HeldFiles::hold(path);
}

KERNEL_API void releaseFile(const wchar_t* path) {
    HeldFiles::release(path);
}

KERNEL_API XComPtr<IThemeMgr> createThemeManager(const wchar_t* themeFolder) {
    XComPtr<IThemeMgr> manager;
    try {
        manager.attach(new ThemeManager(themeFolder));
    } catch (...) {
        return nullptr;
    }
    return manager;
}

KERNEL_API bool themeManagerUsesBuiltIn(IThemeMgr* manager) {
    auto* themes = dynamic_cast<ThemeManager*>(manager);
    return themes && themes->usesBuiltIn();
}
