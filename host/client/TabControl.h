// The main frame's named tab control: one tab per page, pages are children of the control and
// fill its display area; only the selected page is shown.
#pragma once

#include <windows.h>
#include <string>
#include <vector>
#include "App.h"
#include "RefCounted.h"

namespace Client {

class TabControl final : public RefCounted<ITabCtrl> {
public:
    TabControl(const char* name, HWND parent, int controlId);
    ~TabControl() override;

    bool addPage(ITabPage* page) override;
    bool activatePage(ITabPage* page) override;
    HWND getHwnd() override { return hwnd_; }

    const std::string& name() const { return name_; }
    int pageCount() const { return static_cast<int>(pages_.size()); }
    int selectedIndex() const;
    ITabPage* page(int index) const;
    // The window the page's create() returned, or null.
    HWND pageWindow(int index) const;
    // Follows a selection change made by the user (TCN_SELCHANGE).
    void onSelectionChanged();
    // Re-sizes the selected page to the control's display area.
    void layout();
    // Detaches the pages before their windows go away with the frame.
    void releasePages();
    // Start-up is complete: shows the selected page. Pages added before wait hidden, so a page
    // first shows with everything its module wired up (a page loads its data when first shown).
    void start();

private:
    void showSelected();

    std::string name_;
    HWND hwnd_ = nullptr;
    std::vector<XComPtr<ITabPage>> pages_;
    std::vector<HWND> windows_;
    bool started_ = false;
};

} // namespace Client
