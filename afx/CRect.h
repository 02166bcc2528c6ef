#pragma once
#include "platform/QxWin.h"

// Points and rectangles in the framework's vocabulary: thin value wrappers over POINT and
// RECT, so that they pass wherever the plain structures are expected.
class CPoint : public POINT {
public:
    CPoint() : POINT{0, 0} {}
    CPoint(int cx, int cy) : POINT{cx, cy} {}
    CPoint(POINT pt) : POINT(pt) {}
    // From a mouse message's lParam: signed 16-bit x in the low word, y in the high word.
    explicit CPoint(LPARAM packed)
        : POINT{static_cast<short>(LOWORD(static_cast<DWORD_PTR>(packed))),
                static_cast<short>(HIWORD(static_cast<DWORD_PTR>(packed)))} {}
    bool operator==(POINT other) const { return x == other.x && y == other.y; }
    bool operator!=(POINT other) const { return !(*this == other); }
};

class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    CRect(const RECT& rc) : RECT(rc) {}

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsRectEmpty() const { return ::IsRectEmpty(this) != FALSE; }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
    void DeflateRect(int dx, int dy) { ::InflateRect(this, -dx, -dy); }

    operator RECT*() { return this; }
    operator const RECT*() const { return this; }
    bool operator==(const RECT& rc) const { return ::EqualRect(this, &rc) != FALSE; }
    bool operator!=(const RECT& rc) const { return !(*this == rc); }
};
