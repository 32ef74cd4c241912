// Where everything of the grid lies in its client area, and the scroll arithmetic. Plain logic
// without a window; XDataGrid fills the inputs and asks.
#pragma once

#include <vector>

#include "XRect.h"

struct GridLayoutInput {
    int clientWidth = 0;
    int clientHeight = 0;
    int headerRowHeight = 23; // one caption row, zoomed
    int headerRows = 1;       // 2 when groups are shown above the captions
    int rowHeight = 23;       // zoomed
    int rowCount = 0;
    int scrollBarSize = 16;
    std::vector<int> widths; // visible columns, zoomed
};

enum class GridArea { None, Header, HeaderBorder, Cell, Empty, VScroll, HScroll, Corner };

struct GridHit {
    GridArea area = GridArea::None;
    int row = -1;    // for Cell
    int column = -1; // visible column index for Header, HeaderBorder and Cell
};

// Parts of a scroll bar along its axis: arrows, thumb and the track around it.
struct ScrollGeometry {
    XRect lineBack, lineForward, thumb, pageBack, pageForward;
};

class GridLayout {
public:
    // Lays out for the input; keeps the scroll position, clamped to what is now possible.
    void update(const GridLayoutInput& in);

    const XRect& inner() const { return inner_; }     // inside the border
    const XRect& header() const { return header_; }   // caption rows, full width of the view
    const XRect& content() const { return content_; } // rows
    const XRect& vbar() const { return vbar_; }       // empty when not shown
    const XRect& hbar() const { return hbar_; }
    bool hasVBar() const { return !vbar_.isEmpty(); }
    bool hasHBar() const { return !hbar_.isEmpty(); }

    int topRow() const { return topRow_; }
    int xOffset() const { return xOffset_; }
    int rowCount() const { return in_.rowCount; }
    int rowHeight() const { return in_.rowHeight; }
    int totalWidth() const { return totalWidth_; }
    // Rows that fit wholly in the content area (at least 1).
    int pageRows() const;
    int maxTopRow() const;
    int maxXOffset() const;
    // First and one-past-last row that shows at least partly.
    int firstVisibleRow() const { return topRow_; }
    int endVisibleRow() const;

    // Returns whether the position changed.
    bool scrollTo(int topRow);
    bool scrollXTo(int xOffset);
    // Scrolls the least needed so that row shows wholly.
    bool ensureVisible(int row);

    // Left edge of a visible column in client coordinates (scrolled).
    int columnLeft(int column) const;
    int columnRight(int column) const { return columnLeft(column) + width(column); }
    int width(int column) const { return in_.widths[column]; }
    int columnCount() const { return int(in_.widths.size()); }
    XRect rowRect(int row) const;
    XRect cellRect(int row, int column) const;

    GridHit hitTest(int x, int y) const;
    // The row at a height in the content area, or -1.
    int rowAt(int y) const;

    ScrollGeometry vScroll() const;
    ScrollGeometry hScroll() const;
    // The top row (or x offset) for a thumb whose leading edge is at pos along its bar.
    int topRowForThumb(int pos) const;
    int xOffsetForThumb(int pos) const;

    static constexpr int kBorderGrip = 4; // pixels either side of a caption border that grab it

private:
    static ScrollGeometry scrollGeometry(const XRect& bar, bool vertical, int visible, int total,
                                         int position);
    int thumbTravel(bool vertical) const;

    GridLayoutInput in_;
    XRect inner_, header_, content_, vbar_, hbar_;
    std::vector<int> lefts_; // unscrolled left edges relative to the content's left
    int totalWidth_ = 0;
    int topRow_ = 0;
    int xOffset_ = 0;
};
