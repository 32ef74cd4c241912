#include "ModalAnswers.h"

#include <dlgs.h>

namespace Client {

namespace {

thread_local ModalAnswers* active = nullptr;

// The text of a message box is the static control with this id.
const int kMessageTextId = 0xFFFF;

std::wstring className(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::wstring windowText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(size_t(n + 1), L'\0');
    n = GetWindowTextW(hwnd, &text[0], n + 1);
    text.resize(size_t(n > 0 ? n : 0));
    return text;
}

BOOL CALLBACK collect(HWND hwnd, LPARAM list) {
    if (IsWindowVisible(hwnd))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

void press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The explorer dialog names its file field cmb13 (an editable combo box), the older one edt1.
HWND fileNameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, cmb13);
    return field ? field : GetDlgItem(dialog, edt1);
}

} // namespace

ModalAnswers::ModalAnswers() {
    active = this;
    // 10 ms, the shortest timer Windows keeps: a command waits one tick per menu or dialog.
    timer_ = SetTimer(nullptr, 0, 10, &ModalAnswers::onTimer);
}

ModalAnswers::~ModalAnswers() {
    if (timer_)
        KillTimer(nullptr, timer_);
    if (active == this)
        active = nullptr;
}

void ModalAnswers::chooseMenuItem(const std::wstring& text) {
    menuPending_ = true;
    menuText_ = text;
}

void ModalAnswers::answerSaveDialog(const std::wstring& name, int filterIndex, bool cancel) {
    saveAnswers_.push_back({name, filterIndex, cancel});
}

void CALLBACK ModalAnswers::onTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (active)
        active->tick();
}

void ModalAnswers::tick() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), &collect, reinterpret_cast<LPARAM>(&windows));
    // Popup menus belong to the desktop's menu class; look for ours separately.
    for (HWND menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu;
         menu = FindWindowExW(nullptr, menu, L"#32768", nullptr))
        if (IsWindowVisible(menu) && GetWindowThreadProcessId(menu, nullptr) == GetCurrentThreadId())
            windows.push_back(menu);
    for (HWND hwnd : windows) {
        if (known_.count(hwnd))
            continue;
        const std::wstring cls = className(hwnd);
        if (cls == L"#32768") {
            if (!menuPending_)
                continue; // a menu someone else drives
            known_.insert(hwnd);
            answerMenu(hwnd);
        } else if (cls == L"#32770" && GetDlgItem(hwnd, cmb1) && fileNameField(hwnd)) {
            // Disabled while it asks a question of its own.
            if (!IsWindowEnabled(hwnd))
                continue;
            if (!saveAnswers_.empty())
                answerSave(hwnd);
            else if (answered_.count(hwnd))
                cancelRefused(hwnd);
        } else if (cls == L"#32770" && GetDlgItem(hwnd, IDYES) && GetDlgItem(hwnd, IDNO) &&
                   className(GetWindow(hwnd, GW_OWNER)) == L"#32770") {
            // The save dialog's question whether to replace the file.
            known_.insert(hwnd);
            ++overwritePrompts;
            press(hwnd, overwriteYes_ ? IDYES : IDNO);
        } else if (cls == L"#32770" && GetDlgItem(hwnd, kMessageTextId)) {
            known_.insert(hwnd);
            MessageBoxSeen box;
            box.caption = windowText(hwnd);
            box.text = windowText(GetDlgItem(hwnd, kMessageTextId));
            box.owner = GetWindow(hwnd, GW_OWNER);
            // A box over a save dialog already answered is that dialog refusing the name.
            if (answered_.count(box.owner))
                saveDialog.refusal = box.text;
            else
                messageBoxes.push_back(box);
            press(hwnd, GetDlgItem(hwnd, IDOK) ? IDOK : IDCANCEL);
        } else if (cls == L"#32770") {
            known_.insert(hwnd);
            ++otherWindows;
        }
    }
}

void ModalAnswers::answerMenu(HWND menuWindow) {
    menuPending_ = false;
    menuSeen = true;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    int target = -1, steps = 0;
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        MenuItem item;
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE;
        GetMenuItemInfoW(menu, UINT(i), TRUE, &info);
        item.separator = (info.fType & MFT_SEPARATOR) != 0;
        item.id = info.wID;
        if (!item.separator) {
            wchar_t text[256] = {};
            GetMenuStringW(menu, UINT(i), text, 256, MF_BYPOSITION);
            item.text = text;
            // The arrow keys stop on greyed items too (they are highlighted, just not chosen).
            if (target < 0)
                ++steps;
            if (target < 0 && !menuText_.empty() && item.text == menuText_)
                target = i;
        }
        menuItems.push_back(item);
    }
    menuItemFound = target >= 0;
    if (!menuItemFound) {
        PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        return;
    }
    // The first Down selects the first item; each further one moves past separators to the next.
    for (int i = 0; i < steps; ++i)
        PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

void ModalAnswers::answerSave(HWND dialog) {
    const SaveAnswer answer = saveAnswers_.front();
    saveAnswers_.erase(saveAnswers_.begin());
    HWND name = fileNameField(dialog);
    HWND types = GetDlgItem(dialog, cmb1);
    const int count = int(SendMessageW(types, CB_GETCOUNT, 0, 0));
    if (answered_.count(dialog) == 0) {
        answered_.insert(dialog);
        saveDialog = SaveDialogSeen();
        saveDialog.seen = true;
        saveDialog.initialName = windowText(name);
        recordFilters(types, count);
        HWND readOnly = GetDlgItem(dialog, chx1);
        saveDialog.readOnlyBoxShown = readOnly && IsWindowVisible(readOnly);
    }
    if (answer.cancel) {
        press(dialog, IDCANCEL);
        return;
    }
    // The type first: the dialog may rewrite the name's extension when the type changes.
    if (answer.filter > 0 && answer.filter <= count) {
        SendMessageW(types, CB_SETCURSEL, WPARAM(answer.filter - 1), 0);
        // What a choice in the list sends: the change, then the choice made.
        for (WORD code : {WORD(CBN_SELCHANGE), WORD(CBN_SELENDOK)})
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(types));
    }
    SetWindowTextW(name, answer.name.c_str());
    press(dialog, IDOK);
}

void ModalAnswers::cancelRefused(HWND dialog) {
    // A dialog that took the name has closed before the next tick: the pressed OK is handled
    // before any timer message.
    answered_.erase(dialog);
    saveDialog.refused = true;
    press(dialog, IDCANCEL);
}

void ModalAnswers::recordFilters(HWND types, int count) {
    for (int i = 0; i < count; ++i) {
        int n = int(SendMessageW(types, CB_GETLBTEXTLEN, WPARAM(i), 0));
        std::wstring text(size_t(n > 0 ? n + 1 : 1), L'\0');
        SendMessageW(types, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(wcslen(text.c_str()));
        saveDialog.filters.push_back(text);
    }
}

} // namespace Client
