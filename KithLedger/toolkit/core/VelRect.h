#pragma once
#include "VelPoint.h"

#include <string>

// A RECT with the toolkit's operations; it is a RECT, so it goes to GDI as is.
// Width and height are absolute: a rectangle with swapped edges still measures
// positive.
class VelRect : public RECT {
public:
    VelRect() : RECT{0, 0, 0, 0} {}
    VelRect(const RECT& other) : RECT(other) {}
    VelRect(int left, int top, int right, int bottom) : RECT{left, top, right, bottom} {}

    int GetLeft() const { return left; }
    int GetTop() const { return top; }
    int GetRight() const { return right; }
    int GetBottom() const { return bottom; }
    void SetLeft(int value) { left = value; }
    void SetTop(int value) { top = value; }
    void SetRight(int value) { right = value; }
    void SetBottom(int value) { bottom = value; }

    int GetWidth() const;
    int GetHeight() const;
    SIZE GetSize() const;

    void Offset(int dx, int dy);
    void MoveToOrigin();
    void Inflate(int dx, int dy);
    void Intersect(const RECT& other);

    bool operator==(const RECT& other) const;
    bool operator!=(const RECT& other) const { return !(*this == other); }

    // Edges may touch.
    bool Contains(const RECT& other) const;
    // Right and bottom edges excluded.
    bool ContainsPoint(const VelPoint& point) const;
    // Only when both the width and the height are zero.
    bool IsEmpty() const;

    static bool IsZero(const POINT& point) { return point.x == 0 && point.y == 0; }
    static bool IsZero(const SIZE& size) { return size.cx == 0 && size.cy == 0; }

    std::wstring ToString() const;
};
