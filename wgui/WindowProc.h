// Ties a window handle to its window object. Windows of the toolkit's own classes are routed
// from WM_CREATE (the router is the creation parameter); system controls are subclassed.
//
// The handle map is process-wide and used on the user-interface thread only.
#pragma once

#include <windows.h>

namespace WGUI {

class WindowBase;

class WindowProc {
public:
    WindowProc() = default;
    // Undoes the subclassing and forgets any map entry that still points here, so a window that
    // outlives its object falls back to default handling instead of calling a dead object.
    ~WindowProc();
    WindowProc(const WindowProc&) = delete;
    WindowProc& operator=(const WindowProc&) = delete;

    // Routes an existing window (a system control) through the toolkit's procedure.
    bool subclass(WindowBase* window);
    // Restores the previous procedure; false when there was nothing to undo.
    bool unsubclass();
    LRESULT callDefault(UINT msg, WPARAM wParam, LPARAM lParam);
    // Records the owner's live window in the map.
    void registerWindow();

    // The procedure of every routed window and of the toolkit's window classes.
    static LRESULT CALLBACK windowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The router of a routed window, or null.
    static WindowProc* fromHandle(HWND hwnd);
    // Registers a class of `module` whose windows go through windowProcedure (double clicks,
    // redrawn whole on resize, the window colour behind). A class already there is taken as it
    // is; 0 when neither works.
    static ATOM registerClass(HINSTANCE module, const wchar_t* className, HICON icon = nullptr);

    WindowBase* owner = nullptr;
    WNDPROC previousProc = nullptr;
};

} // namespace WGUI
