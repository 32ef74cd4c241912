// Draws a ChartData into a device context: the chart window paints its back buffer with it and
// the PNG tool a bitmap, so both show the same picture.
#pragma once

#include <windows.h>
#include <string>
#include <vector>
#include "ChartData.h"
#include "Theme.h"

namespace Client {

struct ChartColors {
    COLORREF background, text, grid, gap, value, total, dividend, mark, cross;
};
// The theme's "chart_*" colours; a theme without them falls back on its grid colours, and no
// theme gives the dark defaults.
ChartColors chartColors(ITheme* theme);

// Where the last paint put things: the window maps the pointer with it, and tests read the
// drawn lines back into values with it.
struct ChartGeometry {
    RECT plot{};
    ValueScale scale;
    int firstDay = 0, lastDay = 0;
    bool empty = true;
    int xOf(int day) const;
    int yOf(double value) const;
    double valueAt(int y) const;
};
ChartGeometry layoutChart(const ChartData& data, int width, int height);

// The index of the point nearest to x inside the plot, or -1.
int nearestPoint(const ChartData& data, const ChartGeometry& g, int x, int y);
// The crosshair's text for a point: its day, both values and a dividend paid that day.
std::vector<std::wstring> pointLabel(const ChartData& data, int index);

// Paints the whole chart (width by height) with the crosshair on hoverIndex (-1 for none).
// font is used for every text; it may be null (the stock GUI font then).
void paintChart(HDC dc, int width, int height, const ChartData& data, const ChartColors& colors,
                const ChartGeometry& g, int hoverIndex, HFONT font);

// The theme's "default" font, or a small UI font; the caller owns the handle.
HFONT createChartFont(ITheme* theme);

// Renders the chart into a PNG file of width by height pixels. GDI+ must be started.
bool renderChartPng(const ChartData& data, const ChartColors& colors, int width, int height, int hoverIndex,
                    HFONT font, const std::wstring& path, std::wstring& error);

} // namespace Client
