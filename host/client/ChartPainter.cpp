#include "ChartPainter.h"

#include <objidl.h>
#include <gdiplus.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include "host/control/GdiHandles.h"

namespace Client {

namespace {

const int kLeft = 70, kRight = 20, kTop = 44, kBottom = 30;

// GDI+'s built-in PNG encoder.
const CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

Gdiplus::Color gdip(COLORREF c) {
    return Gdiplus::Color(255, GetRValue(c), GetGValue(c), GetBValue(c));
}

using UniquePen = UniqueHandle<HGDIOBJ, DeleteObject>;

std::wstring number(double v, int decimals) {
    wchar_t buf[64];
    swprintf(buf, 64, L"%.*f", decimals, v);
    return buf;
}

SIZE textSize(HDC dc, const std::wstring& s) {
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size;
}

void text(HDC dc, int x, int y, const std::wstring& s, COLORREF colour) {
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, s.c_str(), static_cast<int>(s.size()));
}

void fill(HDC dc, const RECT& r, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// Keeps a label inside [low, high], preferring low when it cannot fit at all.
int within(int v, int low, int high) {
    return std::max(low, std::min(v, high));
}

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

double fx(const ChartGeometry& g, int day) {
    const double w = g.plot.right - g.plot.left;
    return g.plot.left + (day - g.firstDay) * w / std::max(1, g.lastDay - g.firstDay);
}

double fy(const ChartGeometry& g, double v) {
    const double h = g.plot.bottom - g.plot.top;
    return g.plot.bottom - (v - g.scale.low) * h / (g.scale.high - g.scale.low);
}

void drawAxes(HDC dc, const ChartData& data, const ChartColors& c, const ChartGeometry& g) {
    const RECT& p = g.plot;
    UniquePen gridPen(CreatePen(PS_SOLID, 1, c.grid));
    SelectGuard pen(dc, gridPen.get());
    const int h = textSize(dc, L"0").cy;
    const std::vector<std::wstring> labels = axisLabels(g.scale, false);
    for (int i = 0; i <= g.scale.steps && i < static_cast<int>(labels.size()); ++i) {
        int y = static_cast<int>(std::lround(fy(g, g.scale.tick(i))));
        line(dc, p.left, y, p.right, y);
        text(dc, p.left - 6 - textSize(dc, labels[i]).cx, y - h / 2, labels[i], c.text);
    }
    std::vector<int> ticks = monthTicks(g.firstDay, g.lastDay, p.right - p.left, 64);
    for (int day : ticks) {
        int x = static_cast<int>(std::lround(fx(g, day)));
        line(dc, x, p.top, x, p.bottom);
        std::wstring label = isoDate(day).substr(0, 7);
        int w = textSize(dc, label).cx;
        text(dc, within(x - w / 2, p.left, p.right - w), p.bottom + 6, label, c.text);
    }
    if (ticks.empty() && !data.points.empty()) {
        // Less than a month: the first and last day stand in for month labels.
        std::wstring first = data.points.front().date, last = data.points.back().date;
        text(dc, p.left, p.bottom + 6, first, c.text);
        if (last != first)
            text(dc, p.right - textSize(dc, last).cx, p.bottom + 6, last, c.text);
    }
    line(dc, p.left, p.top, p.left, p.bottom);
    line(dc, p.left, p.bottom, p.right, p.bottom);
}

void drawGaps(HDC dc, const ChartData& data, const ChartColors& c, const ChartGeometry& g) {
    for (size_t i = 1; i < data.points.size(); ++i) {
        if (data.points[i].day - data.points[i - 1].day <= data.gapDays)
            continue;
        RECT band{static_cast<int>(fx(g, data.points[i - 1].day)) + 1, g.plot.top,
                  static_cast<int>(fx(g, data.points[i].day)), g.plot.bottom};
        fill(dc, band, c.gap);
        const std::wstring label = L"停牌";
        SIZE s = textSize(dc, label);
        if (band.right - band.left > s.cx + 4)
            text(dc, (band.left + band.right - s.cx) / 2, g.plot.bottom - s.cy - 4, label, c.text);
    }
}

void drawPageDates(HDC dc, const ChartData& data, const ChartColors& c, const ChartGeometry& g) {
    UniquePen markPen(CreatePen(PS_DOT, 1, c.mark));
    SelectGuard pen(dc, markPen.get());
    struct Mark {
        const std::wstring& date;
        const wchar_t* title;
        int row;
    };
    // One text row each, so the labels never overlap however close the two days are; a label
    // goes right of its line, or left of it where the plot ends.
    const int h = textSize(dc, L"0").cy;
    for (const Mark& m : {Mark{data.endDate, L"截止 ", 0}, Mark{data.beginDate, L"起始 ", 1}}) {
        std::optional<int> day = dayNumber(m.date);
        if (!day)
            continue;
        int x = static_cast<int>(std::lround(fx(g, *day)));
        line(dc, x, g.plot.top, x, g.plot.bottom);
        std::wstring label = m.title + m.date;
        int w = textSize(dc, label).cx;
        int lx = x + 4 + w <= g.plot.right ? x + 4 : x - 4 - w;
        text(dc, within(lx, g.plot.left + 2, g.plot.right - w - 2), g.plot.top + 2 + m.row * h, label,
             c.mark);
    }
}

void drawLines(HDC dc, const ChartData& data, const ChartColors& c, const ChartGeometry& g, int hover) {
    Gdiplus::Graphics gr(dc);
    gr.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    for (bool total : {true, false}) {
        Gdiplus::Pen pen(gdip(total ? c.total : c.value), 1.6f);
        pen.SetLineJoin(Gdiplus::LineJoinRound);
        // Round ends, so the last day of a run is drawn on, not just reached.
        pen.SetLineCap(Gdiplus::LineCapRound, Gdiplus::LineCapRound, Gdiplus::DashCapRound);
        Gdiplus::SolidBrush dot(gdip(total ? c.total : c.value));
        for (auto run : lineRuns(data.points, total, data.gapDays)) {
            std::vector<Gdiplus::PointF> pts;
            for (size_t i = run.first; i <= run.second; ++i) {
                const NavPoint& p = data.points[i];
                pts.emplace_back(static_cast<float>(fx(g, p.day)),
                                 static_cast<float>(fy(g, total ? p.total : p.value)));
            }
            if (pts.size() == 1) // a lone day has no line to belong to
                gr.FillEllipse(&dot, pts[0].X - 3, pts[0].Y - 3, 6.0f, 6.0f);
            else
                gr.DrawLines(&pen, pts.data(), static_cast<int>(pts.size()));
        }
    }
    // Dividend days: a triangle on the axis, and a ring on the unit line where the day has a value.
    Gdiplus::SolidBrush bonus(gdip(c.dividend));
    Gdiplus::Pen ring(gdip(c.dividend), 1.5f);
    for (const Dividend& d : data.dividends) {
        if (d.day < g.firstDay || d.day > g.lastDay)
            continue;
        float x = static_cast<float>(fx(g, d.day)), b = static_cast<float>(g.plot.bottom);
        Gdiplus::PointF tri[] = {{x, b - 9}, {x - 5, b - 1}, {x + 5, b - 1}};
        gr.FillPolygon(&bonus, tri, 3);
        for (const NavPoint& p : data.points)
            if (p.day == d.day && p.hasValue) {
                float y = static_cast<float>(fy(g, p.value));
                gr.DrawEllipse(&ring, x - 4, y - 4, 8.0f, 8.0f);
            }
    }
    // The page's dates: rings on both lines.
    Gdiplus::Pen markRing(gdip(c.mark), 1.5f);
    for (const NavPoint& p : data.points) {
        if (p.date != data.endDate && p.date != data.beginDate)
            continue;
        float x = static_cast<float>(fx(g, p.day));
        if (p.hasValue)
            gr.DrawEllipse(&markRing, x - 3.5f, static_cast<float>(fy(g, p.value)) - 3.5f, 7.0f, 7.0f);
        if (p.hasTotal)
            gr.DrawEllipse(&markRing, x - 3.5f, static_cast<float>(fy(g, p.total)) - 3.5f, 7.0f, 7.0f);
    }
    if (hover >= 0) {
        const NavPoint& p = data.points[hover];
        float x = static_cast<float>(fx(g, p.day));
        Gdiplus::SolidBrush crossDot(gdip(c.cross));
        if (p.hasValue)
            gr.FillEllipse(&crossDot, x - 3.5f, static_cast<float>(fy(g, p.value)) - 3.5f, 7.0f, 7.0f);
        if (p.hasTotal)
            gr.FillEllipse(&crossDot, x - 3.5f, static_cast<float>(fy(g, p.total)) - 3.5f, 7.0f, 7.0f);
    }
}

void drawCrosshair(HDC dc, const ChartData& data, const ChartColors& c, const ChartGeometry& g, int hover) {
    const NavPoint& p = data.points[hover];
    int x = static_cast<int>(std::lround(fx(g, p.day)));
    int y = static_cast<int>(std::lround(fy(g, p.hasValue ? p.value : p.total)));
    {
        UniquePen crossPen(CreatePen(PS_DOT, 1, c.cross));
        SelectGuard pen(dc, crossPen.get());
        line(dc, x, g.plot.top, x, g.plot.bottom);
        line(dc, g.plot.left, y, g.plot.right, y);
    }
    std::vector<std::wstring> lines = pointLabel(data, hover);
    int w = 0, h = textSize(dc, L"0").cy;
    for (const std::wstring& l : lines)
        w = std::max(w, static_cast<int>(textSize(dc, l).cx));
    // Below the two rows of the page's date labels.
    const int top = g.plot.top + 2 * h + 8;
    RECT box{x + 12, top, x + 12 + w + 12, top + static_cast<int>(lines.size()) * h + 8};
    if (box.right > g.plot.right)
        OffsetRect(&box, -(w + 12 + 24), 0);
    fill(dc, box, c.background);
    UniquePen borderPen(CreatePen(PS_SOLID, 1, c.cross));
    SelectGuard pen(dc, borderPen.get());
    SelectGuard brush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, box.left, box.top, box.right, box.bottom);
    for (size_t i = 0; i < lines.size(); ++i)
        text(dc, box.left + 6, box.top + 4 + static_cast<int>(i) * h, lines[i], c.text);
    // The value under the horizontal line, on the axis.
    std::wstring v = number(p.hasValue ? p.value : p.total, 4);
    SIZE s = textSize(dc, v);
    RECT tag{g.plot.left - s.cx - 8, y - s.cy / 2 - 1, g.plot.left, y + s.cy / 2 + 1};
    fill(dc, tag, c.cross);
    text(dc, tag.left + 4, tag.top + 1, v, c.background);
}

void drawHeading(HDC dc, const ChartData& data, const ChartColors& c, int width) {
    std::wstring title = data.code + L"  " + (data.known ? data.name : std::wstring(L"(未知产品)"));
    text(dc, kLeft, 12, title, c.text);
    struct Entry {
        const wchar_t* label;
        COLORREF colour;
    };
    int x = width - kRight;
    for (const Entry& e :
         {Entry{L"分红", c.dividend}, Entry{L"累计净值", c.total}, Entry{L"单位净值", c.value}}) {
        int w = textSize(dc, e.label).cx;
        x -= w;
        text(dc, x, 12, e.label, c.text);
        RECT swatch{x - 22, 19, x - 6, 21};
        fill(dc, swatch, e.colour);
        x -= 40;
    }
}

} // namespace

