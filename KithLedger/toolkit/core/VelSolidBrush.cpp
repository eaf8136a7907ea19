#include "VelSolidBrush.h"

#include <new>

VelSolidBrush::VelSolidBrush(const VelColor& color) : VelBrush(::CreateSolidBrush(color.ToColorRef())) {}

VelSolidBrush::~VelSolidBrush()
{
    if (m_handle)
        ::DeleteObject(m_handle);
}

VelSolidBrush* VelSolidBrush::CreateDefault() { return new (std::nothrow) VelSolidBrush(VelColor(0, 0, 0)); }
