// The chart window of "mod_Chart": one per client, reused for each product shown, painted from
// a back buffer so resizing and the crosshair never flicker, in the colours of the current theme.
#pragma once

#include <windows.h>
#include "ChartData.h"
#include "ChartPainter.h"
#include "Theme.h"
#include "host/control/GdiHandles.h"

namespace Client {

class ChartWindow {
public:
    static constexpr const wchar_t* kClassName = L"Client2_ChartWnd";

    explicit ChartWindow(IThemeMgr* themes);
    ~ChartWindow();
    ChartWindow(const ChartWindow&) = delete;
    ChartWindow& operator=(const ChartWindow&) = delete;

    // Shows data, creating the window on first use (owned by owner) and bringing it to the front.
    bool show(HWND owner, ChartData data);
    // Replaces what the open window shows, leaving it where it is in the z-order.
    void update(ChartData data);
    HWND hwnd() const { return hwnd_; }

    // What the last paint drew, for the tests and the PNG render.
    const ChartData& data() const { return data_; }
    const ChartGeometry& geometry() const { return geometry_; }
    const ChartColors& colors() const { return colors_; }
    HBITMAP backBuffer() const { return buffer_.get(); }
    int paintCount() const { return paints_; }
    int hoverIndex() const { return hover_; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static void onThemeChanged(void* argument, void* context);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void paint();
    void setHover(int index);

    XComPtr<IThemeMgr> themes_;
    HWND hwnd_ = nullptr;
    ChartData data_;
    ChartGeometry geometry_;
    ChartColors colors_;
    UniqueFont font_;
    UniqueBitmap buffer_;
    SIZE bufferSize_{0, 0};
    int hover_ = -1;
    int paints_ = 0;
    bool tracking_ = false;
};

} // namespace Client
