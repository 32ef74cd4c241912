#include <gtest/gtest.h>

#include "GridLayout.h"

namespace {
GridLayoutInput input(int w, int h, int rows, std::vector<int> widths) {
    GridLayoutInput in;
    in.clientWidth = w;
    in.clientHeight = h;
    in.headerRowHeight = 20;
    in.rowHeight = 20;
    in.rowCount = rows;
    in.scrollBarSize = 16;
    in.widths = std::move(widths);
    return in;
}
} // namespace

TEST(GridLayoutTest, ScrollBarsAppearOnlyWhenNeededAndTakeRoomFromEachOther) {
    GridLayout l;
    l.update(input(302, 222, 10, {100, 100}));
    EXPECT_FALSE(l.hasVBar());
    EXPECT_FALSE(l.hasHBar());
    EXPECT_EQ(10, l.pageRows());
    // 11 rows need the vertical bar, which narrows the view below the columns' 290 pixels.
    l.update(input(302, 222, 11, {145, 145}));
    EXPECT_TRUE(l.hasVBar());
    EXPECT_TRUE(l.hasHBar());
    EXPECT_EQ(9, l.pageRows());
}

TEST(GridLayoutTest, ScrollPositionIsClampedAndKeepsSelectionVisible) {
    GridLayout l;
    l.update(input(302, 222, 100000, {100, 100}));
    int page = l.pageRows();
    EXPECT_EQ(100000 - page, l.maxTopRow());
    EXPECT_TRUE(l.scrollTo(1 << 30));
    EXPECT_EQ(l.maxTopRow(), l.topRow());
    EXPECT_TRUE(l.scrollTo(-5));
    EXPECT_EQ(0, l.topRow());
    EXPECT_TRUE(l.ensureVisible(50));
    EXPECT_EQ(50 - page + 1, l.topRow());
    EXPECT_FALSE(l.ensureVisible(50));
    EXPECT_TRUE(l.ensureVisible(3));
    EXPECT_EQ(3, l.topRow());
    EXPECT_EQ(3 + page, l.endVisibleRow());
    l.update(input(302, 232, 100000, {100, 100})); // half a row more shows one row partly
    EXPECT_EQ(3 + page + 1, l.endVisibleRow());
    // Fewer rows afterwards pull the position back.
    l.update(input(302, 222, 5, {100, 100}));
    EXPECT_EQ(0, l.topRow());
}

TEST(GridLayoutTest, HitTestFindsCellsBordersAndBars) {
    GridLayout l;
    l.update(input(302, 222, 100, {100, 50, 60}));
    // Client (1,1) inner; header 1..21; rows from 21.
    GridHit h = l.hitTest(50, 30);
    EXPECT_EQ(GridArea::Cell, h.area);
    EXPECT_EQ(0, h.row);
    EXPECT_EQ(0, h.column);
    h = l.hitTest(120, 21 + 20 * 3 + 5);
    EXPECT_EQ(3, h.row);
    EXPECT_EQ(1, h.column);
    h = l.hitTest(102, 10); // near the right edge of column 0 (x = 101)
    EXPECT_EQ(GridArea::HeaderBorder, h.area);
    EXPECT_EQ(0, h.column);
    h = l.hitTest(130, 10);
    EXPECT_EQ(GridArea::Header, h.area);
    EXPECT_EQ(1, h.column);
    h = l.hitTest(250, 50); // right of the last column
    EXPECT_EQ(GridArea::Empty, h.area);
    EXPECT_EQ(GridArea::VScroll, l.hitTest(295, 100).area);
    // Scrolled sideways, the same point hits a later column.
    l.update(input(152, 222, 100, {100, 50, 60}));
    EXPECT_TRUE(l.scrollXTo(1000));
    EXPECT_EQ(l.maxXOffset(), l.xOffset());
    EXPECT_EQ(2, l.hitTest(120, 50).column);
}

TEST(GridLayoutTest, ThumbFollowsPositionBothWays) {
    GridLayout l;
    l.update(input(302, 222, 1000, {100}));
    ScrollGeometry g = l.vScroll();
    EXPECT_EQ(g.lineBack.bottom, g.thumb.top);
    l.scrollTo(l.maxTopRow());
    g = l.vScroll();
    EXPECT_EQ(g.lineForward.top, g.thumb.bottom);
    int travel = g.lineForward.top - g.lineBack.bottom - g.thumb.height();
    EXPECT_EQ(l.maxTopRow(), l.topRowForThumb(travel));
    EXPECT_EQ(0, l.topRowForThumb(-40));
    EXPECT_GE(g.thumb.height(), 12);
}
