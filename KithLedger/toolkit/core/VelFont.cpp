#include "VelFont.h"
#include "VelScreenMetrics.h"
#include "VelWinException.h"

#include <cwchar>

namespace {

const BYTE kClearTypeQuality = CLEARTYPE_QUALITY;

HFONT CreateOrThrow(const LOGFONTW& logFont)
{
    HFONT font = ::CreateFontIndirectW(&logFont);
    if (!font)
        throw VelWinException(L"VelFont ctor", ::GetLastError());
    return font;
}

void CopyFace(LOGFONTW& logFont, const wchar_t* face)
{
    std::wcsncpy(logFont.lfFaceName, face ? face : L"", LF_FACESIZE - 1);
    logFont.lfFaceName[LF_FACESIZE - 1] = L'\0';
}

}  // namespace

VelFont::VelFont() : VelFont(L"", 8) {}

VelFont::VelFont(const wchar_t* face, int points, int weight, unsigned style) : m_logFont(), m_points(points)
{
    m_logFont.lfHeight = HeightForDpi(points, GetScreenDpiY());
    m_logFont.lfWeight = weight;
    m_logFont.lfItalic = (style & Italic) ? TRUE : FALSE;
    m_logFont.lfUnderline = (style & Underline) ? TRUE : FALSE;
    m_logFont.lfStrikeOut = (style & StrikeOut) ? TRUE : FALSE;
    m_logFont.lfCharSet = DEFAULT_CHARSET;
    m_logFont.lfQuality = (style & ClearType) ? kClearTypeQuality : DEFAULT_QUALITY;
    CopyFace(m_logFont, face);
    m_handle.Reset(CreateOrThrow(m_logFont));
}

VelFont::VelFont(const VelFont& other)
    : m_logFont(other.m_logFont), m_handle(CreateOrThrow(other.m_logFont)), m_points(other.m_points)
{
}

VelFont& VelFont::operator=(const VelFont& other)
{
    if (this != &other)
        Assign(other);
    return *this;
}

VelFont::~VelFont() { Release(); }

template <typename Change>
void VelFont::Recreate(Change change)
{
    LOGFONTW logFont = m_logFont;
    int points = m_points;
    change(logFont, points);
    HFONT font = CreateOrThrow(logFont);
    m_logFont = logFont;
    m_points = points;
    m_handle.Reset(font);
}

void VelFont::SetFace(const wchar_t* face)
{
    Recreate([face](LOGFONTW& f, int&) { CopyFace(f, face); });
}

void VelFont::SetPointSize(int points)
{
    Recreate([points](LOGFONTW& f, int& p) {
        p = points;
        f.lfHeight = HeightForDpi(points, GetScreenDpiY());
    });
}

void VelFont::SetWeight(int weight)
{
    Recreate([weight](LOGFONTW& f, int&) { f.lfWeight = weight; });
}

void VelFont::SetItalic(bool italic)
{
    Recreate([italic](LOGFONTW& f, int&) { f.lfItalic = italic ? TRUE : FALSE; });
}

void VelFont::SetUnderline(bool underline)
{
    Recreate([underline](LOGFONTW& f, int&) { f.lfUnderline = underline ? TRUE : FALSE; });
}

void VelFont::SetStrikeOut(bool strikeOut)
{
    Recreate([strikeOut](LOGFONTW& f, int&) { f.lfStrikeOut = strikeOut ? TRUE : FALSE; });
}

void VelFont::SetClearType(bool clearType)
{
    Recreate([clearType](LOGFONTW& f, int&) { f.lfQuality = clearType ? kClearTypeQuality : DEFAULT_QUALITY; });
}

void VelFont::Assign(const VelFont& other)
{
    const LOGFONTW source = other.m_logFont;
    const int sourcePoints = other.m_points;
    Recreate([&source, sourcePoints](LOGFONTW& f, int& p) {
        f = source;
        p = sourcePoints;
        f.lfHeight = HeightForDpi(sourcePoints, GetScreenDpiY());
    });
}

void VelFont::UpdateHeightForScreen() { UpdateHeightForDpi(GetScreenDpiY()); }

void VelFont::UpdateHeightForDC(HDC dc) { UpdateHeightForDpi(::GetDeviceCaps(dc, LOGPIXELSY)); }

void VelFont::UpdateHeightForDpi(int dpiY) { m_logFont.lfHeight = HeightForDpi(m_points, dpiY); }

void VelFont::Release() { m_handle.Reset(); }

int VelFont::HeightForDpi(int points, int dpiY) { return -::MulDiv(points, dpiY, 72); }

int VelFont::s_screenDpiY = 0;

int VelFont::GetScreenDpiY() { return s_screenDpiY ? s_screenDpiY : VelScreenMetrics::GetScreenDeviceCaps(LOGPIXELSY); }

void VelFont::SetScreenDpiY(int dpiY) { s_screenDpiY = dpiY; }
