#include "ThemeManager.h"

#include <windows.h>
#include <algorithm>
#include "Kernel.h"

void ThemeManager::addBuiltInWhenEmpty() {
    if (!themes_.empty())
        return;
    XComPtr<HostTheme> theme;
    theme.attach(new HostTheme);
    if (theme->loadBuiltIn()) {
        themes_.push_back(theme);
        current_ = 0;
        builtIn_ = true;
    }
}

ThemeManager::ThemeManager(const wchar_t* folder) {
    if (!folder || !*folder) {
        addBuiltInWhenEmpty();
        return;
    }
    std::wstring base(folder);
    if (base.back() != L'\\' && base.back() != L'/')
        base += L'\\';
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((base + L"*.theme").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                files.push_back(found.cFileName);
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    std::sort(files.begin(), files.end());
    for (const std::wstring& file : files) {
        XComPtr<HostTheme> theme;
        theme.attach(new HostTheme);
        if (theme->load(base + file))
            themes_.push_back(theme);
    }
    addBuiltInWhenEmpty();
    for (size_t i = 0; i < themes_.size() && current_ < 0; ++i)
        if (themes_[i]->isDefault())
            current_ = int(i);
    if (current_ < 0 && !themes_.empty())
        current_ = 0;
}

XComPtr<ITheme> ThemeManager::getCurrentTheme() {
    return getTheme(current_);
}

XComPtr<ITheme> ThemeManager::getTheme(int index) {
    if (index < 0 || index >= int(themes_.size()))
        return nullptr;
    return XComPtr<ITheme>(themes_[size_t(index)].get());
}

bool ThemeManager::setCurrentTheme(const wchar_t* name) {
    if (!name)
        return false;
    for (size_t i = 0; i < themes_.size(); ++i) {
        if (themes_[i]->getName().compareNoCase(name) != 0)
            continue;
        if (current_ != int(i)) {
            current_ = int(i);
            XComPtr<ITheme> theme = getTheme(current_);
            if (XComPtr<IEvent> event = createEvent("event_theme_changed"))
                event->raise(theme.get());
        }
        return true;
    }
    return false;
}
