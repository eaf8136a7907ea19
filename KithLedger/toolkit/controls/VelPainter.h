#pragma once
#include "VelRect.h"

class VelCanvas;

// Draws a control on a canvas; the owner sets the area to paint before each pass.
class VelPainter {
public:
    VelPainter() : m_rect() {}
    virtual void Paint(VelCanvas* canvas) = 0;
    virtual ~VelPainter() {}

    void SetRect(const RECT& rect) { m_rect = rect; }
    const VelRect& GetRect() const { return m_rect; }

protected:
    VelRect m_rect;
};
