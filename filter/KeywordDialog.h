// The small modal dialog in which the user types the keywords of a keyword condition. Built from
// an in-memory template; one edit field with a grey hint, and an OK button.
#pragma once

#include <windows.h>
#include "module/host/XString.h"
#include "wgui/GdiHandles.h"
#include "wgui/TextEdit.h"

class KeywordDialog {
public:
    static constexpr int kEditId = 100;
    static constexpr int kMaxKeywordLength = 128;
    static const wchar_t kTitle[];

    KeywordDialog() = default;
    KeywordDialog(const KeywordDialog&) = delete;
    KeywordDialog& operator=(const KeywordDialog&) = delete;

    // Runs the dialog modally with its top-right corner 20 pixels left of and below the anchor
    // (a screen point). 1: OK (text holds the entry), 2: cancelled or closed, -1: no memory for
    // the template.
    int show(HWND parent, int anchorX, int anchorY);
    const XStringW& text() const { return entered; }
    // Ends a dialog that is showing as a cancel does; show then returns 2.
    void close();

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    void onInit(HWND dialog);

    HWND window = nullptr; // while show runs
    int anchorX = 0;
    int anchorY = 0;
    TextEdit edit;
    WGUI::UniqueFont font;
    XStringW entered;
};
