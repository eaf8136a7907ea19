#include "VelPen.h"
#include "VelWinException.h"

VelPen::VelPen() : VelPen(PS_SOLID, 0, VelColor(0, 0, 0)) {}

VelPen::VelPen(int style, int width, const VelColor& color) : m_handle(::CreatePen(style, width, color.ToColorRef()))
{
    if (!m_handle)
        throw VelWinException(L"VelPen::VelPen", ::GetLastError());
}
