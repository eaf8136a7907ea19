#pragma once
#include "VelPlatform.h"

// An integer point in some control's coordinates.
class VelPoint {
public:
    VelPoint() : x(0), y(0) {}
    VelPoint(int x, int y) : x(x), y(y) {}
    VelPoint(const VelPoint& other) = default;
    VelPoint& operator=(const VelPoint& other) = default;
    virtual ~VelPoint();

    POINT ToPoint() const { return POINT{x, y}; }
    bool operator==(const VelPoint& other) const { return x == other.x && y == other.y; }
    bool operator!=(const VelPoint& other) const { return !(*this == other); }

    int x;
    int y;
};
