#include "GridLayout.h"

#include <algorithm>
#include <cstdlib>

namespace {
const int kMinThumb = 12;
}

void GridLayout::update(const GridLayoutInput& in) {
    in_ = in;
    if (in_.rowHeight < 1)
        in_.rowHeight = 1;
    if (in_.headerRowHeight < 0)
        in_.headerRowHeight = 0;
    if (in_.rowCount < 0)
        in_.rowCount = 0;
    lefts_.resize(in_.widths.size());
    long long total = 0;
    for (size_t i = 0; i < in_.widths.size(); ++i) {
        if (in_.widths[i] < 0)
            in_.widths[i] = 0;
        lefts_[i] = int(total);
        total += in_.widths[i];
    }
    totalWidth_ = int(std::min<long long>(total, 1 << 30));

    inner_ = XRect(1, 1, std::max(1, in_.clientWidth - 1), std::max(1, in_.clientHeight - 1));
    int headerHeight = in_.headerRowHeight * in_.headerRows;
    int bar = in_.scrollBarSize;
    bool needV = false, needH = false;
    // Each bar takes room from the other direction, so settle the two together.
    for (int pass = 0; pass < 3; ++pass) {
        int viewW = inner_.width() - (needV ? bar : 0);
        int viewH = inner_.height() - headerHeight - (needH ? bar : 0);
        needH = totalWidth_ > viewW;
        needV = (long long)in_.rowCount * in_.rowHeight > viewH;
    }
    int right = inner_.right - (needV ? bar : 0);
    int bottom = inner_.bottom - (needH ? bar : 0);
    header_ = XRect(inner_.left, inner_.top, right, std::min(bottom, inner_.top + headerHeight));
    content_ = XRect(inner_.left, header_.bottom, right, std::max(header_.bottom, bottom));
    vbar_ = needV ? XRect(right, inner_.top, inner_.right, bottom) : XRect();
    hbar_ = needH ? XRect(inner_.left, bottom, right, inner_.bottom) : XRect();
    scrollTo(topRow_);
    scrollXTo(xOffset_);
}

int GridLayout::pageRows() const {
    return std::max(1, content_.height() / in_.rowHeight);
}

int GridLayout::maxTopRow() const {
    return std::max(0, in_.rowCount - pageRows());
}

int GridLayout::maxXOffset() const {
    return std::max(0, totalWidth_ - content_.width());
}

int GridLayout::endVisibleRow() const {
    int shown = (content_.height() + in_.rowHeight - 1) / in_.rowHeight;
    return std::min(in_.rowCount, topRow_ + shown);
}

bool GridLayout::scrollTo(int topRow) {
    int clamped = std::max(0, std::min(topRow, maxTopRow()));
    bool changed = clamped != topRow_;
    topRow_ = clamped;
    return changed;
}

bool GridLayout::scrollXTo(int xOffset) {
    int clamped = std::max(0, std::min(xOffset, maxXOffset()));
    bool changed = clamped != xOffset_;
    xOffset_ = clamped;
    return changed;
}

bool GridLayout::ensureVisible(int row) {
    if (row < 0 || row >= in_.rowCount)
        return false;
    if (row < topRow_)
        return scrollTo(row);
    if (row >= topRow_ + pageRows())
        return scrollTo(row - pageRows() + 1);
    return false;
}

int GridLayout::columnLeft(int column) const {
    return content_.left + lefts_[column] - xOffset_;
}

XRect GridLayout::rowRect(int row) const {
    int top = content_.top + (row - topRow_) * in_.rowHeight;
    return XRect(content_.left, top, content_.right, top + in_.rowHeight);
}

XRect GridLayout::cellRect(int row, int column) const {
    XRect r = rowRect(row);
    r.left = columnLeft(column);
    r.right = r.left + in_.widths[column];
    return r;
}

