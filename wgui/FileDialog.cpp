#include "wgui/FileDialog.h"

#include <iterator>

namespace WGUI {

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

UINT_PTR CALLBACK FileDialog::hookProcedure(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

int FileDialog::choose(HWND owner) {
    if (!ofn.hwndOwner)
        ofn.hwndOwner = owner;
    BOOL chosen = openDialog ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
    return chosen ? IDOK : IDCANCEL;
}

} // namespace WGUI
