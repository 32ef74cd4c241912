// The chart window of "mod_Chart": one per client, reused for each product shown. The static
// picture is kept in a bitmap and painted again only when what it shows changes (data, range,
// mode, size, theme); the crosshair is drawn over a copy of it, so moving the pointer costs two
// copies and a few lines. Keys: Left/Right move the crosshair point by point, Home/End to the
// ends, 1-7 choose the range, Ctrl+C copies the shown series, Esc closes; the context menu
// copies, saves the picture as PNG, switches the mode and ends comparisons.
#pragma once

#include <windows.h>
#include <vector>
#include "ChartPainter.h"
#include "ChartView.h"
#include "Theme.h"
#include "host/control/GdiHandles.h"

namespace Client {

class ChartWindow {
public:
    static constexpr const wchar_t* kClassName = L"Client2_ChartWnd";
    enum Command : UINT {
        CmdCopy = 1,
        CmdSavePng = 2,
        CmdValues = 3,
        CmdPercent = 4,
        CmdClearCompare = 5,
        CmdRemoveFirst = 100, // one per compared product, in the chart's order
    };

    explicit ChartWindow(IThemeMgr* themes);
    ~ChartWindow();
    ChartWindow(const ChartWindow&) = delete;
    ChartWindow& operator=(const ChartWindow&) = delete;

    // Shows a product alone (compared products leave; range and mode stay), creating the window
    // on first use (owned by owner) and bringing it to the front.
    bool show(HWND owner, ChartData data);
    // Adds a product to compare; false when the chart compares as many as it can.
    bool addProduct(ChartData data);
    // New data of the shown products (after new values), leaving the window where it is.
    void update(std::vector<ChartData> data);

    void setRange(FigureRange range);
    void choosePercent(bool percent);
    void setRiskFreeRate(double rate);
    void removeProduct(const std::wstring& code);
    // Ctrl+C: the shown series as tab-separated text on the clipboard.
    bool copySeries();
    // The picture as shown, without the crosshair.
    bool savePng(const std::wstring& path, std::wstring& error);

    HWND hwnd() const { return hwnd_; }
    const ChartView& view() const { return view_; }
    // The chart's own product; empty data before the first.
    const ChartData& data() const;
    // What the last paint drew, for the tests and the PNG render.
    const ChartGeometry& geometry() const { return geometry_; }
    const ChartColors& colors() const { return colors_; }
    HBITMAP backBuffer() const { return frame_.get(); }
    int paintCount() const { return paints_; }
    // How often the static picture was drawn.
    int staticPaintCount() const { return staticPaints_; }
    int hoverIndex() const { return hover_; }
    void setHover(int index);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static void onThemeChanged(void* argument, void* context);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    bool onKey(WPARAM key);
    void onClick(POINT p);
    void showMenu(POINT screen);
    void onCommand(UINT id);
    void saveWithDialog();
    void paint();
    // Draws the static picture when it is out of date; false without a window or memory.
    bool renderStatic(HDC like, int width, int height);
    void changed(); // what the static picture shows changed
    void setTitle();

    XComPtr<IThemeMgr> themes_;
    HWND hwnd_ = nullptr;
    ChartView view_;
    ChartGeometry geometry_;
    ChartColors colors_;
    UniqueFont font_;
    UniqueBitmap static_, frame_;
    SIZE bufferSize_{0, 0};
    bool staticDirty_ = true;
    int hover_ = -1;
    int paints_ = 0, staticPaints_ = 0;
    bool tracking_ = false;
};

} // namespace Client
