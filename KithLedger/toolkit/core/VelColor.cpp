#include "VelColor.h"

namespace {

// Out-of-range fractions must not turn into an undefined float-to-byte conversion.
BYTE ToChannel(float value)
{
    if (value <= 0.0f)
        return 0;
    if (value >= 255.0f)
        return 255;
    return static_cast<BYTE>(value);
}

}  // namespace

VelColor VelColor::FromRgb(DWORD rgb) { return VelColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

VelColor VelColor::FromColorRef(COLORREF color)
{
    return VelColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF VelColor::ToColorRef() const { return RGB(m_red, m_green, m_blue); }

void VelColor::SetRed(BYTE value)
{
    m_red = value;
    m_unset = 0;
}

void VelColor::SetGreen(BYTE value)
{
    m_green = value;
    m_unset = 0;
}

void VelColor::SetBlue(BYTE value)
{
    m_blue = value;
    m_unset = 0;
}

template <typename Blend>
void VelColor::BlendChannels(Blend blend)
{
    m_red = ToChannel(blend(m_red));
    m_green = ToChannel(blend(m_green));
    m_blue = ToChannel(blend(m_blue));
}

void VelColor::Brighten(float f)
{
    BlendChannels([f](float c) { return c + 255.0f * f; });
}

void VelColor::Lighten(float f)
{
    BlendChannels([f](float c) { return c * (1.0f - f) + 255.0f * f; });
}

void VelColor::Darken(float f)
{
    BlendChannels([f](float c) { return c * (1.0f - f); });
}

bool VelColor::operator==(const VelColor& other) const
{
    return m_red == other.m_red && m_green == other.m_green && m_blue == other.m_blue &&
           m_reserved == other.m_reserved && m_unset == other.m_unset;
}
