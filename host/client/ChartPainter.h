// Draws a ChartView into a device context in two layers: the static picture (axes, lines,
// range buttons, figures) and the crosshair over it. The chart window keeps the first and draws
// only the second as the pointer moves; the PNG tool draws both into a bitmap, so every picture
// shows the same thing.
#pragma once

#include <windows.h>
#include <string>
#include <vector>
#include "ChartView.h"
#include "Theme.h"

namespace Client {

struct ChartColors {
    COLORREF background, text, grid, gap, value, total, dividend, mark, cross, up, down;
    COLORREF compare[kMaxChartProducts]; // the lines of compared products, the chart's own first
};
// The theme's "chart_*" colours; a theme without them falls back on its grid colours, and no
// theme gives the dark defaults.
ChartColors chartColors(ITheme* theme);

// Where the last paint put things: the window maps the pointer and clicks with it, and tests
// read the drawn lines back into values with it.
struct ChartGeometry {
    RECT plot{};
    ValueScale left, right; // unit values or percent growth; accumulated values
    bool hasLeft = false, hasRight = false;
    bool percent = false;
    int firstDay = 0, lastDay = 0;
    bool empty = true;
    RECT rangeButtons[kFigureRangeCount]{};
    RECT valueButton{}, percentButton{};
    RECT panel{};
    int lineHeight = 16;
    int xOf(int day) const;
    int yOf(double value, bool rightAxis = false) const;
    double valueAt(int y, bool rightAxis = false) const;
    // The range button under a point, or -1.
    int rangeAt(POINT p) const;
};

// Lays the chart out for a size; dc (may be null) measures the texts in its selected font.
ChartGeometry layoutChart(const ChartView& view, int width, int height, HDC dc = nullptr);

// The index of the chart's own product's shown point nearest to x inside the plot, or -1.
int nearestPoint(const ChartView& view, const ChartGeometry& g, int x, int y);
// The crosshair's text for such a point: its day, the values (or every product's growth in
// percent mode) and a dividend paid that day.
std::vector<std::wstring> pointLabel(const ChartView& view, int index);
// A figure as the panel shows it: "12.34%", "--" for none.
std::wstring percentText(std::optional<double> fraction);

// The static picture, width by height. font is used for every text; it may be null (the stock
// GUI font then).
void paintChart(HDC dc, int width, int height, const ChartView& view, const ChartColors& colors,
                const ChartGeometry& g, HFONT font);
// The crosshair on point hoverIndex of the chart's own product, over the static picture.
void paintCrosshair(HDC dc, const ChartView& view, const ChartColors& colors, const ChartGeometry& g,
                    int hoverIndex, HFONT font);

// The theme's "default" font, or a small UI font; the caller owns the handle.
HFONT createChartFont(ITheme* theme);

// Renders both layers into a PNG file of width by height pixels. GDI+ must be started.
bool renderChartPng(const ChartView& view, const ChartColors& colors, int width, int height, int hoverIndex,
                    HFONT font, const std::wstring& path, std::wstring& error);

} // namespace Client
