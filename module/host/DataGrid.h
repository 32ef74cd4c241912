// The host's grid control (Control.dll): a window base (XWin), the owner-drawn data grid
// (XDataGrid) and its interactive extension (DataGridEx), with the column description HeaderInfo2.
//
// The virtual operations are declared in their slot order; derived grids in other modules rely on
// it, so new virtual operations may only be appended after the last one (DataGridEx's destructor).
// The grid asks its owner for rows and cells through the virtual operations and only for the
// cells it shows. COM must be initialised on the thread that calls SetHeader.
#pragma once

#include <windows.h>

#include "HostApi.h"
#include "XRect.h"
#include "XString.h"

struct IXMLDOMDocument;
struct IXMLDOMNode;
struct IXMLDOMNodeList;
namespace Gdiplus {
class Graphics;
}

// One column as the grid shows it: the column's name and its item node in the grid's header
// document, with what the grid read from that node. Holds one reference on the node.
class CONTROL_API HeaderInfo2 {
public:
    HeaderInfo2();
    explicit HeaderInfo2(const XStringW& name, IXMLDOMNode* node = nullptr);
    HeaderInfo2(const HeaderInfo2& other);
    HeaderInfo2& operator=(const HeaderInfo2& other);
    ~HeaderInfo2();

    // The item node (borrowed; valid while this description lives), or null.
    IXMLDOMNode* GetNode() const { return node_; }
    void SetNode(IXMLDOMNode* node);

    enum Align { AlignLeft = 0, AlignCenter = 1, AlignRight = 2 };

    XStringW name;       // `name`; empty for a group
    XStringW title;      // caption
    XStringW group;      // caption of the group above the column, empty outside a group
    int groupIndex = -1; // index of that group in the header, -1 outside a group
    int index = -1;      // position among all columns in display order
    int width = 80;      // in unzoomed pixels
    int align = AlignLeft;
    int titleAlign = AlignCenter;
    XStringW font;       // symbolic font (`font`), as written
    XStringW fontFamily; // concrete font (`font-family`), empty for the grid's font
    int fontSize = 0;    // `font-size` in points, 0 for the grid's size
    bool bold = false;   // `font-style` holds "bold"
    bool italic = false; // `font-style` holds "italic"
    bool visible = true;

private:
    IXMLDOMNode* node_ = nullptr;
};

// A window object: creates or attaches to a window and routes its messages to WndProc.
class CONTROL_API XWin {
public:
    XWin();
    XWin(const XWin&) = delete;
    XWin& operator=(const XWin&) = delete;

    virtual HWND Create(HWND parent, const XRect& rect, UINT id = 0);
    virtual HWND Create(HWND parent, const XRect& rect, DWORD style, DWORD exStyle, UINT id);
    virtual HWND Create(HWND parent, int x, int y, int cx, int cy, DWORD style, DWORD exStyle, UINT id);
    // Subclasses an existing window; false when it is not a window or already attached.
    virtual bool Attach(HWND hwnd);
    virtual HWND Detach();
    virtual LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    virtual bool ShowWindow(int cmd);
    virtual void SetFocus();
    virtual bool MoveWindow(const XRect& rect, bool repaint = true);
    virtual bool MoveWindow(int x, int y, int cx, int cy, bool repaint = true);
    virtual XRect GetWindowRect() const;
    virtual XRect GetClientRect() const;
    virtual void ScreenToClient(POINT& point) const;
    virtual void ClientToScreen(POINT& point) const;
    virtual void Invalidate(bool erase = false);
    virtual void InvalidateRect(const XRect& rect, bool erase = false);

    HWND GetHwnd() const { return hwnd_; }
    operator HWND() const { return hwnd_; }

protected:
    // Owned by their concrete type (by value or through DataGridEx's virtual destructor).
    ~XWin();
    // The window class every XWin creates; registered once per process.
    static const wchar_t* ClassName();
    // Passes a message on to the procedure the window had before (attached windows) or to
    // DefWindowProc.
    LRESULT DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Ties a window of the class to this object at its WM_NCCREATE.
    void AttachCreated(HWND hwnd);

    HWND hwnd_ = nullptr;
    WNDPROC previousProc_ = nullptr;
};

struct DataGridState;

