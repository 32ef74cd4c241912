// A "tooltips_class32" common control.
#pragma once

#include <commctrl.h>
#include "wgui/ControlBase.h"

namespace WGUI {

class ToolTipCtrl : public ControlBase {
public:
    using ControlBase::ControlBase;
    ~ToolTipCtrl() override = default;

    int setMaxTipWidth(int width) { return static_cast<int>(sendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
    bool addTool(TOOLINFOW* info) {
        return sendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(info)) != 0;
    }
    void delTool(TOOLINFOW* info) { sendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(info)); }
};

} // namespace WGUI
