#include "VelPen.h"
#include "VelWinException.h"

#include <utility>

VelPen::VelPen() : VelPen(PS_SOLID, 0, VelColor(0, 0, 0)) {}

VelPen::VelPen(int style, int width, const VelColor& color) : m_handle(::CreatePen(style, width, color.ToColorRef()))
{
    if (!m_handle)
        throw VelWinException(L"VelPen::VelPen", ::GetLastError());
}

VelPen::VelPen(VelPen&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }

VelPen& VelPen::operator=(VelPen&& other) noexcept
{
    std::swap(m_handle, other.m_handle);
    return *this;
}

VelPen::~VelPen()
{
    if (m_handle)
        ::DeleteObject(m_handle);
}
