#include "VelGDICanvas.h"

#include "VelBitmap.h"
#include "VelGradient.h"
#include "VelRenderer.h"
#include <CeTransparentImage.h>

#include <cstring>

namespace {

const DWORD kPatInvert = 0x5A0049;

// Selects an object into a DC for one scope.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~ScopedSelect() { ::SelectObject(m_dc, m_previous); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A DC compatible with `model` holding a bitmap for one scope. The members
// go in reverse order: the old bitmap is back in the DC before the DC is deleted.
class BitmapDC {
public:
    BitmapDC(HDC model, HBITMAP bitmap) : m_dc(::CreateCompatibleDC(model)), m_select(m_dc.Get(), bitmap) {}
    HDC Get() const { return m_dc.Get(); }

private:
    VelMemoryDC m_dc;
    ScopedSelect m_select;
};

std::vector<POINT> ToPlatformPoints(const std::vector<VelPoint>& points)
{
    std::vector<POINT> result;
    result.reserve(points.size());
    for (const VelPoint& point : points)
        result.push_back(point.ToPoint());
    return result;
}

COLOR16 VertexChannel(BYTE channel) { return static_cast<COLOR16>(channel << 8); }

}  // namespace

VelGDICanvas::VelGDICanvas(VelRenderer* renderer, HWND window, int width, int height)
    : VelCanvas(width, height), m_memoryDC(::CreateCompatibleDC(renderer->GetScreenDC())),
      m_backBuffer(::CreateCompatibleBitmap(renderer->GetScreenDC(), width, height)), m_previousBitmap(nullptr),
      m_previousFont(nullptr), m_gradientMode(1), m_window(window), m_metricsCache(), m_metricsNext(0)
{
    m_previousBitmap = ::SelectObject(m_memoryDC.Get(), m_backBuffer.Get());
    m_previousFont = ::SelectObject(m_memoryDC.Get(), GetFont()->GetHandle());
    ::SetBkColor(m_memoryDC.Get(), m_backColor.ToColorRef());
    ::SetBkMode(m_memoryDC.Get(), m_opaque ? OPAQUE : TRANSPARENT);
    ::SetTextColor(m_memoryDC.Get(), m_textColor.ToColorRef());
}

VelGDICanvas::~VelGDICanvas()
{
    // Fonts, pens and brushes of ours or of the caller are deselected before
    // they can be deleted; the stock objects the DC started with go back in.
    ::SelectObject(m_memoryDC.Get(), m_previousFont);
    ::SelectObject(m_memoryDC.Get(), ::GetStockObject(BLACK_PEN));
    ::SelectObject(m_memoryDC.Get(), ::GetStockObject(WHITE_BRUSH));
    ::SelectObject(m_memoryDC.Get(), m_previousBitmap);
}

int VelGDICanvas::Present(int sourceX, int sourceY)
{
    // Only the window's invalid area goes to the screen (the painter makes
    // what it painted invalid first). With none, the paint's clip would let
    // nothing through: the whole window is made invalid and copied.
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_window, &paint);
    if (::IsRectEmpty(&paint.rcPaint)) {
        ::EndPaint(m_window, &paint);
        ::InvalidateRect(m_window, nullptr, FALSE);
        dc = ::BeginPaint(m_window, &paint);
    }
    const RECT& area = paint.rcPaint;
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, m_memoryDC.Get(),
             sourceX + area.left, sourceY + area.top, SRCCOPY);
    return ::EndPaint(m_window, &paint);
}

void VelGDICanvas::CopyToCanvas(VelCanvas* target, const POINT& targetPoint, const SIZE& size, const POINT& sourcePoint,
                                DWORD rop)
{
    if (target)
        CopyToDC(target->GetDC(), targetPoint, size, sourcePoint, rop);
}

void VelGDICanvas::CopyToDC(HDC dc, const POINT& targetPoint, const SIZE& size, const POINT& sourcePoint, DWORD rop)
{
    ::BitBlt(dc, targetPoint.x, targetPoint.y, size.cx, size.cy, m_memoryDC.Get(), sourcePoint.x, sourcePoint.y, rop);
}