GridHit GridLayout::hitTest(int x, int y) const {
    GridHit hit;
    if (vbar_.contains(x, y)) {
        hit.area = GridArea::VScroll;
        return hit;
    }
    if (hbar_.contains(x, y)) {
        hit.area = GridArea::HScroll;
        return hit;
    }
    if (!inner_.contains(x, y))
        return hit;
    if (header_.contains(x, y) || content_.contains(x, y)) {
        // Columns by binary search over their left edges.
        int rel = x - content_.left + xOffset_;
        auto it = std::upper_bound(lefts_.begin(), lefts_.end(), rel);
        int column = int(it - lefts_.begin()) - 1;
        if (column >= 0 && rel >= lefts_[column] + in_.widths[column])
            column = -1;
        if (header_.contains(x, y)) {
            // A border is grabbed from either side; the column left of it is the one resized.
            int best = -1, bestDistance = kBorderGrip + 1;
            int from = std::max(0, (column >= 0 ? column : columnCount()) - 1);
            for (int c = from; c < columnCount() && c <= from + 2; ++c) {
                int distance = std::abs(columnRight(c) - x);
                if (distance < bestDistance) {
                    best = c;
                    bestDistance = distance;
                }
            }
            if (best >= 0) {
                hit.area = GridArea::HeaderBorder;
                hit.column = best;
                return hit;
            }
            hit.area = column >= 0 ? GridArea::Header : GridArea::None;
            hit.column = column;
            return hit;
        }
        int row = topRow_ + (y - content_.top) / in_.rowHeight;
        if (row >= in_.rowCount || column < 0) {
            hit.area = GridArea::Empty;
            return hit;
        }
        hit.area = GridArea::Cell;
        hit.row = row;
        hit.column = column;
        return hit;
    }
    hit.area = GridArea::Corner;
    return hit;
}

ScrollGeometry GridLayout::scrollGeometry(const XRect& bar, bool vertical, int visible, int total,
                                          int position) {
    ScrollGeometry g;
    if (bar.isEmpty())
        return g;
    int length = vertical ? bar.height() : bar.width();
    int arrow = std::min(vertical ? bar.width() : bar.height(), length / 2);
    int track = length - 2 * arrow;
    int thumb = total > 0 ? int((long long)track * visible / total) : track;
    thumb = std::min(track, std::max(std::min(kMinThumb, track), thumb));
    int range = std::max(1, total - visible);
    int start = int((long long)(track - thumb) * std::min(position, range) / range);
    auto part = [&](int from, int to) {
        return vertical ? XRect(bar.left, bar.top + from, bar.right, bar.top + to)
                        : XRect(bar.left + from, bar.top, bar.left + to, bar.bottom);
    };
    g.lineBack = part(0, arrow);
    g.lineForward = part(length - arrow, length);
    g.pageBack = part(arrow, arrow + start);
    g.thumb = part(arrow + start, arrow + start + thumb);
    g.pageForward = part(arrow + start + thumb, length - arrow);
    return g;
}

ScrollGeometry GridLayout::vScroll() const {
    return scrollGeometry(vbar_, true, pageRows(), in_.rowCount, topRow_);
}

ScrollGeometry GridLayout::hScroll() const {
    return scrollGeometry(hbar_, false, content_.width(), totalWidth_, xOffset_);
}

int GridLayout::thumbTravel(bool vertical) const {
    ScrollGeometry g = vertical ? vScroll() : hScroll();
    int track = vertical ? g.lineForward.top - g.lineBack.bottom : g.lineForward.left - g.lineBack.right;
    int thumb = vertical ? g.thumb.height() : g.thumb.width();
    return std::max(1, track - thumb);
}

int GridLayout::topRowForThumb(int pos) const {
    int travel = thumbTravel(true);
    pos = std::max(0, std::min(pos, travel));
    return int(((long long)pos * maxTopRow() + travel / 2) / travel);
}

int GridLayout::xOffsetForThumb(int pos) const {
    int travel = thumbTravel(false);
    pos = std::max(0, std::min(pos, travel));
    return int(((long long)pos * maxXOffset() + travel / 2) / travel);
}

int GridLayout::rowAt(int y) const {
    if (y < content_.top || y >= content_.bottom)
        return -1;
    int row = topRow_ + (y - content_.top) / in_.rowHeight;
    return row < in_.rowCount ? row : -1;
}
