// Drives a page's filter bar the way a user does: clicks its buttons, picks items from the popup
// menus while they track, and types into the keyword dialog.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace Client {

// The first "Client2_FilterWnd" among the window's descendants, or null.
HWND findFilterBar(HWND root);

// Clicks the button; once its popup menu tracks, pick sees the menu and answers the id of the
// item to choose (0: close the menu choosing nothing). The choice reaches the menu's owner as a
// chosen item's command does. False when no menu showed.
bool whileMenuTracks(HWND button, const std::function<UINT(HMENU)>& pick);

// The id of the item reached by path (the texts of the submenus, then of the item, as the user
// reads them: a mnemonic's "&" dropped, a doubled "&&" read as one), or 0.
UINT findMenuItem(HMENU menu, const std::vector<std::wstring>& path);
// An item's text as the user reads it.
std::wstring menuItemText(HMENU menu, int position);

// How a choice went, as the user saw it.
enum class Choice {
    Chosen,
    NoMenu,     // no menu showed
    NoSuchItem, // the menu holds no such item
    Greyed,     // the item is there but cannot be chosen (the filter bar takes no more conditions)
    NoDialog,   // the keyword dialog did not show
};

// Clicks the button and chooses the item reached by path, as a user can: not a greyed one. The
// menu is closed in every case.
Choice chooseFrom(HWND button, const std::vector<std::wstring>& path);
// The same; true when chosen.
bool chooseMenuItem(HWND button, const std::vector<std::wstring>& path);

// "更多筛选" → "关键字筛选(&C)", then the keyword dialog typed into character by character
// and confirmed. False when the menu or the dialog did not show; outcome (when given) says why.
bool enterKeywords(HWND bar, const std::wstring& text, Choice* outcome = nullptr);
// The value chosen in the submenu of the column's title ("基金公司") under "更多筛选".
bool chooseFilterValue(HWND bar, const std::wstring& columnTitle, const std::wstring& value,
                       Choice* outcome = nullptr);

} // namespace Client