void VelGDICanvas::SelectClipRegion(const VelRegion& region)
{
    m_deviceClip.Assign(region);
    ::SelectClipRgn(m_memoryDC.Get(), region.GetHandle());
}

const VelRegion& VelGDICanvas::GetSelectedClipRegion() const { return m_deviceClip; }

void VelGDICanvas::SetBrush(VelBrush* brush)
{
    m_brush = brush;
    ::SelectObject(m_memoryDC.Get(), GetBrush()->GetHandle());
}

void VelGDICanvas::SetPen(VelPen* pen)
{
    m_pen = pen;
    ::SelectObject(m_memoryDC.Get(), GetPen()->GetHandle());
}

void VelGDICanvas::SetFont(VelFont* font)
{
    m_font = font;
    ::SelectObject(m_memoryDC.Get(), GetFont()->GetHandle());
}

void VelGDICanvas::SetBackColor(const VelColor& color)
{
    m_backColor = color;
    ::SetBkColor(m_memoryDC.Get(), color.ToColorRef());
}

void VelGDICanvas::SetTextColor(const VelColor& color)
{
    m_textColor = color;
    ::SetTextColor(m_memoryDC.Get(), color.ToColorRef());
}

void VelGDICanvas::SetOpaque(bool opaque)
{
    m_opaque = opaque ? 1 : 0;
    ::SetBkMode(m_memoryDC.Get(), opaque ? OPAQUE : TRANSPARENT);
}

void VelGDICanvas::SaveState() { ::SaveDC(m_memoryDC.Get()); }

void VelGDICanvas::RestoreState() { ::RestoreDC(m_memoryDC.Get(), -1); }

void VelGDICanvas::DrawLine(const VelPoint& from, const VelPoint& to)
{
    const VelPoint a = ToCanvasPoint(from);
    const VelPoint b = ToCanvasPoint(to);
    ::MoveToEx(m_memoryDC.Get(), a.x, a.y, nullptr);
    ::LineTo(m_memoryDC.Get(), b.x, b.y);
}

void VelGDICanvas::DrawTextInRect(const std::wstring& text, int length, const VelPoint& point, const SIZE& size)
{
    const VelPoint at = ToCanvasPoint(point);
    RECT rect = {at.x, at.y, at.x + size.cx, at.y + size.cy};
    if (size.cx == kMeasure || size.cy == kMeasure)
        ::DrawTextW(m_memoryDC.Get(), text.c_str(), length, &rect, m_textFormat | DT_CALCRECT);
    ::DrawTextW(m_memoryDC.Get(), text.c_str(), length, &rect, m_textFormat);
}

void VelGDICanvas::DrawTextAt(const std::wstring& text, const VelPoint& point, int first, int count)
{
    // A range past the text's end would read beyond it.
    const int length = static_cast<int>(text.size());
    if (first < 0 || first > length)
        return;
    if (count > length - first)
        count = length - first;
    const VelPoint at = ToCanvasPoint(point);
    ::ExtTextOutW(m_memoryDC.Get(), at.x, at.y, 0, nullptr, text.c_str() + first, count, nullptr);
}

void VelGDICanvas::FrameRect(const RECT& rect)
{
    const VelRect mapped = ToCanvasRect(rect);
    ScopedSelect hollow(m_memoryDC.Get(), ::GetStockObject(NULL_BRUSH));
    ::Rectangle(m_memoryDC.Get(), mapped.left, mapped.top, mapped.right, mapped.bottom);
}

void VelGDICanvas::FrameRoundRect(const RECT& rect, const SIZE& corner)
{
    const VelRect mapped = ToCanvasRect(rect);
    ScopedSelect hollow(m_memoryDC.Get(), ::GetStockObject(NULL_BRUSH));
    ::RoundRect(m_memoryDC.Get(), mapped.left, mapped.top, mapped.right, mapped.bottom, corner.cx, corner.cy);
}

