#include "VelCanvas.h"

VelCanvas::VelCanvas(int width, int height)
    : m_font(nullptr), m_foreColor(0, 0, 0), m_backColor(255, 255, 255), m_textColor(0, 0, 0), m_brush(nullptr),
      m_pen(nullptr), m_width(width), m_height(height), m_bounds(VelRect(0, 0, width, height)),
      m_textFormat(kDefaultTextFormat), m_opaque(1), m_auxiliaryFlag(0), m_auxiliaryValue(0),
      m_defaultFont(L"Tahoma", 10, 0, VelFont::ClearType), m_defaultBrush(new VelSolidBrush(VelColor(0, 0, 0))),
      m_defaultPen()
{
}

VelCanvas::~VelCanvas() { delete m_defaultBrush; }

void VelCanvas::SetClip(const VelRegion& region)
{
    m_clip.Assign(region);
    m_clip.Intersect(m_bounds);
}

void VelCanvas::AddClip(const VelRegion& region)
{
    VelRegion inside(region);
    inside.Intersect(m_bounds);
    m_clip.Union(inside);
}

void VelCanvas::ExcludeClip(const VelRegion& region) { m_clip.Subtract(region); }

void VelCanvas::ClearClip() { m_clip.Assign(VelRegion()); }

const VelRegion& VelCanvas::GetClipRegion() const { return m_clip; }

void VelCanvas::SetAuxiliaryValue(DWORD value) { m_auxiliaryValue = value; }

DWORD VelCanvas::GetAuxiliaryValue() const { return m_auxiliaryValue; }

VelPen* VelCanvas::GetPen() const { return m_pen ? m_pen : const_cast<VelPen*>(&m_defaultPen); }

void VelCanvas::SetViewport(const RECT& viewport) { m_viewport = viewport; }

VelRect VelCanvas::GetViewport() const { return m_viewport; }

// An empty viewport (zero width and height) maps nothing.
POINT VelCanvas::Offset() const
{
    if (m_viewport.IsEmpty())
        return POINT{0, 0};
    return POINT{m_viewport.left, m_viewport.top};
}

std::vector<VelPoint> VelCanvas::ToCanvasPoints(const std::vector<VelPoint>& points) const
{
    std::vector<VelPoint> mapped;
    mapped.reserve(points.size());
    for (const VelPoint& point : points)
        mapped.push_back(ToCanvasPoint(point));
    return mapped;
}

VelPoint VelCanvas::ToCanvasPoint(const VelPoint& point) const
{
    const POINT offset = Offset();
    return VelPoint(point.x + offset.x, point.y + offset.y);
}

VelRect VelCanvas::ToCanvasRect(const RECT& rect) const
{
    const POINT offset = Offset();
    VelRect mapped(rect);
    mapped.Offset(offset.x, offset.y);
    return mapped;
}

std::vector<VelPoint> VelCanvas::FromCanvasPoints(const std::vector<VelPoint>& points) const
{
    std::vector<VelPoint> mapped;
    mapped.reserve(points.size());
    for (const VelPoint& point : points)
        mapped.push_back(FromCanvasPoint(point));
    return mapped;
}

VelPoint VelCanvas::FromCanvasPoint(const VelPoint& point) const
{
    const POINT offset = Offset();
    return VelPoint(point.x - offset.x, point.y - offset.y);
}

VelRect VelCanvas::FromCanvasRect(const RECT& rect) const
{
    const POINT offset = Offset();
    VelRect mapped(rect);
    mapped.Offset(-offset.x, -offset.y);
    return mapped;
}

void VelCanvas::SetForeColor(const VelColor& color) { m_foreColor = color; }

void VelCanvas::SetTextFormat(UINT format) { m_textFormat = format; }

void VelCanvas::SetAuxiliaryFlag(BYTE flag) { m_auxiliaryFlag = flag; }

void VelCanvas::DrawText(const std::wstring& text, const VelPoint& point, const SIZE& size)
{
    DrawTextInRect(text, -1, point, size);
}

void VelCanvas::DrawTextAtWhole(const std::wstring& text, const VelPoint& point)
{
    DrawTextAt(text, point, 0, static_cast<int>(text.size()));
}
