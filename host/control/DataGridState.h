// Everything a grid control holds behind its public classes. Shared by XDataGrid (painting,
// rows, scrolling, selection) and DataGridEx (header interaction, tooltip, clipboard).
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "DataGrid.h"
#include "GdiHandles.h"
#include "GridLayout.h"
#include "HeaderModel.h"

// What the grid measured of one text in one font.
struct TextMeasure {
    int width = 0;
    // Where a cut ends: the characters that fit in cutBudget pixels (-1: not measured yet).
    int cutBudget = -1;
    int cutFit = 0;
};

// A font the grid drew with, with the text widths it measured in it.
struct GridFont {
    UniqueFont font;
    int height = 0; // text cell height
    int ellipsisWidth = 0;
    // By a 64-bit hash of the text: no copy of the text per lookup.
    std::unordered_map<unsigned long long, TextMeasure> widths;
    // Reused for the shown part of a cut text, so that a cut cell does not allocate per paint.
    std::wstring cut;
};

enum class DragMode { None, VThumb, HThumb, ScrollRepeat, Resize, CaptionPress, CaptionDrag };

// A tooltip window, destroyed with the grid.
class TooltipWindow {
public:
    TooltipWindow() = default;
    TooltipWindow(const TooltipWindow&) = delete;
    TooltipWindow& operator=(const TooltipWindow&) = delete;
    ~TooltipWindow() { reset(); }
    HWND get() const { return hwnd_; }
    void reset(HWND hwnd = nullptr) {
        if (hwnd_ && IsWindow(hwnd_))
            DestroyWindow(hwnd_);
        hwnd_ = hwnd;
    }

private:
    HWND hwnd_ = nullptr;
};

struct DataGridState {
    HeaderModel header;
    GridLayout layout;
    bool layoutDirty = true;
    std::vector<int> visible; // indices into header.columns() of the shown columns, in order

    COLORREF bkColor = RGB(255, 255, 255);
    COLORREF borderColor = RGB(160, 160, 160);
    COLORREF gridColor = RGB(220, 220, 220);
    COLORREF headerColor = RGB(0, 0, 0);
    COLORREF headerBkColor = RGB(240, 240, 240);
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF selectedColor = RGB(204, 232, 255);
    COLORREF scrollArrow = RGB(96, 96, 96);
    COLORREF scrollButton = RGB(205, 205, 205);
    COLORREF scrollFace = RGB(240, 240, 240);
    COLORREF scrollDark = RGB(160, 160, 160);
    COLORREF scrollLight = RGB(255, 255, 255);
    XStringW headerFace = L"Microsoft YaHei";
    int headerSize = 9;
    bool hLines = true;
    bool vLines = true;
    int headerRowHeight = 23;
    int rowHeight = 23;
    bool scrollLock = false;
    double zoom = 1.0;

    int curSel = -1;
    XStringW sortName;
    bool sortDescending = false;
    bool sorted = false;

    // Drawing resources, made on demand and freed by ReleaseDrawingResource.
    std::unordered_map<std::wstring, std::unique_ptr<GridFont>> fonts;
    std::vector<GridFont*> columnFonts; // by column index; null until first used
    GridFont* headerFont = nullptr;
    UniqueDC bufferDC;
    UniqueBitmap bufferBitmap;
    HGDIOBJ bufferOldBitmap = nullptr;
    int bufferWidth = 0, bufferHeight = 0;
    XRect paintClip;
    // While Render runs: the DC it draws into, the font selected there and the one to restore.
    // Selecting a font per cell costs more than drawing its text.
    HDC renderDC = nullptr;
    HGDIOBJ renderOldFont = nullptr;
    HFONT renderFont = nullptr;
    // Reused for every cell's text so that a paint does not allocate per cell.
    XStringW cellText;

    // Mouse interaction.
    DragMode drag = DragMode::None;
    int dragColumn = -1; // index into header.columns()
    int dragStartX = 0;
    int dragStartWidth = 0;
    int dragOffset = 0; // thumb grab offset
    int liveWidth = -1;
    bool repeatVertical = true; // ScrollRepeat: which bar, and the point held down on it
    POINT repeatAt = {0, 0};    // zoomed width while a border is dragged
    int dropBefore = -2;        // visible index a dragged caption would land before (-1: end)
    TooltipWindow tooltip;
    int tipRow = -1, tipColumn = -1;
    bool trackingLeave = false;

    ~DataGridState();

    int zoomed(int value) const;
    void releaseDrawing();
    void headerChanged();
    std::unordered_map<std::wstring, std::wstring> faces; // face asked for -> face used
    std::wstring resolveFace(HDC dc, const XStringW& face);
    GridFont* font(HDC dc, const XStringW& face, int size, bool bold, bool italic);
    GridFont* fontFor(HDC dc, const HeaderInfo2& column);
    GridFont* headerFontFor(HDC dc);
    // Selects font into dc for the rest of the paint; returns whether the caller must restore.
    void useFont(HDC dc, GridFont* font);
    static int textWidth(HDC dc, GridFont* font, const XStringW& text);
    static TextMeasure& measure(HDC dc, GridFont* font, const XStringW& text);
    // Draws text into rect with an ellipsis when cut; returns whether it was cut.
    static bool drawText(HDC dc, GridFont* font, const XStringW& text, int align, const XRect& rect);
    static void fill(HDC dc, const XRect& rect, COLORREF color);
};

// Fills of one colour with the DC's own brush, selected once for all of them; the DC's brush is
// back when the batch ends. Only for runs of fills with no drawing hook called in between.
class FillBatch {
public:
    FillBatch(HDC dc, COLORREF color) : dc_(dc), old_(SelectObject(dc, GetStockObject(DC_BRUSH))) {
        SetDCBrushColor(dc, color);
    }
    FillBatch(const FillBatch&) = delete;
    FillBatch& operator=(const FillBatch&) = delete;
    ~FillBatch() { SelectObject(dc_, old_); }
    void operator()(const XRect& rect) const {
        if (!rect.isEmpty())
            PatBlt(dc_, rect.left, rect.top, rect.width(), rect.height(), PATCOPY);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

const int kCellPadding = 4;
// Header menu command identifiers: columns from kMenuColumnBase on, then the reset entry.
const UINT kMenuColumnBase = 0x7000;
const UINT kMenuReset = 0x6FFF;