void VelGDICanvas::DrawRect(const RECT& rect)
{
    const VelRect mapped = ToCanvasRect(rect);
    ::Rectangle(m_memoryDC.Get(), mapped.left, mapped.top, mapped.right, mapped.bottom);
}

void VelGDICanvas::FillRect(const RECT& rect)
{
    const VelRect mapped = ToCanvasRect(rect);
    ::ExtTextOutW(m_memoryDC.Get(), 0, 0, ETO_OPAQUE, &mapped, nullptr, 0, nullptr);
}

void VelGDICanvas::DrawRoundRect(const RECT& rect, const SIZE& corner)
{
    const VelRect mapped = ToCanvasRect(rect);
    ::RoundRect(m_memoryDC.Get(), mapped.left, mapped.top, mapped.right, mapped.bottom, corner.cx, corner.cy);
}

void VelGDICanvas::FillGradient(const RECT& rect, const VelGradient& gradient, int direction)
{
    const VelRect mapped = ToCanvasRect(rect);
    const bool vertical = direction == kGradientVertical;
    if (m_gradientMode == 1)
        FillWithGradientFill(mapped, gradient, vertical);
    else
        FillBands(mapped, gradient, vertical);
}

void VelGDICanvas::FillWithGradientFill(const VelRect& rect, const VelGradient& gradient, bool vertical)
{
    const std::vector<unsigned>& points = gradient.GetControlPoints();
    const std::vector<VelColor>& table = gradient.GetTable();
    if (points.size() < 2)
        return;
    const int extent = vertical ? rect.GetHeight() : rect.GetWidth();
    const int start = vertical ? rect.top : rect.left;

    std::vector<TRIVERTEX> vertices;
    std::vector<GRADIENT_RECT> rects;
    vertices.reserve(2 * points.size() - 2);
    for (size_t k = 0; k + 1 < points.size(); ++k) {
        // Point k on the leading edge, point k + 1 on the trailing one.
        for (size_t end = 0; end < 2; ++end) {
            const unsigned level = points[k + end];
            const int along = start + gradient.GetControlPointPosition(static_cast<unsigned>(k + end), extent);
            const VelColor& color = table[level];
            TRIVERTEX vertex;
            vertex.x = vertical ? (end ? rect.right : rect.left) : along;
            vertex.y = vertical ? along : (end ? rect.bottom : rect.top);
            vertex.Red = VertexChannel(color.GetRed());
            vertex.Green = VertexChannel(color.GetGreen());
            vertex.Blue = VertexChannel(color.GetBlue());
            vertex.Alpha = 0;
            vertices.push_back(vertex);
        }
        const ULONG first = static_cast<ULONG>(vertices.size() - 2);
        rects.push_back(GRADIENT_RECT{first, first + 1});
    }
    ::GradientFill(m_memoryDC.Get(), vertices.data(), static_cast<ULONG>(vertices.size()), rects.data(),
                   static_cast<ULONG>(rects.size()), vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

void VelGDICanvas::FillSolid(const RECT& mapped, const VelColor& color)
{
    ::SetBkColor(m_memoryDC.Get(), color.ToColorRef());
    ::ExtTextOutW(m_memoryDC.Get(), 0, 0, ETO_OPAQUE, &mapped, nullptr, 0, nullptr);
}

void VelGDICanvas::FillBands(const VelRect& rect, const VelGradient& gradient, bool vertical)
{
    const std::vector<VelColor>& table = gradient.GetTable();
    if (table.empty())
        return;
    if (gradient.GetControlPoints().empty()) {
        FillSolid(rect, table[0]);
    } else {
        const int extent = vertical ? rect.GetHeight() : rect.GetWidth();
        const float levels = static_cast<float>(gradient.GetLevelCount());
        for (int i = 0; i < extent; ++i) {
            const size_t level = static_cast<size_t>(static_cast<float>(i) / extent * levels);
            const RECT band = vertical ? RECT{rect.left, rect.top + i, rect.right, rect.top + i + 1}
                                       : RECT{rect.left + i, rect.top, rect.left + i + 1, rect.bottom};
            FillSolid(band, table[level < table.size() ? level : table.size() - 1]);
        }
    }
    ::SetBkColor(m_memoryDC.Get(), m_backColor.ToColorRef());
}

void VelGDICanvas::DrawBitmapPart(const VelBitmap& bitmap, const VelPoint& point, const SIZE& size,
                                  const VelPoint& source, DWORD rop)
{
    if (bitmap.IsEmpty())
        return;
    const VelColor key = bitmap.GetKeyColor();
    if (key.GetFlag() == 0) {
        DrawTransparentBitmapPart(bitmap, point, size, source, key);
        return;
    }
    const VelPoint at = ToCanvasPoint(point);
    if (IImage* image = bitmap.GetImage()) {
        const RECT destination = {at.x, at.y, at.x + size.cx, at.y + size.cy};
        const RECT part = {source.x, source.y, source.x + size.cx, source.y + size.cy};
        image->Draw(m_memoryDC.Get(), &destination, &part);
        return;
    }
    BitmapDC from(m_memoryDC.Get(), bitmap.GetHandle());
    ::BitBlt(m_memoryDC.Get(), at.x, at.y, size.cx, size.cy, from.Get(), source.x, source.y, rop);
}

// The whole bitmap is its own part: same key, image and blit cases.
void VelGDICanvas::DrawBitmap(const VelBitmap& bitmap, const VelPoint& point, DWORD rop)
{
    DrawBitmapPart(bitmap, point, bitmap.GetSize(), VelPoint(0, 0), rop);
}

void VelGDICanvas::StretchBitmap(const VelBitmap& bitmap, const VelPoint& point, const SIZE& size,
                                 const VelPoint& source, const SIZE& sourceSize, DWORD rop)
{
    if (bitmap.IsEmpty())
        return;
    const VelPoint at = ToCanvasPoint(point);
    if (IImage* image = bitmap.GetImage()) {
        const RECT destination = {at.x, at.y, at.x + size.cx, at.y + size.cy};
        const RECT part = {source.x, source.y, source.x + sourceSize.cx, source.y + sourceSize.cy};
        image->Draw(m_memoryDC.Get(), &destination, &part);
        return;
    }
    BitmapDC from(m_memoryDC.Get(), bitmap.GetHandle());
    ::StretchBlt(m_memoryDC.Get(), at.x, at.y, size.cx, size.cy, from.Get(), source.x, source.y, sourceSize.cx,
                 sourceSize.cy, rop);
}

void VelGDICanvas::DrawTransparentBitmapPart(const VelBitmap& bitmap, const VelPoint& point, const SIZE& size,
                                             const VelPoint& source, const VelColor& key)
{
    const VelPoint at = ToCanvasPoint(point);
    TransparentImage(m_memoryDC.Get(), at.x, at.y, size.cx, size.cy, bitmap.GetHandle(), source.x, source.y, size.cx,
                     size.cy, key.ToColorRef());
}

void VelGDICanvas::DrawTransparentBitmap(const VelBitmap& bitmap, const VelPoint& point, const VelColor& key)
{
    const VelPoint at = ToCanvasPoint(point);
    TransparentImage(m_memoryDC.Get(), at.x, at.y, bitmap.GetWidth(), bitmap.GetHeight(), bitmap.GetHandle(), 0, 0,
                     bitmap.GetWidth(), bitmap.GetHeight(), key.ToColorRef());
}

void VelGDICanvas::DitherRect(const RECT& rect)
{
    static const BYTE kCheckerboard[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    const VelRect mapped = ToCanvasRect(rect);
    VelBitmap pattern(kCheckerboard);
    HBRUSH brush = ::CreatePatternBrush(pattern.GetHandle());
    {
        // A monochrome pattern takes the DC's text colour for its 0 bits and the
        // background colour for its 1 bits: black and white, so that the XOR
        // inverts every other pixel whatever colours the DC holds.
        const COLORREF text = ::SetTextColor(m_memoryDC.Get(), RGB(0, 0, 0));
        const COLORREF back = ::SetBkColor(m_memoryDC.Get(), RGB(255, 255, 255));
        ScopedSelect select(m_memoryDC.Get(), brush);
        ::PatBlt(m_memoryDC.Get(), mapped.left, mapped.top, mapped.GetWidth(), mapped.GetHeight(), kPatInvert);
        ::SetTextColor(m_memoryDC.Get(), text);
        ::SetBkColor(m_memoryDC.Get(), back);
    }
    ::DeleteObject(brush);
}

VelColor VelGDICanvas::GetPixel(const VelPoint& point) const
{
    const VelPoint at = ToCanvasPoint(point);
    return VelColor::FromColorRef(::GetPixel(m_memoryDC.Get(), at.x, at.y));
}

void VelGDICanvas::SetPixel(const VelPoint& point)
{
    const VelPoint at = ToCanvasPoint(point);
    ::SetPixel(m_memoryDC.Get(), at.x, at.y, m_foreColor.ToColorRef());
}

void VelGDICanvas::FramePolygon(const std::vector<VelPoint>& points)
{
    const std::vector<POINT> mapped = ToPlatformPoints(ToCanvasPoints(points));
    ScopedSelect hollow(m_memoryDC.Get(), ::GetStockObject(NULL_BRUSH));
    ::Polygon(m_memoryDC.Get(), mapped.data(), static_cast<int>(mapped.size()));
}

void VelGDICanvas::DrawPolygon(const std::vector<VelPoint>& points)
{
    const std::vector<POINT> mapped = ToPlatformPoints(ToCanvasPoints(points));
    ::Polygon(m_memoryDC.Get(), mapped.data(), static_cast<int>(mapped.size()));
}

VelTextMetrics VelGDICanvas::GetTextMetrics(VelFont* font)
{
    VelTextMetrics result = {};
    if (font && font != GetFont()) {
        const HFONT handle = static_cast<HFONT>(font->GetHandle());
        for (const MetricsEntry& entry : m_metricsCache) {
            if (entry.font && entry.font == handle &&
                std::memcmp(&entry.description, &font->GetLogFont(), sizeof(LOGFONTW)) == 0) {
                result.metrics = entry.metrics;
                return result;
            }
        }
        ScopedSelect select(m_memoryDC.Get(), handle);
        ::GetTextMetricsW(m_memoryDC.Get(), &result.metrics);
        m_metricsCache[m_metricsNext] = MetricsEntry{handle, font->GetLogFont(), result.metrics};
        m_metricsNext = (m_metricsNext + 1) % kMetricsCacheSize;
    } else {
        ::GetTextMetricsW(m_memoryDC.Get(), &result.metrics);
    }
    result.stale = 0;
    return result;
}

SIZE VelGDICanvas::MeasureText(const std::wstring& text)
{
    SIZE size = {0, 0};
    ::GetTextExtentExPointW(m_memoryDC.Get(), text.c_str(), static_cast<int>(text.size()), 0, nullptr, nullptr, &size);
    return size;
}

HDC VelGDICanvas::GetDC() const { return m_memoryDC.Get(); }

std::wstring VelGDICanvas::GetFontFace() const
{
    wchar_t face[256] = {};
    ::GetTextFaceW(m_memoryDC.Get(), 256, face);
    return face;
}

// The DC of a present is gone once EndPaint returns; the memory DC is
// compatible with the screen and answers the same resolution.
int VelGDICanvas::GetDpiY() const { return ::GetDeviceCaps(m_memoryDC.Get(), LOGPIXELSY); }

int VelGDICanvas::GetDpiX() const { return ::GetDeviceCaps(m_memoryDC.Get(), LOGPIXELSX); }

void VelGDICanvas::Scroll(int dx, int dy, const RECT* rect, RECT* update)
{
    // The whole surface by its bounds: a memory DC has no visible region from
    // which ScrollDC could work out the uncovered area.
    const VelRect area = rect ? ToCanvasRect(*rect) : VelRect(0, 0, m_width, m_height);
    RECT uncovered = {0, 0, 0, 0};
    ::ScrollDC(m_memoryDC.Get(), dx, dy, &area, &area, nullptr, &uncovered);
    if (update)
        *update = uncovered;
}
