#pragma once
#include "VelColor.h"

// Owns one pen. Throws VelWinException when the platform refuses it.
class VelPen {
public:
    // Solid, width 0, black.
    VelPen();
    VelPen(int style, int width, const VelColor& color);
    VelPen(VelPen&& other) noexcept;
    VelPen& operator=(VelPen&& other) noexcept;
    VelPen(const VelPen&) = delete;
    VelPen& operator=(const VelPen&) = delete;
    ~VelPen();

    HPEN GetHandle() const { return m_handle; }

private:
    HPEN m_handle;
};
