// The theme manager: every "*.theme" file of one folder.
#pragma once

#include <string>
#include <vector>
#include "HostTheme.h"

class ThemeManager final : public RefCounted<IThemeMgr> {
public:
    // Themes in file-name order; the current one is the first marked default, else the first.
    // Without any readable theme file it holds the built-in theme.
    explicit ThemeManager(const wchar_t* folder);
    bool usesBuiltIn() const { return builtIn_; }

    XComPtr<ITheme> getCurrentTheme() override;
    int themeCount() const override { return int(themes_.size()); }
    XComPtr<ITheme> getTheme(int index) override;
    // Makes the named theme current (names compared without case) and raises
    // "event_theme_changed" with it as the argument when it was not current already.
    bool setCurrentTheme(const wchar_t* name) override;

private:
    void addBuiltInWhenEmpty();

    std::vector<XComPtr<HostTheme>> themes_;
    int current_ = -1;
    bool builtIn_ = false;
};
