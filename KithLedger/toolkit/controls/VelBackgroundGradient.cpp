#include "VelBackgroundGradient.h"

#include "VelCanvas.h"

namespace {
const unsigned kGradientLevels = 256;
}

// The table is recomputed with every point: a canvas filling in bands reads
// every level, and levels left uncomputed would come out black.
VelBackgroundGradient::VelBackgroundGradient() : m_gradient(kGradientLevels, false), m_direction(kGradientHorizontal) {}

void VelBackgroundGradient::AddColorPoint(int percent, const VelColor& color)
{
    m_gradient.AddColorPoint(percent, color);
}

void VelBackgroundGradient::AddColorPointAbsolute(unsigned level, const VelColor& color)
{
    m_gradient.AddColorPointAbsolute(level, color);
}

void VelBackgroundGradient::Draw(VelCanvas* canvas, const RECT& rect)
{
    canvas->FillGradient(rect, m_gradient, m_direction);
}
