// A system "Button" control.
#pragma once

#include "wgui/ControlBase.h"

namespace WGUI {

class Button : public ControlBase {
public:
    using ControlBase::ControlBase;
    ~Button() override = default;

    // BST_CHECKED, BST_UNCHECKED or BST_INDETERMINATE.
    int checkState() const { return static_cast<int>(sendMessage(BM_GETCHECK)); }
};

} // namespace WGUI
