#include "wgui/FileDialog.h"

#include <dlgs.h>
#include <iterator>

namespace WGUI {

namespace {

std::wstring windowText(HWND window) {
    std::wstring text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(window, &text[0], int(text.size()))));
    return text;
}

bool isAbsolute(const std::wstring& name) {
    return (name.size() >= 2 && name[1] == L':') || (!name.empty() && (name[0] == L'\\' || name[0] == L'/'));
}

} // namespace

FileDialog::FileDialog(HINSTANCE instance, bool open, const wchar_t* defaultExtension,
                       const wchar_t* initialFileName, DWORD flags, const wchar_t* filter, HWND owner)
    : openDialog(open) {
    ofn.lStructSize = sizeof(OPENFILENAMEW);
    ofn.hwndOwner = owner;
    ofn.hInstance = instance;
    ofn.lpstrFilter = filter;
    if (initialFileName)
        lstrcpynW(fileBuffer, initialFileName, static_cast<int>(std::size(fileBuffer)));
    ofn.lpstrFile = fileBuffer;
    ofn.nMaxFile = static_cast<DWORD>(std::size(fileBuffer));
    ofn.lpstrFileTitle = titleBuffer;
    ofn.nMaxFileTitle = static_cast<DWORD>(std::size(titleBuffer));
    ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    ofn.lpstrDefExt = defaultExtension;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    ofn.lpfnHook = &FileDialog::hookProcedure;
}

UINT_PTR CALLBACK FileDialog::hookProcedure(HWND hook, UINT msg, WPARAM, LPARAM lParam) {
    // The hook's window is a child of the dialog; lParam is the dialog's OPENFILENAMEW.
    if (msg == WM_INITDIALOG && lParam) {
        auto* self = reinterpret_cast<FileDialog*>(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData);
        if (self) {
            self->hwnd = GetParent(hook);
            self->router.subclass(self);
        }
    }
    return 0;
}

std::wstring FileDialog::typedPath(size_t& length) const {
    HWND field = GetDlgItem(hwnd, cmb13);
    std::wstring name = windowText(field ? field : GetDlgItem(hwnd, edt1));
    std::wstring path = name;
    if (!isAbsolute(name)) {
        wchar_t folder[MAX_PATH] = {};
        SendMessageW(hwnd, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
        path = std::wstring(folder) + L"\\" + name;
    }
    length = path.size();
    // A name without extension gets the default one appended.
    size_t last = name.find_last_of(L"\\/");
    if (ofn.lpstrDefExt && name.find(L'.', last == std::wstring::npos ? 0 : last) == std::wstring::npos)
        length += 1 + wcslen(ofn.lpstrDefExt);
    return path;
}

bool FileDialog::onMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result) {
    if (msg != WM_COMMAND || LOWORD(wParam) != IDOK)
        return false;
    // The system dialog builds the path in buffers of MAX_PATH characters, and a longer one
    // ends the process. Such a path can name no file here anyway: the dialog is closed and the
    // caller says so.
    size_t length = 0;
    std::wstring path = typedPath(length);
    if (length < MAX_PATH)
        return false;
    tooLong = path;
    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    *result = 0;
    return true;
}

int FileDialog::choose(HWND owner) {
    if (!ofn.hwndOwner)
        ofn.hwndOwner = owner;
    tooLong.clear();
    BOOL chosen = openDialog ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
    router.unsubclass();
    if (chosen)
        return IDOK;
    return tooLong.empty() ? IDCANCEL : IDABORT;
}

} // namespace WGUI
