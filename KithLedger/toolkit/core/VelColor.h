#pragma once
#include "VelPlatform.h"

// Five bytes: red, green, blue, a zero byte and a flag that is 1 while the
// record holds no colour (after default construction) and 0 once one is stored.
class VelColor {
public:
    VelColor() : m_red(0), m_green(0), m_blue(0), m_reserved(0), m_unset(1) {}
    VelColor(BYTE red, BYTE green, BYTE blue) : m_red(red), m_green(green), m_blue(blue), m_reserved(0), m_unset(0) {}

    static VelColor FromRgb(DWORD rgb);            // 0xRRGGBB
    static VelColor FromColorRef(COLORREF color);  // 0x00BBGGRR
    COLORREF ToColorRef() const;

    BYTE GetRed() const { return m_red; }
    BYTE GetGreen() const { return m_green; }
    BYTE GetBlue() const { return m_blue; }
    // 1 while no colour is held.
    BYTE GetFlag() const { return m_unset; }
    void SetRed(BYTE value);
    void SetGreen(BYTE value);
    void SetBlue(BYTE value);

    // f is a fraction, normally 0 to 1; each channel is truncated when stored.
    void Brighten(float f);  // c + 255 f
    void Lighten(float f);   // towards white
    void Darken(float f);    // towards black

    bool operator==(const VelColor& other) const;
    bool operator!=(const VelColor& other) const { return !(*this == other); }

private:
    template <typename Blend>
    void BlendChannels(Blend blend);

    BYTE m_red;
    BYTE m_green;
    BYTE m_blue;
    BYTE m_reserved;
    BYTE m_unset;
};
static_assert(sizeof(VelColor) == 5, "a colour is a five-byte record");
