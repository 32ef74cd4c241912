#include "FilterBarDriver.h"

#include <cwchar>
#include "WindowSearch.h"

namespace Client {

namespace {

constexpr int kMoreButtonId = 100;
// Timers of 10 ms, the shortest Windows keeps: each step waits for one tick per menu or dialog.
constexpr UINT kPollMs = 10;
constexpr DWORD kGiveUpMs = 5000;
const wchar_t kKeywordItem[] = L"关键字筛选";
const wchar_t kKeywordDialogTitle[] = L"输入筛选条件";
constexpr int kKeywordEditId = 100;

struct FindWindowOfClass {
    const wchar_t* className;
    const wchar_t* title; // null: any
    HWND found;
};

BOOL CALLBACK findThreadWindow(HWND hwnd, LPARAM param) {
    auto* query = reinterpret_cast<FindWindowOfClass*>(param);
    wchar_t cls[64];
    if (!IsWindowVisible(hwnd) || !GetClassNameW(hwnd, cls, 64) || wcscmp(cls, query->className) != 0)
        return TRUE;
    if (query->title) {
        wchar_t title[128] = {};
        GetWindowTextW(hwnd, title, 128);
        if (wcscmp(title, query->title) != 0)
            return TRUE;
    }
    query->found = hwnd;
    return FALSE;
}

HWND threadWindow(const wchar_t* className, const wchar_t* title) {
    FindWindowOfClass query{className, title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), findThreadWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

// One menu is tracked at a time on the user-interface thread; the timer that watches it finds
// its task here.
struct MenuWatch {
    const std::function<UINT(HMENU)>* pick = nullptr;
    bool shown = false;
    UINT chosen = 0;
    DWORD started = 0;
    UINT_PTR timer = 0;
};
MenuWatch* activeWatch = nullptr;

void CALLBACK watchMenu(HWND, UINT, UINT_PTR, DWORD) {
    MenuWatch* watch = activeWatch;
    if (!watch || watch->shown)
        return;
    HWND popup = threadWindow(L"#32768", nullptr);
    HMENU menu = popup ? reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
    if (!menu) {
        if (GetTickCount() - watch->started > kGiveUpMs)
            EndMenu();
        return;
    }
    watch->shown = true;
    try {
        watch->chosen = (*watch->pick)(menu);
    } catch (...) {
        watch->chosen = 0;
    }
    EndMenu();
}

// The keyword dialog is modal too: a timer finds it, types the text and confirms.
struct DialogWatch {
    std::wstring text;
    bool done = false;
    bool typed = false;
    DWORD started = 0;
};
DialogWatch* activeDialog = nullptr;

void CALLBACK watchDialog(HWND, UINT, UINT_PTR, DWORD) {
    DialogWatch* watch = activeDialog;
    if (!watch || watch->done)
        return;
    HWND dialog = threadWindow(L"#32770", kKeywordDialogTitle);
    if (!dialog) {
        if (GetTickCount() - watch->started > kGiveUpMs)
            watch->done = true;
        return;
    }
    watch->done = true;
    watch->typed = true;
    HWND edit = GetDlgItem(dialog, kKeywordEditId);
    // Typed as keys would arrive, so the field's own limits apply.
    for (wchar_t c : watch->text)
        SendMessageW(edit, WM_CHAR, c, 1);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// The text as the user reads it: "&x" shows x, "&&" shows "&".
std::wstring readable(const std::wstring& raw) {
    std::wstring out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == L'&' && i + 1 < raw.size())
            ++i;
        else if (raw[i] == L'&')
            continue;
        out += raw[i];
    }
    return out;
}

} // namespace

HWND findFilterBar(HWND root) {
    return findDescendant(root, L"Client2_FilterWnd");
}

std::wstring menuItemText(HMENU menu, int position) {
    wchar_t text[512] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 512, MF_BYPOSITION);
    return readable(text);
}

UINT findMenuItem(HMENU menu, const std::vector<std::wstring>& path) {
    HMENU level = menu;
    for (size_t step = 0; step < path.size() && level; ++step) {
        const int count = GetMenuItemCount(level);
        HMENU next = nullptr;
        for (int i = 0; i < count; ++i) {
            if (menuItemText(level, i) != path[step])
                continue;
            if (step + 1 == path.size()) {
                const UINT id = GetMenuItemID(level, i);
                return id == static_cast<UINT>(-1) ? 0 : id;
            }
            next = GetSubMenu(level, i);
            break;
        }
        level = next;
    }
    return 0;
}

bool whileMenuTracks(HWND button, const std::function<UINT(HMENU)>& pick) {
    if (!button || !IsWindow(button) || activeWatch)
        return false;
    HWND owner = GetParent(button);
    MenuWatch watch;
    watch.pick = &pick;
    watch.started = GetTickCount();
    activeWatch = &watch;
    watch.timer = SetTimer(nullptr, 0, kPollMs, watchMenu);
    SendMessageW(button, BM_CLICK, 0, 0);
    KillTimer(nullptr, watch.timer);
    activeWatch = nullptr;
    // What the menu does with a chosen item: its command goes to the menu's owner.
    if (watch.shown && watch.chosen)
        SendMessageW(owner, WM_COMMAND, MAKEWPARAM(watch.chosen, 0), 0);
    return watch.shown;
}

Choice chooseFrom(HWND button, const std::vector<std::wstring>& path) {
    Choice choice = Choice::NoSuchItem;
    bool shown = whileMenuTracks(button, [&](HMENU menu) {
        const UINT id = findMenuItem(menu, path);
        if (id == 0)
            return 0u;
        if (GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) {
            choice = Choice::Greyed;
            return 0u;
        }
        choice = Choice::Chosen;
        return id;
    });
    return shown ? choice : Choice::NoMenu;
}

bool chooseMenuItem(HWND button, const std::vector<std::wstring>& path) {
    return chooseFrom(button, path) == Choice::Chosen;
}

bool enterKeywords(HWND bar, const std::wstring& text, Choice* outcome) {
    Choice choice = Choice::NoMenu;
    if (bar && !activeDialog) {
        DialogWatch watch;
        watch.text = text;
        watch.started = GetTickCount();
        activeDialog = &watch;
        UINT_PTR timer = SetTimer(nullptr, 0, kPollMs, watchDialog);
        choice = chooseFrom(GetDlgItem(bar, kMoreButtonId), {kKeywordItem + std::wstring(L"(C)")});
        KillTimer(nullptr, timer);
        activeDialog = nullptr;
        if (choice == Choice::Chosen && !watch.typed)
            choice = Choice::NoDialog;
    }
    if (outcome)
        *outcome = choice;
    return choice == Choice::Chosen;
}

bool chooseFilterValue(HWND bar, const std::wstring& columnTitle, const std::wstring& value,
                       Choice* outcome) {
    const Choice choice =
        bar ? chooseFrom(GetDlgItem(bar, kMoreButtonId), {columnTitle, value}) : Choice::NoMenu;
    if (outcome)
        *outcome = choice;
    return choice == Choice::Chosen;
}

} // namespace Client
