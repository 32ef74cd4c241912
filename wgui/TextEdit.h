// An edit field that shows a grey hint while it holds no text.
#pragma once

#include "wgui/Edit.h"
#include "wgui/WindowProc.h"

class TextEdit : public WGUI::Edit {
public:
    TextEdit();
    ~TextEdit() override;
    TextEdit(const TextEdit&) = delete;
    TextEdit& operator=(const TextEdit&) = delete;

    // Creates the "Edit" window and routes it through the toolkit.
    HWND create(DWORD style, DWORD exStyle, const RECT& rect, HWND parent, UINT id, HINSTANCE instance);

    void setHint(const XStringW& text) { hint = text; }
    const XStringW& getHint() const { return hint; }

    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    XStringW hint;
    WGUI::WindowProc router;
};
