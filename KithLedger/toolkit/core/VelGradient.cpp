#include "VelGradient.h"

#include <algorithm>
#include <stdexcept>

VelGradient::VelGradient(unsigned levels, bool deferred)
    : m_levels(levels), m_table(levels, VelColor(0, 0, 0)), m_deferred(deferred)
{
}

VelGradient::~VelGradient() {}

void VelGradient::AddColorPoint(int percent, const VelColor& color)
{
    if (percent < 0 || percent > 100)
        throw std::range_error("Color point must be in range 0,100.");
    const unsigned level =
        percent == 100 ? m_levels - 1
                       : static_cast<unsigned>(static_cast<float>(percent) * 0.01f * static_cast<float>(m_levels));
    AddColorPointAbsolute(level, color);
}

void VelGradient::AddColorPointAbsolute(unsigned level, const VelColor& color)
{
    if (level >= m_levels)
        throw std::range_error("Absolute color point exceeds number of gradient levels.");

    const unsigned last = m_levels - 1;
    if (std::find(m_points.begin(), m_points.end(), level) == m_points.end()) {
        m_points.push_back(level);
        // The first point brings both ends with it, so the ramp spans every level.
        if (m_points.size() == 1) {
            AddControlPoint(last);
            AddControlPoint(0);
        }
        std::sort(m_points.begin(), m_points.end());
    }
    m_table[level] = color;
    if (m_deferred)
        return;

    unsigned below = 0;
    unsigned above = last;
    for (unsigned point : m_points) {
        if (point < level)
            below = point;
        else if (point > level) {
            above = point;
            break;
        }
    }
    Subdivide(below, level);
    Subdivide(level, above);
}

// Ends already present (a one-level gradient, a point at an end) are not doubled.
void VelGradient::AddControlPoint(unsigned level)
{
    if (std::find(m_points.begin(), m_points.end(), level) == m_points.end())
        m_points.push_back(level);
}

void VelGradient::Subdivide(unsigned a, unsigned b)
{
    while ((a > b ? a - b : b - a) > 1) {
        const unsigned m = (a + b) / 2;
        m_table[m] = VelColor((m_table[a].GetRed() + m_table[b].GetRed()) / 2,
                              (m_table[a].GetGreen() + m_table[b].GetGreen()) / 2,
                              (m_table[a].GetBlue() + m_table[b].GetBlue()) / 2);
        Subdivide(a, m);
        a = m;
    }
}

void VelGradient::Reset() { std::fill(m_table.begin(), m_table.end(), VelColor(0, 0, 0)); }

int VelGradient::GetControlPointPosition(unsigned index, int extent) const
{
    // A single level has no span to place points along.
    if (m_levels < 2 || index >= m_points.size())
        return 0;
    return static_cast<int>(static_cast<double>(m_points[index]) / (m_levels - 1) * extent);
}