// The owner-drawn grid: header from an XML definition, rows from the virtual operations.
class CONTROL_API XDataGrid : public XWin {
public:
    XDataGrid();

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Paints the whole client area into dc (the grid double-buffers around it).
    virtual void Render(HDC dc);
    virtual void DrawHeader(HDC dc, const XRect& rect);
    virtual void DrawHeaderItem(HDC dc, const HeaderInfo2& column, const XRect& rect);
    virtual void DrawHeaderBorder(HDC dc, const XRect& rect);
    virtual void DrawHeaderBackgound(HDC dc, const XRect& rect);
    virtual void DrawHeaderText(HDC dc, const XStringW& text, int align, const XRect& rect);
    // descending: the direction of the indicator's arrow.
    virtual void DrawHeaderSort(HDC dc, bool descending, const XRect& rect);
    virtual void DrawBackground(HDC dc, const XRect& rect);
    virtual void DrawBorder(HDC dc, const XRect& rect);
    virtual void DrawCheckBox(HDC dc, bool checked, const XRect& rect);
    virtual void DrawContent(HDC dc, const XRect& rect);
    // Repaints one row directly on the window (selection changes), double-buffered.
    virtual void DrawRowQuick(int row);
    virtual void DrawRow(HDC dc, int row, const XRect& rect);
    // One cell: the text from GetItemText in the colour from GetItemColor, aligned as the
    // column's `align` says, with an ellipsis when it does not fit. graphics may be null.
    virtual void DrawItem(HDC dc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& column,
                          const XRect& rect);
    // Both scroll bars, where shown.
    virtual void DrawScrollBar(HDC dc);
    virtual void DrawScrollBar(HDC dc, bool vertical, const XRect& rect);
    // direction: 0 up, 1 down, 2 left, 3 right.
    virtual void DrawScrollBarButton(HDC dc, int direction, bool pressed, const XRect& rect);
    virtual int GetRowsCount();
    virtual bool GetCheckStatus(int row);
    virtual void SetCheckStatus(int row, bool checked);
    virtual void GetRowBkColor(int row, bool selected, COLORREF& color);
    // color holds the grid's text colour on entry.
    virtual void GetItemColor(int row, const HeaderInfo2& column, const XStringW& text, COLORREF& color);
    virtual void GetItemText(int row, const HeaderInfo2& column, XStringW& text);
    // A caption click: flag true asks for descending order. Returns whether the grid sorted.
    virtual bool sort(const XStringW& column, bool flag);
    // Right click on a row, in client coordinates, after the row was selected.
    virtual void OnContextMenu(int x, int y);
    // The user resized, moved, showed or hid a column; GetHeader has the new definition.
    virtual void OnHeaderChange();
    // The user asked for the default columns from the header menu.
    virtual void OnResetHeader();
    // Double click or Enter on the selected row.
    virtual void OnEnterItem();
    // The displayed texts of a row, tab-separated (what Ctrl+C copies).
    virtual XStringW DragItemToString(int row);
    // The displayed text of one cell.
    virtual XStringW DragItemToString(int row, const HeaderInfo2& column);

    // Applies a header definition; non-zero when applied. A text that is not a usable header
    // returns 0 and keeps the previous columns.
    int SetHeader(const XStringW& text);
    // The definition applied, with the current widths, order and visibility.
    XStringW GetHeader();

    enum HitArea { HitNone = 0, HitHeader, HitHeaderBorder, HitCell, HitEmpty, HitScrollBar };
    // The row at a client point, or -1; column receives the visible column index (or -1) and
    // area what lies there.
    int HitTest(int x, int y, int* column = nullptr, int* area = nullptr);
    // Reads the row count again and clamps selection and scrolling. resetPosition scrolls to
    // the top and clears the selection; redraw repaints.
    void Refresh(bool resetPosition, bool redraw);
    int GetCurrSel() const;
    // Selects a row (-1: none) and scrolls it into view unless the scroll position is locked.
    void SetCurrSel(int row);

    void SetBkColor(COLORREF color);
    void SetBdColor(COLORREF color);
    void SetGridColor(COLORREF color);
    void SetHeaderColor(COLORREF color);
    void SetHeaderBkColor(COLORREF color);
    void SetScrollArrowColor(COLORREF color);
    void SetScrollButtonColor(COLORREF color);
    void SetScrollFaceColor(COLORREF color);
    void SetScrollDarkColor(COLORREF color);
    void SetScrollLightColor(COLORREF color);
    // The grid's text colour, handed to GetItemColor as its default.
    void SetTextColor(COLORREF color);
    void SetHeaderFont(const XStringW& face, int size);
    void SetDrawGridLine(bool horizontal, bool vertical);
    void SetHeaderRowHight(int height);
    void SetRowHight(int height);
    // While locked, selection changes by program do not scroll.
    void SetScrollLock(bool lock);
    // Scales fonts and heights; 1.0 is the natural size.
    void SetZoom(double zoom);
    // Frees fonts, brushes and pens; they are made again on the next paint.
    void ReleaseDrawingResource();

    // The visible columns in display order, and the number of all columns.
    int GetColumnCount() const;
    HeaderInfo2 GetColumn(int visibleIndex) const;
    int GetTopRow() const;

protected:
    ~XDataGrid();

    // The header document (borrowed), null before the first definition was applied.
    IXMLDOMDocument* GetHeaderDocument() const;
    // Finds the item named name in items or in the groups among them; node receives a new
    // reference. False when there is none.
    bool GetHeader(IXMLDOMNodeList* items, const XStringW& name, IXMLDOMNode** node);

    DataGridState* state_;
};

// The grid with its header interaction: caption sort, border resize and fit, caption drag,
// header menu, tooltips for cut texts and copying rows.
class CONTROL_API DataGridEx : public XDataGrid {
public:
    DataGridEx();
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual ~DataGridEx();
};
