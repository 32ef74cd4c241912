// The small borderless "please wait" dialog shown over the page while a load that the user
// asked for runs. The load pumps no messages, so the dialog shows whatever the system paints
// before the queries block the thread.
#pragma once

#include <windows.h>
#include "wgui/WindowBase.h"

class WaitDialog : public WGUI::WindowBase {
public:
    static constexpr int kTextCapacity = 260; // terminator included
    static constexpr int kMaxTextWidth = 600;
    static constexpr int kTextMargin = 80;

    // A null or empty text becomes "请稍等..."; a longer text than the buffer holds is cut.
    explicit WaitDialog(const wchar_t* text);
    // Destroys the window if it still exists.
    ~WaitDialog() override;
    WaitDialog(const WaitDialog&) = delete;
    WaitDialog& operator=(const WaitDialog&) = delete;

    // Creates the modeless dialog from an in-memory template, sized to its text and centred on
    // parent (on the desktop when parent is no window); null on failure.
    HWND create(HINSTANCE instance, HWND parent);
    const wchar_t* text() const { return text_; }

    // The dialog being shown, or null; one at a time.
    static WaitDialog* active() { return active_; }

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void placeOver(HWND dialog);

    wchar_t text_[kTextCapacity] = {};
    static WaitDialog* active_;
};
