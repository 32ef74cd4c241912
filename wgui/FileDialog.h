// The common open or save dialog. The chosen path is in the file buffer after choose().
#pragma once

#include <windows.h>
#include <commdlg.h>
#include "wgui/WindowBase.h"

namespace WGUI {

class FileDialog : public WindowBase {
public:
    // filter is the double-zero-terminated list of description and pattern pairs; it must
    // outlive the dialog, as must defaultExtension.
    FileDialog(HINSTANCE instance, bool open, const wchar_t* defaultExtension, const wchar_t* initialFileName,
               DWORD flags, const wchar_t* filter, HWND owner);
    ~FileDialog() override = default;
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    // IDOK (1) when a file was chosen, else IDCANCEL (2). The owner given here is used when the
    // dialog has none yet.
    int choose(HWND owner);

    const wchar_t* fileName() const { return fileBuffer; }
    const wchar_t* fileTitle() const { return titleBuffer; }
    const OPENFILENAMEW& openFileName() const { return ofn; }

private:
    // Explorer-style dialogs need a hook for the sizing and custom-data options; it leaves every
    // message to the dialog.
    static UINT_PTR CALLBACK hookProcedure(HWND, UINT, WPARAM, LPARAM);

    OPENFILENAMEW ofn{};
    bool openDialog;
    wchar_t fileBuffer[260] = {};
    wchar_t titleBuffer[256] = {};
};

} // namespace WGUI
