// Plain geometry values with the Windows RECT and POINT layouts, so they pass
// straight to Win32 calls.
#pragma once
#include <windows.h>

namespace UiLib {

class CUiRect : public RECT {
public:
    CUiRect() { left = top = right = bottom = 0; }
    CUiRect(const RECT& src) : RECT(src) {}
    CUiRect(int l, int t, int r, int b) {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }

    int GetWidth() const { return right - left; }
    int GetHeight() const { return bottom - top; }
    void Empty() { left = top = right = bottom = 0; }
    bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }

    // Grows to the smallest rectangle holding both, empty or not.
    void Union(const RECT& other) {
        if (other.left < left) left = other.left;
        if (other.top < top) top = other.top;
        if (other.right > right) right = other.right;
        if (other.bottom > bottom) bottom = other.bottom;
    }
    void Offset(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    void Inflate(int dx, int dy) {
        left -= dx;
        right += dx;
        top -= dy;
        bottom += dy;
    }
    void Deflate(int dx, int dy) { Inflate(-dx, -dy); }
};

class CPoint : public POINT {
public:
    CPoint() { x = y = 0; }
    CPoint(const POINT& src) : POINT(src) {}
    CPoint(int px, int py) {
        x = px;
        y = py;
    }
};

}  // namespace UiLib
