// The window that shows how far an import of data files has come, with a button that cancels
// it. Owned by the main window; the import runs on another thread and this window only shows
// the figures the caller hands it.
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>

namespace Client {

class ImportProgressWindow final {
public:
    static constexpr const wchar_t* kClassName = L"Client2_ImportProgress";

    ImportProgressWindow() = default;
    ~ImportProgressWindow();
    ImportProgressWindow(const ImportProgressWindow&) = delete;
    ImportProgressWindow& operator=(const ImportProgressWindow&) = delete;

    bool create(HWND owner);
    HWND hwnd() const { return hwnd_; }
    void setProgress(uint64_t done, uint64_t total);
    // Whether the user asked to cancel (the button, Esc or closing the window).
    bool cancelRequested() const { return cancel_; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void requestCancel();

    HWND hwnd_ = nullptr;
    HWND label_ = nullptr;
    HWND bar_ = nullptr;
    HWND button_ = nullptr;
    bool cancel_ = false;
    int shownPercent_ = -1;
};

} // namespace Client
