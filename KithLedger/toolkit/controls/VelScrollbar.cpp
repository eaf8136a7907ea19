#include "VelScrollbar.h"
#include "VelCanvas.h"
#include "VelControlCore.h"
#include "VelTheme.h"

#include <algorithm>
#include <cmath>

namespace {

// The thumb's length is the track's percentage of the range, read as pixels.
int ThumbLengthFor(int trackLength, int range)
{
    // Before the first range there is nothing to divide by.
    if (range < 1)
        return VelScrollbar::kMinThumbPx;
    const int length = int(float(trackLength) / float(range) * 100.0f);
    return std::max(length, int(VelScrollbar::kMinThumbPx));
}

// Into [0, bound]: whatever falls below 1 becomes 0.
int ClampBelow(int value, int bound)
{
    const int smaller = std::min(value, bound);
    return smaller < 1 ? 0 : smaller;
}

}  // namespace

VelScrollbar::VelScrollbar(VelObject* owner, const std::string& name) : VelScrollbar(kVertical, owner, name) {}

VelScrollbar::VelScrollbar(int orientation, VelObject* owner, const std::string& name)
    : VelControl(owner, name), m_autoHide(0), m_dragging(0), m_maximum(1), m_range(0), m_position(0), m_pageSize(1),
      m_barWidth(-1), m_thumbLength(kMinThumbPx), m_orientation(orientation)
{
}

VelScrollbar::~VelScrollbar() {}

const wchar_t* VelScrollbar::GetClassName() const { return L"VelScrollbar"; }

int VelScrollbar::OnCreate(const VelCreateEventArgs* args)
{
    FitToLength(GetTrackLength());
    return VelControl::OnCreate(args);
}

int VelScrollbar::OnSize(const VelSizeEventArgs* args)
{
    FitToLength(m_orientation == kVertical ? args->height : args->width);
    return VelControl::OnSize(args);
}

int VelScrollbar::OnMouseDown(const VelMouseEventArgs* args)
{
    m_dragging = 1;
    VelControlCore::Instance->SetCapture(this);
    DragTo(args->point);
    return 0;
}

int VelScrollbar::OnMouseMove(const VelMouseEventArgs* args)
{
    if (m_dragging)
        DragTo(args->point);
    return 0;
}

int VelScrollbar::OnMouseUp(const VelMouseEventArgs* args)
{
    // A release whose press began elsewhere must not move the view.
    if (!m_dragging)
        return 0;
    m_dragging = 0;
    VelControlCore::Instance->ReleaseCapture();
    DragTo(args->point);
    return 0;
}

int VelScrollbar::OnPaint(const VelPaintEventArgs* args)
{
    if (!IsVisible() || !CurrentTheme)
        return 0;
    VelCanvas* canvas = args->canvas;
    const VelRect bar = GetBarRect();
    const bool vertical = m_orientation == kVertical;
    const int barLength = vertical ? bar.GetHeight() : bar.GetWidth();
    const int start = std::min(int(std::ceil(double(m_position) * GetTrackSpan() / m_maximum)), barLength);
    const int end = std::min(start + m_thumbLength, barLength);
    VelRect thumb = bar;
    if (vertical) {
        thumb.top = bar.top + start;
        thumb.bottom = bar.top + end;
    } else {
        thumb.left = bar.left + start;
        thumb.right = bar.left + end;
    }

    const VelColor previous = canvas->GetBackColor();
    VelColor color;
    canvas->SetBackColor(CurrentTheme->GetScrollTrackColor(color));
    canvas->FillRect(bar);
    canvas->SetBackColor(CurrentTheme->GetScrollThumbColor(color));
    canvas->FillRect(thumb);
    canvas->SetBackColor(previous);
    return 0;
}

void VelScrollbar::SetOrientation(int orientation)
{
    m_orientation = orientation;
    if (IsCreated())
        Update(true);
}

int VelScrollbar::GetOrientation() const { return m_orientation; }

void VelScrollbar::SetRange(int range)
{
    if (range < 1 || range == m_range)
        return;
    m_range = range;
    FitToTrack();
}

int VelScrollbar::GetRange() const { return m_range; }

int VelScrollbar::GetMaximum() const { return m_maximum; }

int VelScrollbar::GetTrackLength() const
{
    const VelRect client = GetClientRect();
    return m_orientation == kVertical ? client.GetHeight() : client.GetWidth();
}

void VelScrollbar::SetBarWidth(int width)
{
    m_barWidth = width;
    SetTransparent(true);
}

int VelScrollbar::GetBarWidth() const { return m_barWidth; }

void VelScrollbar::SetPosition(int position)
{
    if (position == m_position || position < 0)
        return;
    m_position = std::min(position, m_maximum);
    InvalidateRect(GetBarRect());
}

int VelScrollbar::GetPosition() const { return m_position; }

void VelScrollbar::SetAutoHide(bool autoHide) { m_autoHide = autoHide ? 1 : 0; }

bool VelScrollbar::GetAutoHide() const { return m_autoHide != 0; }

VelRect VelScrollbar::GetBarRect() const
{
    VelRect bar = GetClientRect();
    if (m_barWidth < 0)
        return bar;
    if (m_orientation == kVertical) {
        if (bar.GetWidth() > m_barWidth)
            bar.left = bar.right - m_barWidth;
    } else if (bar.GetHeight() > m_barWidth) {
        bar.top = bar.bottom - m_barWidth;
    }
    return bar;
}

void VelScrollbar::SetPageSize(int size)
{
    if (size < 1 || size == m_pageSize)
        return;
    m_pageSize = ClampBelow(size, m_maximum);
    // The position may reach the maximum itself: that is where the view's last
    // page shows.
    m_position = ClampBelow(m_position, m_maximum);
    ApplyAutoHide();
    InvalidateRect(GetClientRect());
}

int VelScrollbar::GetPageSize() const { return m_pageSize; }

int VelScrollbar::GetTrackSpan() const
{
    const int span = GetTrackLength() - m_thumbLength;
    return span < 2 ? 1 : span;
}

void VelScrollbar::FitToTrack()
{
    const int track = GetTrackLength();
    m_maximum = m_range - track >= 2 ? m_range - track : 1;
    m_position = ClampBelow(m_position, m_maximum);
    m_pageSize = ClampBelow(m_pageSize, m_maximum);
    m_thumbLength = ThumbLengthFor(track, m_range);
    ApplyAutoHide();
    InvalidateRect(GetClientRect());
}

void VelScrollbar::FitToLength(int length)
{
    // The largest position follows the track too, or a resized view could be
    // dragged past its end or never reach it.
    FitToTrack();
    SetPageSize(length);
}

void VelScrollbar::ApplyAutoHide()
{
    // Decided by the content alone, so that a resize can hide the bar again.
    if (m_autoHide)
        SetVisible(m_range > GetTrackLength());
}

void VelScrollbar::DragTo(const VelPoint& point)
{
    const int along = m_orientation == kVertical ? point.y : point.x;
    const int span = GetTrackSpan();
    const int offset = std::max(0, std::min(along - m_thumbLength / 2, span));
    const int value = int(double(m_maximum) * offset / span);
    if (value == m_position)
        return;
    SetPosition(value);
    ValueChanged.Invoke(this, m_position);
}
