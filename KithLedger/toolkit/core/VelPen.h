#pragma once
#include "VelColor.h"
#include "VelUniqueHandle.h"

// Owns one pen. Throws VelWinException when the platform refuses it.
class VelPen {
public:
    // Solid, width 0, black.
    VelPen();
    VelPen(int style, int width, const VelColor& color);
    VelPen(VelPen&& other) noexcept = default;
    VelPen& operator=(VelPen&& other) noexcept = default;

    HPEN GetHandle() const { return m_handle.Get(); }

private:
    VelGdiObject<HPEN> m_handle;
};