ChartColors chartColors(ITheme* theme) {
    ChartColors c{RGB(20, 20, 20),  RGB(200, 200, 200), RGB(46, 46, 46),
                  RGB(34, 34, 40),  RGB(240, 192, 64),  RGB(96, 192, 224),
                  RGB(255, 64, 64), RGB(208, 128, 208), RGB(160, 160, 160)};
    if (!theme)
        return c;
    struct Key {
        const char* own;
        const char* fallback;
        COLORREF* target;
    };
    for (const Key& k :
         {Key{"chart_bg", "list_bg", &c.background}, Key{"chart_text", "list_title", &c.text},
          Key{"chart_grid", "list_border_inside", &c.grid}, Key{"chart_gap", "list_bg_evenLine", &c.gap},
          Key{"chart_value", "list_cur_data", &c.value}, Key{"chart_total", "list_status", &c.total},
          Key{"chart_dividend", "list_value_positive", &c.dividend}, Key{"chart_mark", "list_melon", &c.mark},
          Key{"chart_cross", "list_prev_data", &c.cross}})
        if (!theme->getColor(k.own, *k.target))
            theme->getColor(k.fallback, *k.target);
    return c;
}

int nearestPoint(const ChartData& data, const ChartGeometry& g, int x, int y) {
    if (g.empty || x < g.plot.left || x > g.plot.right || y < g.plot.top || y > g.plot.bottom)
        return -1;
    int best = -1;
    double bestDistance = 0;
    for (size_t i = 0; i < data.points.size(); ++i) {
        double d = std::fabs(fx(g, data.points[i].day) - x);
        if (best < 0 || d < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

std::vector<std::wstring> pointLabel(const ChartData& data, int index) {
    std::vector<std::wstring> lines;
    if (index < 0 || index >= static_cast<int>(data.points.size()))
        return lines;
    const NavPoint& p = data.points[index];
    lines.push_back(p.date);
    lines.push_back(L"单位净值 " + (p.hasValue ? number(p.value, 4) : std::wstring(L"--")));
    lines.push_back(L"累计净值 " + (p.hasTotal ? number(p.total, 4) : std::wstring(L"--")));
    for (const Dividend& d : data.dividends)
        if (d.day == p.day)
            lines.push_back(L"分红 " + number(d.bonus, 4));
    return lines;
}

int ChartGeometry::xOf(int day) const {
    return static_cast<int>(std::lround(fx(*this, day)));
}

int ChartGeometry::yOf(double value) const {
    return static_cast<int>(std::lround(fy(*this, value)));
}

double ChartGeometry::valueAt(int y) const {
    const double h = plot.bottom - plot.top;
    return scale.low + (plot.bottom - y) * (scale.high - scale.low) / h;
}

ChartGeometry layoutChart(const ChartData& data, int width, int height) {
    ChartGeometry g;
    g.plot = RECT{kLeft, kTop, std::max(kLeft + 1, width - kRight), std::max(kTop + 1, height - kBottom)};
    double low = 0, high = 0;
    bool any = false;
    for (const NavPoint& p : data.points)
        for (bool total : {false, true}) {
            if (!(total ? p.hasTotal : p.hasValue))
                continue;
            double v = total ? p.total : p.value;
            low = any ? std::min(low, v) : v;
            high = any ? std::max(high, v) : v;
            any = true;
        }
    g.empty = !any;
    if (!any)
        return g;
    g.firstDay = data.points.front().day;
    g.lastDay = data.points.back().day;
    if (g.lastDay == g.firstDay) {
        // One day: a month around it, so it stands mid-chart with a date under it.
        g.firstDay -= 15;
        g.lastDay += 15;
    }
    g.scale = roundScale(low, high, std::max(2, static_cast<int>(g.plot.bottom - g.plot.top) / 40));
    return g;
}

void paintChart(HDC dc, int width, int height, const ChartData& data, const ChartColors& colors,
                const ChartGeometry& g, int hoverIndex, HFONT font) {
    RECT all{0, 0, width, height};
    fill(dc, all, colors.background);
    SelectGuard f(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    drawHeading(dc, data, colors, width);
    if (g.empty) {
        UniquePen gridPen(CreatePen(PS_SOLID, 1, colors.grid));
        SelectGuard pen(dc, gridPen.get());
        SelectGuard brush(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, g.plot.left, g.plot.top, g.plot.right, g.plot.bottom);
        std::wstring message = data.message.empty() ? std::wstring(L"暂无净值数据") : data.message;
        SIZE s = textSize(dc, message);
        text(dc, (g.plot.left + g.plot.right - s.cx) / 2, (g.plot.top + g.plot.bottom - s.cy) / 2, message,
             colors.text);
        return;
    }
    drawGaps(dc, data, colors, g);
    drawAxes(dc, data, colors, g);
    drawPageDates(dc, data, colors, g);
    bool hover = hoverIndex >= 0 && hoverIndex < static_cast<int>(data.points.size());
    drawLines(dc, data, colors, g, hover ? hoverIndex : -1);
    if (hover)
        drawCrosshair(dc, data, colors, g, hoverIndex);
}

HFONT createChartFont(ITheme* theme) {
    FontInfo info;
    if (!theme || !theme->getFont("default", info) || info.faceName.isEmpty() || info.size <= 0) {
        info.faceName = L"WenQuanYi Micro Hei";
        info.size = 9;
    }
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return CreateFontW(-MulDiv(info.size, dpi, 72), 0, 0, 0, info.bold ? FW_BOLD : FW_NORMAL,
                       info.italic ? 1 : 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       CLEARTYPE_QUALITY, DEFAULT_PITCH, info.faceName.c_str());
}

bool renderChartPng(const ChartData& data, const ChartColors& colors, int width, int height, int hoverIndex,
                    HFONT font, const std::wstring& path, std::wstring& error) {
    if (width <= 0 || height <= 0) {
        error = L"no size to render";
        return false;
    }
    HDC screen = GetDC(nullptr);
    UniqueDC mem(CreateCompatibleDC(screen));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    if (!mem || !bitmap) {
        error = L"cannot create the bitmap";
        return false;
    }
    {
        SelectGuard select(mem.get(), bitmap.get());
        paintChart(mem.get(), width, height, data, colors, layoutChart(data, width, height), hoverIndex,
                   font);
    }
    Gdiplus::GpBitmap* image = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap.get(), nullptr, &image) != Gdiplus::Ok ||
        !image) {
        error = L"GDI+ cannot take the bitmap (is GDI+ started?)";
        return false;
    }
    Gdiplus::Status st = Gdiplus::DllExports::GdipSaveImageToFile(image, path.c_str(), &kPngEncoder, nullptr);
    Gdiplus::DllExports::GdipDisposeImage(image);
    if (st != Gdiplus::Ok) {
        error = L"GDI+ cannot write " + path;
        return false;
    }
    return true;
}

} // namespace Client
