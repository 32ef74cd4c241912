// A "tooltips_class32" common control.
#pragma once

#include <commctrl.h>
#include "wgui/ControlBase.h"

namespace WGUI {

class ToolTipCtrl : public ControlBase {
public:
    using ControlBase::ControlBase;
    ~ToolTipCtrl() override = default;

    // A tooltip window owned by owner (a popup: the system destroys it with its owner), unless
    // there is one already. False when none could be made.
    bool createFor(HWND owner) {
        if (!isWindow())
            hwnd = CreateWindowExW(
                WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)), nullptr);
        return isWindow();
    }
    // Shows text while the pointer rests on the window tool, replacing what it showed there.
    void setWindowTip(HWND tool, const wchar_t* text, UINT extraFlags = 0) {
        TOOLINFOW info{};
        // The first-version size is the one every comctl32 accepts.
        info.cbSize = TTTOOLINFOW_V1_SIZE;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS | extraFlags;
        info.hwnd = GetParent(tool);
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = const_cast<wchar_t*>(text); // the control keeps a copy
        delTool(&info);
        addTool(&info);
    }
    int setMaxTipWidth(int width) { return static_cast<int>(sendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
    bool addTool(TOOLINFOW* info) {
        return sendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(info)) != 0;
    }
    void delTool(TOOLINFOW* info) { sendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(info)); }
};

} // namespace WGUI
