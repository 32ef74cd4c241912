// The host's rectangle: the same layout as a Win32 RECT.
#pragma once

struct XRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    XRect() = default;
    XRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    void offset(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    bool operator==(const XRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const XRect& o) const { return !(*this == o); }
};
