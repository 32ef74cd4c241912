// The common open or save dialog. The chosen path is in the file buffer after choose().
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <string>
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

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

    // IDOK (1) when a file was chosen, IDCANCEL (2) when the dialog was cancelled or failed,
    // IDABORT (3) when the name given made a path of MAX_PATH characters or more: the dialog is
    // then closed and the path is in tooLongPath(). The owner given here is used when the dialog
    // has none yet.
    int choose(HWND owner);

    const wchar_t* fileName() const { return fileBuffer; }
    const wchar_t* fileTitle() const { return titleBuffer; }
    const OPENFILENAMEW& openFileName() const { return ofn; }
    const std::wstring& tooLongPath() const { return tooLong; }

    // The dialog's own window, routed here while it is open: its OK is looked at first.
    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // Explorer-style dialogs need a hook for the sizing and custom-data options; it routes the
    // dialog's window through this object and leaves every other message to the dialog.
    static UINT_PTR CALLBACK hookProcedure(HWND, UINT, WPARAM, LPARAM);
    // The path the dialog's name field makes with its folder and default extension, as the
    // dialog would build it when OK is pressed.
    std::wstring typedPath(size_t& length) const;

    OPENFILENAMEW ofn{};
    bool openDialog;
    wchar_t fileBuffer[MAX_PATH] = {};
    wchar_t titleBuffer[256] = {};
    WindowProc router;
    std::wstring tooLong;
};

} // namespace WGUI
