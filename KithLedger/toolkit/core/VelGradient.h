#pragma once
#include "VelColor.h"

#include <vector>

// A colour ramp of N levels built from control points by repeated midpoint
// averaging; the canvas fills rectangles with it.
class VelGradient {
public:
    // With `deferred`, added points do not recompute the table.
    explicit VelGradient(unsigned levels, bool deferred = false);
    virtual ~VelGradient();

    // percent 0 to 100; 100 is the last level. Throws std::range_error.
    void AddColorPoint(int percent, const VelColor& color);
    // Throws std::range_error for a level not below N.
    void AddColorPointAbsolute(unsigned level, const VelColor& color);
    // Every level black again; the control points stay.
    void Reset();
    // The control point's offset along an extent.
    int GetControlPointPosition(unsigned index, int extent) const;

    unsigned GetLevelCount() const { return m_levels; }
    const std::vector<unsigned>& GetControlPoints() const { return m_points; }
    const std::vector<VelColor>& GetTable() const { return m_table; }

private:
    void AddControlPoint(unsigned level);
    void Subdivide(unsigned a, unsigned b);

    unsigned m_levels;
    std::vector<unsigned> m_points;  // ascending
    std::vector<VelColor> m_table;
    bool m_deferred;
};
