#pragma once
#include "VelPlatform.h"

class VelCanvas;

// Something a control may own so that the theme's background operations draw
// it instead of a flat colour.
class VelBackground {
public:
    virtual ~VelBackground() {}
    virtual void Draw(VelCanvas* canvas, const RECT& rect) = 0;
};
