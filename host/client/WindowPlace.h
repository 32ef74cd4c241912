// Where the client's tool windows (the chart, the funds pool, the watched list) open: where the
// user last left them, remembered in the user configuration, or else beside the main window,
// clear of the page's date picker and filter bar at its top left.
#pragma once

#include <windows.h>
#include <string>
#include "Conf.h"

namespace Client {

// The place beside frame for a window of size: right of it when that fits the work area, else
// left of it, else inside the work area's bottom right corner. slot shifts windows of different
// kinds down a little, so two opened beside the frame do not hide each other. The size is cut
// to the work area.
RECT placeBeside(const RECT& frame, const RECT& workArea, SIZE size, int slot);

// "left,top,width,height" and back; false for any other text or a size below one pixel.
std::wstring placeText(const RECT& rect);
bool parsePlace(const std::wstring& text, RECT& rect);

// The remembered places, under "/Client2/UserConfig/Windows/<name>". One store for the process:
// the client's session sets it; without one nothing is remembered.
class WindowPlaces {
public:
    static void setStore(Conf::IConfManager* userStore);
    static Conf::IConfManager* store();

    // The rectangle for a new window called name, owned by owner (may be null): the remembered
    // one when it still lies on a monitor, else beside the owner's window (placeBeside), else in
    // the middle of the primary work area.
    static RECT initialRect(const wchar_t* name, HWND owner, SIZE defaultSize, int slot);
    // Keeps the window's place and size, unless it is minimised or maximised.
    static void remember(const wchar_t* name, HWND window);
    static std::wstring keyPath(const wchar_t* name);
};

} // namespace Client
