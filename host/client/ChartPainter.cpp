#include "ChartPainter.h"

#include <objidl.h>
#include <gdiplus.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include "Screenshot.h"
#include "host/control/GdiHandles.h"

namespace Client {

namespace {

const int kPad = 12;

Gdiplus::Color gdip(COLORREF c) {
    return Gdiplus::Color(255, GetRValue(c), GetGValue(c), GetBValue(c));
}

using UniquePen = UniqueHandle<HGDIOBJ, DeleteObject>;

std::wstring number(double v, int decimals) {
    wchar_t buf[64];
    swprintf(buf, 64, L"%.*f", decimals, v);
    return buf;
}

// A value for the crosshair: four decimals as net values are kept, or an exponent where fixed
// digits would run off the box.
std::wstring valueText(double v) {
    const double size = std::fabs(v);
    if (v == 0 || (size >= 1e-4 && size < 1e9))
        return number(v, 4);
    wchar_t buf[64];
    swprintf(buf, 64, L"%.6g", v);
    return buf;
}

std::wstring signedPercent(std::optional<double> fraction) {
    std::wstring t = percentText(fraction);
    return fraction && *fraction > 0 && t != L"--" ? L"+" + t : t;
}

SIZE textSize(HDC dc, const std::wstring& s) {
    SIZE size{0, 0};
    if (dc) {
        GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
        return size;
    }
    // Without a DC (layout in tests): a small UI font's usual widths.
    for (wchar_t c : s)
        size.cx += c < 0x2000 ? 7 : 12;
    size.cy = 16;
    return size;
}

void text(HDC dc, int x, int y, const std::wstring& s, COLORREF colour) {
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, s.c_str(), static_cast<int>(s.size()));
}

// A text cut with an ellipsis to fit width.
void textIn(HDC dc, const RECT& r, const std::wstring& s, COLORREF colour, UINT align = DT_LEFT) {
    SetTextColor(dc, colour);
    RECT box = r;
    DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &box,
              align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void fill(HDC dc, const RECT& r, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void frame(HDC dc, const RECT& r, COLORREF colour) {
    UniquePen pen(CreatePen(PS_SOLID, 1, colour));
    SelectGuard p(dc, pen.get());
    SelectGuard b(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
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
    return g.plot.left + (static_cast<double>(day) - g.firstDay) * w / std::max(1, g.lastDay - g.firstDay);
}

double fy(const ChartGeometry& g, double v, bool rightAxis) {
    const ValueScale& s = rightAxis ? g.right : g.left;
    const double h = g.plot.bottom - g.plot.top;
    // Halved first, so a scale spanning most of the double range does not overflow.
    const double y = g.plot.bottom - (v * 0.5 - s.low * 0.5) / (s.high * 0.5 - s.low * 0.5) * h;
    // Pixels stay where GDI and the conversion to int can take them.
    return std::isfinite(y) ? std::max(-1e6, std::min(y, 1e6)) : g.plot.bottom;
}

int px(double v) {
    return static_cast<int>(std::lround(v));
}

const wchar_t* const kPanelTitles[] = {L"产品",     L"区间",     L"收益率",     L"年化收益率",
                                       L"最大回撤", L"回撤区间", L"年化波动率", L"夏普比率"};
const int kPanelColumns = 8;

// The panel's cells of one product.
std::vector<std::wstring> panelRow(const ChartProduct& p) {
    const RangeFigures& f = p.figures;
    std::wstring name = p.data.code + L" " + (p.data.known ? p.data.name : std::wstring(L"(未知产品)"));
    if (!f.available)
        return {name, L"--", L"--", L"--", L"--", L"--", L"--", L"--"};
    wchar_t sharpe[32] = L"--";
    if (f.sharpe)
        swprintf(sharpe, 32, L"%.2f", *f.sharpe);
    return {name,
            isoDate(f.startDay) + L"~" + isoDate(f.endDay),
            signedPercent(f.totalReturn),
            signedPercent(f.annualised),
            percentText(f.maxDrawdown),
            f.maxDrawdown && *f.maxDrawdown > 0 ? isoDate(f.peakDay) + L"~" + isoDate(f.troughDay) : L"--",
            percentText(f.volatility),
            sharpe};
}

std::vector<size_t> panelProducts(const ChartView& view) {
    std::vector<size_t> rows;
    if (view.hasProduct())
        for (size_t i = 0; i < (view.percent() ? view.products().size() : 1); ++i)
            rows.push_back(i);
    return rows;
}

COLORREF productColour(const ChartColors& c, const ChartGeometry& g, size_t product) {
    return g.percent ? c.compare[product % kMaxChartProducts] : c.value;
}

void drawHeading(HDC dc, const ChartView& view, const ChartColors& c, const ChartGeometry& g, int width) {
    std::wstring title;
    if (view.hasProduct()) {
        const ChartData& d = view.main().data;
        title = d.code + L"  " + (d.known ? d.name : std::wstring(L"(未知产品)"));
        if (view.products().size() > 1)
            title += L"  对比 " + std::to_wstring(view.products().size()) + L" 个产品";
    }
    text(dc, kPad, 8, title, c.text);
    if (g.percent) {
        std::wstring note = L"复权收益率 (分红再投资)";
        text(dc, width - kPad - textSize(dc, note).cx, 8, note, c.text);
        return;
    }
    struct Entry {
        const wchar_t* label;
        COLORREF colour;
    };
    int x = width - kPad;
    const int mid = 8 + g.lineHeight / 2;
    for (const Entry& e : {Entry{L"分红", c.dividend}, Entry{L"累计净值 (右轴)", c.total},
                           Entry{L"单位净值 (左轴)", c.value}}) {
        int w = textSize(dc, e.label).cx;
        x -= w;
        text(dc, x, 8, e.label, c.text);
        RECT swatch{x - 22, mid - 1, x - 6, mid + 1};
        fill(dc, swatch, e.colour);
        x -= 40;
    }
}

void drawButton(HDC dc, const RECT& r, const std::wstring& caption, bool chosen, bool enabled,
                const ChartColors& c) {
    if (chosen)
        fill(dc, r, c.grid);
    frame(dc, r, chosen ? c.cross : c.grid);
    textIn(dc, r, caption, enabled ? c.text : c.grid, DT_CENTER);
}

void drawRangeBar(HDC dc, const ChartView& view, const ChartColors& c, const ChartGeometry& g) {
    for (int i = 0; i < kFigureRangeCount; ++i) {
        const FigureRange r = allFigureRanges()[i];
        drawButton(dc, g.rangeButtons[i], rangeCaption(r), r == view.range(), true, c);
    }
    // Comparing needs percent growth: the net value view is not offered then.
    const bool comparing = view.products().size() > 1;
    drawButton(dc, g.valueButton, L"净值", !g.percent, !comparing, c);
    drawButton(dc, g.percentButton, L"收益率", g.percent, true, c);
    if (!g.empty) {
        std::wstring shown = isoDate(g.firstDay) + L" 至 " + isoDate(g.lastDay);
        if (g.lastDay - g.firstDay == 30 && view.hasProduct() && view.main().data.points.size() == 1)
            shown = view.main().data.points.front().date; // one day, widened to a month for the axis
        const RECT& last = g.rangeButtons[kFigureRangeCount - 1];
        RECT box{last.right + 14, last.top, g.valueButton.left - 8, last.bottom};
        textIn(dc, box, shown, c.text);
    }
}

void drawGaps(HDC dc, const ChartView& view, const ChartColors& c, const ChartGeometry& g) {
    const ChartProduct& p = view.main();
    for (size_t i = p.first + 1; i < p.end; ++i) {
        if (p.data.points[i].day - p.data.points[i - 1].day <= p.data.gapDays)
            continue;
        RECT band{px(fx(g, p.data.points[i - 1].day)) + 1, g.plot.top, px(fx(g, p.data.points[i].day)),
                  g.plot.bottom};
        fill(dc, band, c.gap);
        const std::wstring label = L"停牌";
        SIZE s = textSize(dc, label);
        if (band.right - band.left > s.cx + 4)
            text(dc, (band.left + band.right - s.cx) / 2, g.plot.bottom - s.cy - 4, label, c.text);
    }
}

void drawAxes(HDC dc, const ChartView& view, const ChartColors& c, const ChartGeometry& g) {
    const RECT& p = g.plot;
    UniquePen gridPen(CreatePen(PS_SOLID, 1, c.grid));
    SelectGuard pen(dc, gridPen.get());
    const int h = g.lineHeight;
    // Grid lines follow the left axis (the right one's where the left has nothing to show); the
    // right axis marks its own ticks on the plot's edge.
    for (bool rightAxis : {false, true}) {
        if (!(rightAxis ? g.hasRight : g.hasLeft))
            continue;
        const ValueScale& s = rightAxis ? g.right : g.left;
        const std::vector<std::wstring> labels = axisLabels(s, g.percent);
        const bool grid = !rightAxis || !g.hasLeft;
        const COLORREF colour = g.percent ? c.text : (rightAxis ? c.total : c.value);
        for (int i = 0; i <= s.steps && i < static_cast<int>(labels.size()); ++i) {
            const int y = px(fy(g, s.tick(i), rightAxis));
            if (grid)
                line(dc, p.left, y, p.right, y);
            if (rightAxis) {
                line(dc, p.right, y, p.right + 4, y);
                text(dc, p.right + 6, y - h / 2, labels[i], colour);
            } else {
                text(dc, p.left - 6 - textSize(dc, labels[i]).cx, y - h / 2, labels[i], colour);
            }
        }
    }
    std::vector<int> ticks = monthTicks(g.firstDay, g.lastDay, p.right - p.left, 64);
    for (int day : ticks) {
        int x = px(fx(g, day));
        line(dc, x, p.top, x, p.bottom);
        std::wstring label = isoDate(day).substr(0, 7);
        int w = textSize(dc, label).cx;
        text(dc, within(x - w / 2, p.left, p.right - w), p.bottom + 6, label, c.text);
    }
    const ChartProduct& main = view.main();
    if (ticks.empty() && main.end > main.first) {
        // Less than a month: the first and last day stand in for month labels.
        std::wstring first = main.data.points[main.first].date, last = main.data.points[main.end - 1].date;
        text(dc, p.left, p.bottom + 6, first, c.text);
        if (last != first)
            text(dc, p.right - textSize(dc, last).cx, p.bottom + 6, last, c.text);
    }
    line(dc, p.left, p.top, p.left, p.bottom);
    line(dc, p.left, p.bottom, p.right, p.bottom);
    if (g.hasRight)
        line(dc, p.right, p.top, p.right, p.bottom);
}

void drawPageDates(HDC dc, const ChartView& view, const ChartColors& c, const ChartGeometry& g) {
    UniquePen markPen(CreatePen(PS_DOT, 1, c.mark));
    SelectGuard pen(dc, markPen.get());
    struct Mark {
        const std::wstring& date;
        const wchar_t* title;
        int row;
    };
    // One text row each, so the labels never overlap however close the two days are; a label
    // goes right of its line, or left of it where the plot ends.
    const int h = g.lineHeight;
    const ChartData& d = view.main().data;
    for (const Mark& m : {Mark{d.endDate, L"截止 ", 0}, Mark{d.beginDate, L"起始 ", 1}}) {
        std::optional<int> day = dayNumber(m.date);
        if (!day || *day < g.firstDay || *day > g.lastDay)
            continue;
        int x = px(fx(g, *day));
        line(dc, x, g.plot.top, x, g.plot.bottom);
        std::wstring label = m.title + m.date;
        int w = textSize(dc, label).cx;
        int lx = x + 4 + w <= g.plot.right ? x + 4 : x - 4 - w;
        text(dc, within(lx, g.plot.left + 2, g.plot.right - w - 2), g.plot.top + 2 + m.row * h, label,
             c.mark);
    }
}

// The main product's point on a day, or -1.
int pointOn(const ChartProduct& p, int day) {
    auto at = std::lower_bound(p.data.points.begin() + static_cast<std::ptrdiff_t>(p.first),
                               p.data.points.begin() + static_cast<std::ptrdiff_t>(p.end), day,
                               [](const NavPoint& n, int d) { return n.day < d; });
    return at != p.data.points.begin() + static_cast<std::ptrdiff_t>(p.end) && at->day == day
               ? static_cast<int>(at - p.data.points.begin())
               : -1;
}

void drawLines(HDC dc, const ChartView& view, const ChartColors& c, const ChartGeometry& g) {
    Gdiplus::Graphics gr(dc);
    gr.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    std::vector<ChartLine> lines = view.lines();
    // The chart's own product last, so it lies on top of those compared with it.
    std::reverse(lines.begin(), lines.end());
    for (const ChartLine& l : lines) {
        const bool rightAxis = l.kind == ChartLine::Total;
        const COLORREF colour = l.kind == ChartLine::Total ? c.total : productColour(c, g, l.product);
        Gdiplus::Pen pen(gdip(colour), l.product == 0 ? 1.8f : 1.4f);
        pen.SetLineJoin(Gdiplus::LineJoinRound);
        // Round ends, so the last day of a run is drawn on, not just reached.
        pen.SetLineCap(Gdiplus::LineCapRound, Gdiplus::LineCapRound, Gdiplus::DashCapRound);
        Gdiplus::SolidBrush dot(gdip(colour));
        for (const auto& run : l.runs) {
            std::vector<Gdiplus::PointF> pts;
            pts.reserve(run.size());
            for (const auto& point : run)
                pts.emplace_back(static_cast<float>(fx(g, point.first)),
                                 static_cast<float>(fy(g, point.second, rightAxis)));
            if (pts.size() == 1) // a lone day has no line to belong to
                gr.FillEllipse(&dot, pts[0].X - 3, pts[0].Y - 3, 6.0f, 6.0f);
            else
                gr.DrawLines(&pen, pts.data(), static_cast<int>(pts.size()));
        }
    }
    const ChartProduct& main = view.main();
    // Dividend days: a triangle on the axis, and a ring on the unit line where the day has a value.
    Gdiplus::SolidBrush bonus(gdip(c.dividend));
    Gdiplus::Pen ring(gdip(c.dividend), 1.5f);
    for (const Dividend& d : main.data.dividends) {
        if (d.day < g.firstDay || d.day > g.lastDay)
            continue;
        float x = static_cast<float>(fx(g, d.day)), b = static_cast<float>(g.plot.bottom);
        Gdiplus::PointF tri[] = {{x, b - 9}, {x - 5, b - 1}, {x + 5, b - 1}};
        gr.FillPolygon(&bonus, tri, 3);
        const int i = pointOn(main, d.day);
        if (!g.percent && i >= 0 && main.data.points[i].hasValue) {
            float y = static_cast<float>(fy(g, main.data.points[i].value, false));
            gr.DrawEllipse(&ring, x - 4, y - 4, 8.0f, 8.0f);
        }
    }
    // The page's dates: rings on the lines.
    Gdiplus::Pen markRing(gdip(c.mark), 1.5f);
    for (const std::wstring& date : {main.data.endDate, main.data.beginDate}) {
        std::optional<int> day = dayNumber(date);
        const int i = day ? pointOn(main, *day) : -1;
        if (i < 0)
            continue;
        const NavPoint& p = main.data.points[i];
        float x = static_cast<float>(fx(g, p.day));
        auto ringAt = [&](double y) {
            gr.DrawEllipse(&markRing, x - 3.5f, static_cast<float>(y) - 3.5f, 7.0f, 7.0f);
        };
        if (g.percent) {
            if (std::optional<double> v = view.percentOn(0, p.day))
                ringAt(fy(g, *v, false));
            continue;
        }
        if (p.hasValue)
            ringAt(fy(g, p.value, false));
        if (p.hasTotal)
            ringAt(fy(g, p.total, true));
    }
}

void drawPanel(HDC dc, const ChartView& view, const ChartColors& c, const ChartGeometry& g) {
    const std::vector<size_t> rows = panelProducts(view);
    if (rows.empty() || g.panel.bottom <= g.panel.top)
        return;
    std::vector<std::vector<std::wstring>> cells;
    for (size_t i : rows)
        cells.push_back(panelRow(view.products()[i]));
    // Each figure column as wide as its widest text; the product's name takes what is left.
    const int gap = 14;
    int widths[kPanelColumns] = {};
    int fixed = 0;
    for (int k = 1; k < kPanelColumns; ++k) {
        widths[k] = textSize(dc, kPanelTitles[k]).cx;
        for (const auto& row : cells)
            widths[k] = std::max(widths[k], static_cast<int>(textSize(dc, row[k]).cx));
        fixed += widths[k] + gap;
    }
    const int swatch = g.percent ? 22 : 0;
    widths[0] = std::max(40, static_cast<int>(g.panel.right - g.panel.left) - fixed - swatch);
    const int h = g.lineHeight + 4;
    UniquePen gridPen(CreatePen(PS_SOLID, 1, c.grid));
    {
        SelectGuard pen(dc, gridPen.get());
        line(dc, g.panel.left, g.panel.top, g.panel.right, g.panel.top);
    }
    for (size_t r = 0; r <= cells.size(); ++r) {
        const int top = g.panel.top + 4 + static_cast<int>(r) * h;
        int x = g.panel.left;
        for (int k = 0; k < kPanelColumns; ++k) {
            int w = widths[k] + (k == 0 ? swatch : 0);
            RECT box{x, top, x + w, top + h};
            if (r == 0) {
                textIn(dc, box, kPanelTitles[k], c.text, k == 0 ? DT_LEFT : DT_RIGHT);
            } else {
                const std::wstring& t = cells[r - 1][k];
                COLORREF colour = c.text;
                if ((k == 2 || k == 3) && t != L"--")
                    colour = t[0] == L'+' ? c.up : (t[0] == L'-' ? c.down : c.text);
                if (k == 0 && swatch) {
                    RECT mark{x, top + h / 2 - 1, x + 16, top + h / 2 + 2};
                    fill(dc, mark, c.compare[rows[r - 1] % kMaxChartProducts]);
                    box.left += swatch;
                }
                textIn(dc, box, t, colour, k == 0 ? DT_LEFT : DT_RIGHT);
            }
            x += w + gap;
        }
    }
}

} // namespace

std::wstring percentText(std::optional<double> fraction) {
    if (!fraction || !std::isfinite(*fraction))
        return L"--";
    const double v = *fraction * 100;
    wchar_t buf[64];
    if (std::fabs(v) >= 1e7)
        swprintf(buf, 64, L"%.3e%%", v);
    else
        swprintf(buf, 64, L"%.2f%%", std::fabs(v) < 0.005 ? 0.0 : v);
    return buf;
}

ChartColors chartColors(ITheme* theme) {
    ChartColors c{RGB(20, 20, 20),    RGB(200, 200, 200), RGB(46, 46, 46),  RGB(34, 34, 40),
                  RGB(240, 192, 64),  RGB(96, 192, 224),  RGB(255, 64, 64), RGB(208, 128, 208),
                  RGB(160, 160, 160), RGB(255, 64, 64),   RGB(32, 208, 96), {}};
    if (theme) {
        struct Key {
            const char* own;
            const char* fallback;
            COLORREF* target;
        };
        for (const Key& k :
             {Key{"chart_bg", "list_bg", &c.background}, Key{"chart_text", "list_title", &c.text},
              Key{"chart_grid", "list_border_inside", &c.grid}, Key{"chart_gap", "list_bg_evenLine", &c.gap},
              Key{"chart_value", "list_cur_data", &c.value}, Key{"chart_total", "list_status", &c.total},
              Key{"chart_dividend", "list_value_positive", &c.dividend},
              Key{"chart_mark", "list_melon", &c.mark}, Key{"chart_cross", "list_prev_data", &c.cross},
              Key{"chart_up", "list_value_positive", &c.up},
              Key{"chart_down", "list_value_negative", &c.down}})
            if (!theme->getColor(k.own, *k.target))
                theme->getColor(k.fallback, *k.target);
    }
    // Compared products: the unit and accumulated lines' colours first, then three more that
    // read on dark and light backgrounds alike.
    const COLORREF defaults[kMaxChartProducts] = {c.value, c.total, c.mark, RGB(64, 176, 96),
                                                  RGB(96, 128, 255)};
    for (size_t i = 0; i < kMaxChartProducts; ++i) {
        c.compare[i] = defaults[i];
        const std::string key = "chart_compare" + std::to_string(i + 1);
        if (theme)
            theme->getColor(key.c_str(), c.compare[i]);
    }
    return c;
}

int ChartGeometry::xOf(int day) const {
    return px(fx(*this, day));
}

int ChartGeometry::yOf(double value, bool rightAxis) const {
    return px(fy(*this, value, rightAxis));
}

double ChartGeometry::valueAt(int y, bool rightAxis) const {
    const ValueScale& s = rightAxis ? right : left;
    const double h = plot.bottom - plot.top;
    return s.low + (plot.bottom - y) * (s.high - s.low) / h;
}

int ChartGeometry::rangeAt(POINT p) const {
    for (int i = 0; i < kFigureRangeCount; ++i)
        if (PtInRect(&rangeButtons[i], p))
            return i;
    return -1;
}

ChartGeometry layoutChart(const ChartView& view, int width, int height, HDC dc) {
    ChartGeometry g;
    const int lh = textSize(dc, L"0Ag").cy;
    g.lineHeight = lh;
    g.percent = view.percent();

    // The range bar under the title: the seven ranges left, the two modes right.
    const int barTop = 8 + lh + 6, barBottom = barTop + lh + 6;
    int x = kPad;
    for (int i = 0; i < kFigureRangeCount; ++i) {
        const int w =
            std::max(34, static_cast<int>(textSize(dc, rangeCaption(allFigureRanges()[i])).cx) + 16);
        g.rangeButtons[i] = RECT{x, barTop, x + w, barBottom};
        x += w + 4;
    }
    const int modeWidth = static_cast<int>(textSize(dc, L"收益率").cx) + 20;
    g.percentButton = RECT{width - kPad - modeWidth, barTop, width - kPad, barBottom};
    g.valueButton = RECT{g.percentButton.left - 4 - modeWidth, barTop, g.percentButton.left - 4, barBottom};

    const int rows = static_cast<int>(panelProducts(view).size());
    const int panelHeight = rows ? (rows + 1) * (lh + 4) + 10 : 0;
    const int top = barBottom + 12;
    const int bottom = std::max(top + 1, height - panelHeight - (lh + 14));
    g.panel = RECT{kPad, bottom + lh + 12, width - kPad, height - 2};

    // Value ranges first: the number of ticks depends on the plot's height only, and the
    // margins on the labels.
    double low[2] = {0, 0}, high[2] = {0, 0};
    bool any[2] = {false, false};
    for (const ChartLine& l : view.lines()) {
        const int axis = l.kind == ChartLine::Total ? 1 : 0;
        for (const auto& run : l.runs)
            for (const auto& p : run) {
                if (!std::isfinite(p.second))
                    continue;
                low[axis] = any[axis] ? std::min(low[axis], p.second) : p.second;
                high[axis] = any[axis] ? std::max(high[axis], p.second) : p.second;
                any[axis] = true;
            }
    }
    g.empty = view.empty() || !(any[0] || any[1]);
    if (g.percent) {
        // The start's 0 % is always on the axis.
        low[0] = std::min(low[0], 0.0);
        high[0] = std::max(high[0], 0.0);
    }
    const int maxSteps = std::max(2, (bottom - top) / 40);
    int margin[2] = {40, 20};
    if (!g.empty) {
        g.hasLeft = any[0];
        g.hasRight = any[1];
        for (int axis = 0; axis < 2; ++axis) {
            if (!any[axis])
                continue;
            ValueScale& s = axis ? g.right : g.left;
            s = roundScale(low[axis], high[axis], maxSteps);
            for (const std::wstring& label : axisLabels(s, g.percent))
                margin[axis] = std::max(margin[axis], static_cast<int>(textSize(dc, label).cx) + 14);
            // Room for the crosshair's tag of the widest value too.
            for (double v : {s.low, s.high}) {
                const std::wstring tag = g.percent ? signedPercent(v) : valueText(v);
                margin[axis] = std::max(margin[axis], static_cast<int>(textSize(dc, tag).cx) + 10);
            }
        }
        g.firstDay = view.firstDay();
        g.lastDay = view.lastDay();
        if (g.lastDay == g.firstDay) {
            // One day: a month around it, so it stands mid-chart with a date under it.
            g.firstDay -= 15;
            g.lastDay += 15;
        }
    }
    // Labels never wider than a third of the window each.
    const int most = std::max(40, width / 3);
    g.plot = RECT{std::min(margin[0], most), top, 0, bottom};
    g.plot.right = std::max(static_cast<int>(g.plot.left) + 1, width - std::min(margin[1], most));
    return g;
}

int nearestPoint(const ChartView& view, const ChartGeometry& g, int x, int y) {
    if (g.empty || !view.hasProduct() || x < g.plot.left || x > g.plot.right || y < g.plot.top ||
        y > g.plot.bottom)
        return -1;
    const ChartProduct& p = view.main();
    if (p.end <= p.first)
        return -1;
    // The day under x, then its neighbours among the shown points (which are in day order).
    const double day = g.firstDay + (x - g.plot.left) * static_cast<double>(g.lastDay - g.firstDay) /
                                        std::max(1L, static_cast<long>(g.plot.right - g.plot.left));
    auto begin = p.data.points.begin() + static_cast<std::ptrdiff_t>(p.first);
    auto end = p.data.points.begin() + static_cast<std::ptrdiff_t>(p.end);
    auto after = std::lower_bound(begin, end, day, [](const NavPoint& n, double d) { return n.day < d; });
    if (after == end)
        return static_cast<int>(p.end - 1);
    if (after != begin && day - (after - 1)->day <= after->day - day)
        --after;
    return static_cast<int>(after - p.data.points.begin());
}

std::vector<std::wstring> pointLabel(const ChartView& view, int index) {
    std::vector<std::wstring> lines;
    if (!view.hasProduct() || index < 0 || index >= static_cast<int>(view.main().data.points.size()))
        return lines;
    const ChartData& d = view.main().data;
    const NavPoint& p = d.points[index];
    lines.push_back(p.date);
    if (view.percent()) {
        for (size_t k = 0; k < view.products().size(); ++k)
            lines.push_back(view.products()[k].data.code + L" " + signedPercent(view.percentOn(k, p.day)));
    } else {
        lines.push_back(L"单位净值 " + (p.hasValue ? valueText(p.value) : std::wstring(L"--")));
        lines.push_back(L"累计净值 " + (p.hasTotal ? valueText(p.total) : std::wstring(L"--")));
        lines.push_back(L"区间涨幅 " + signedPercent(view.percentOn(0, p.day)));
    }
    auto at = std::lower_bound(d.dividends.begin(), d.dividends.end(), p.day,
                               [](const Dividend& v, int day) { return v.day < day; });
    for (; at != d.dividends.end() && at->day == p.day; ++at)
        lines.push_back(L"分红 " + number(at->bonus, 4));
    return lines;
}

void paintChart(HDC dc, int width, int height, const ChartView& view, const ChartColors& colors,
                const ChartGeometry& g, HFONT font) {
    RECT all{0, 0, width, height};
    fill(dc, all, colors.background);
    SelectGuard f(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    drawHeading(dc, view, colors, g, width);
    drawRangeBar(dc, view, colors, g);
    drawPanel(dc, view, colors, g);
    if (g.empty) {
        frame(dc, g.plot, colors.grid);
        std::wstring message = L"暂无净值数据";
        if (view.hasProduct() && !view.main().data.message.empty())
            message = view.main().data.message;
        else if (view.hasProduct() && !view.main().data.points.empty())
            message = L"截止日期前暂无净值数据";
        SIZE s = textSize(dc, message);
        text(dc, (g.plot.left + g.plot.right - s.cx) / 2, (g.plot.top + g.plot.bottom - s.cy) / 2, message,
             colors.text);
        return;
    }
    drawGaps(dc, view, colors, g);
    drawAxes(dc, view, colors, g);
    drawPageDates(dc, view, colors, g);
    drawLines(dc, view, colors, g);
}

void paintCrosshair(HDC dc, const ChartView& view, const ChartColors& c, const ChartGeometry& g, int hover,
                    HFONT font) {
    if (g.empty || !view.hasProduct() || hover < 0 ||
        hover >= static_cast<int>(view.main().data.points.size()))
        return;
    SelectGuard f(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const NavPoint& p = view.main().data.points[hover];
    const int x = g.xOf(p.day);
    // Where the horizontal line goes: the unit value (the accumulated one on its own axis when
    // the day has no unit value), or the growth in percent mode.
    std::optional<double> level;
    bool rightAxis = false;
    if (g.percent)
        level = view.percentOn(0, p.day);
    else if (p.hasValue)
        level = p.value;
    else if (p.hasTotal) {
        level = p.total;
        rightAxis = true;
    }
    const int y = level ? g.yOf(*level, rightAxis) : -1;
    {
        UniquePen crossPen(CreatePen(PS_DOT, 1, c.cross));
        SelectGuard pen(dc, crossPen.get());
        line(dc, x, g.plot.top, x, g.plot.bottom);
        if (level)
            line(dc, g.plot.left, y, g.plot.right, y);
    }
    {
        Gdiplus::Graphics gr(dc);
        gr.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        Gdiplus::SolidBrush crossDot(gdip(c.cross));
        auto dotAt = [&](double yy) {
            gr.FillEllipse(&crossDot, x - 3.5f, static_cast<float>(yy) - 3.5f, 7.0f, 7.0f);
        };
        if (g.percent) {
            for (size_t k = 0; k < view.products().size(); ++k)
                if (view.products()[k].series.indexOf(p.day) >= 0)
                    if (std::optional<double> v = view.percentOn(k, p.day))
                        dotAt(g.yOf(*v));
        } else {
            if (p.hasValue)
                dotAt(g.yOf(p.value));
            if (p.hasTotal)
                dotAt(g.yOf(p.total, true));
        }
    }
    std::vector<std::wstring> lines = pointLabel(view, hover);
    int w = 0;
    const int h = g.lineHeight;
    for (const std::wstring& l : lines)
        w = std::max(w, static_cast<int>(textSize(dc, l).cx));
    // Below the two rows of the page's date labels.
    const int top = g.plot.top + 2 * h + 8;
    RECT box{x + 12, top, x + 12 + w + 12, top + static_cast<int>(lines.size()) * h + 8};
    if (box.right > g.plot.right)
        OffsetRect(&box, -(w + 12 + 24), 0);
    fill(dc, box, c.background);
    frame(dc, box, c.cross);
    for (size_t i = 0; i < lines.size(); ++i)
        text(dc, box.left + 6, box.top + 4 + static_cast<int>(i) * h, lines[i], c.text);
    // The values under the horizontal line, on their axes.
    auto tag = [&](const std::wstring& v, int ty, bool onRight) {
        SIZE s = textSize(dc, v);
        RECT r = onRight ? RECT{g.plot.right, ty - s.cy / 2 - 1, g.plot.right + s.cx + 8, ty + s.cy / 2 + 1}
                         : RECT{g.plot.left - s.cx - 8, ty - s.cy / 2 - 1, g.plot.left, ty + s.cy / 2 + 1};
        fill(dc, r, c.cross);
        text(dc, r.left + 4, r.top + 1, v, c.background);
    };
    if (g.percent) {
        if (level)
            tag(signedPercent(level), y, false);
    } else {
        if (p.hasValue)
            tag(valueText(p.value), g.yOf(p.value), false);
        if (p.hasTotal && g.hasRight)
            tag(valueText(p.total), g.yOf(p.total, true), true);
    }
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

bool renderChartPng(const ChartView& view, const ChartColors& colors, int width, int height, int hoverIndex,
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
        SelectGuard f(mem.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        ChartGeometry g = layoutChart(view, width, height, mem.get());
        paintChart(mem.get(), width, height, view, colors, g, font);
        paintCrosshair(mem.get(), view, colors, g, hoverIndex, font);
    }
    return saveBitmapPng(bitmap.get(), path, error);
}

} // namespace Client
