#pragma once
#include "VelBackground.h"
#include "VelGradient.h"

// A gradient background, filled over whatever rectangle the theme hands it.
class VelBackgroundGradient : public VelBackground {
public:
    VelBackgroundGradient();

    // percent 0 to 100; throws std::range_error outside.
    void AddColorPoint(int percent, const VelColor& color);
    // level 0 to 255; throws std::range_error outside.
    void AddColorPointAbsolute(unsigned level, const VelColor& color);
    void Draw(VelCanvas* canvas, const RECT& rect) override;

    // Handed to the canvas as is: kGradientVertical runs top to bottom, anything else left to right.
    void SetDirection(int direction) { m_direction = direction; }
    int GetDirection() const { return m_direction; }

private:
    VelGradient m_gradient;
    int m_direction;
};
