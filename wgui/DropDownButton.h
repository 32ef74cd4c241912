// The caption-and-arrow button of the filter bar: a push button that draws its own caption
// (the window has no text) and a small downward arrow at its right edge, with an optional
// tooltip.
#pragma once

#include <memory>
#include "wgui/Button.h"
#include "wgui/ToolTipCtrl.h"
#include "wgui/WindowProc.h"

class DropDownButton : public WGUI::Button {
public:
    DropDownButton() = default;
    // Undoes the subclassing; the button window itself belongs to its parent. The tooltip window
    // is this object's own and goes with it.
    ~DropDownButton() override;
    DropDownButton(const DropDownButton&) = delete;
    DropDownButton& operator=(const DropDownButton&) = delete;

    HWND create(DWORD style, HWND parent, UINT id, HINSTANCE instance);

    // Set by the owner before the next layout; refreshTooltip applies the tooltip text.
    void setCaption(const XStringW& text) { caption = text; }
    void setTooltipText(const XStringW& text) { tooltipText = text; }
    const XStringW& getCaption() const { return caption; }
    const XStringW& getTooltipText() const { return tooltipText; }

    // The width that shows the whole caption in the button's font beside the arrow. A narrower
    // button ends its caption with an ellipsis.
    int fullWidth() const;
    // What the tooltip shows: the owner's text, else the whole caption when the button is too
    // narrow for it, else nothing.
    XStringW shownTooltip() const;
    // Called by the owner after moving the button: with nothing to show, the tooltip window goes.
    void refreshTooltip();
    HWND tooltipWindow() const { return tooltip.hwnd; }

    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void paintCaptionAndArrow();

    std::unique_ptr<WGUI::WindowProc> router;
    WGUI::ToolTipCtrl tooltip;
    XStringW caption;
    XStringW tooltipText;
};
