#include "VelProgressWindowLess.h"

#include "VelCanvas.h"
#include "VelCanvasTextState.h"
#include "VelTheme.h"

#include <algorithm>
#include <cstdlib>

VelProgressWindowLess::VelProgressWindowLess(VelControl* host, int id, int range, VelObject* parent,
                                             const std::string& name)
    : VelBaseWindowLess(host, id, parent, name), m_autoHide(0), m_vertical(0), m_range(std::max(range, 1)),
      m_position(0), m_lastFill(0)
{
}

VelProgressWindowLess::~VelProgressWindowLess() = default;

const wchar_t* VelProgressWindowLess::GetClassName() const { return L"VelProgressWindowLess"; }

void VelProgressWindowLess::SetVertical(bool vertical)
{
    m_vertical = vertical ? 1 : 0;
    Refill();
    InvalidateInHost();
}

bool VelProgressWindowLess::IsVertical() const { return m_vertical != 0; }

void VelProgressWindowLess::SetAutoHide(bool autoHide) { m_autoHide = autoHide ? 1 : 0; }

bool VelProgressWindowLess::GetAutoHide() const { return m_autoHide != 0; }

void VelProgressWindowLess::SetRange(int range)
{
    if (range < 1)
        return;
    if (m_autoHide) {
        // Each load sets the range and then counts up from where the bar
        // stands: a bar that finished (hidden, full) must start over, or a
        // reload of as many rows would never show and one of fewer would
        // stay on screen, full.
        SetVisible(true);
        m_range = range;
        m_position = 0;
    } else {
        if (range == m_range)
            return;
        m_range = range;
        m_position = std::min(m_position, range);
    }
    Refill();
    InvalidateInHost();
}

int VelProgressWindowLess::GetRange() const { return m_range; }

void VelProgressWindowLess::SetPosition(int position)
{
    if (position < 0 || position > m_range || position == m_position)
        return;
    m_position = position;
    int fill;
    if (m_autoHide && position == m_range) {
        SetVisible(false);
        fill = FillFor(0);
    } else {
        fill = FillFor(position);
    }
    // A long load would otherwise repaint the bar for every row.
    if (std::abs(fill - m_lastFill) >= kRepaintStepPixels) {
        m_lastFill = fill;
        InvalidateInHost();
    }
}

int VelProgressWindowLess::GetPosition() const { return m_position; }

int VelProgressWindowLess::FillFor(int position) const
{
    const VelRect rect(GetRect());
    const unsigned long long extent = unsigned(m_vertical ? rect.GetHeight() : rect.GetWidth());
    return int(unsigned(position) * extent / unsigned(m_range));
}

void VelProgressWindowLess::Refill() { m_lastFill = FillFor(m_position); }

void VelProgressWindowLess::Paint(VelCanvas* canvas, const RECT&)
{
    if (!IsVisible())
        return;
    // Drawn from the position, so a repaint of the host between two steps
    // shows where the bar really stands.
    const VelRect bar(GetRect());
    const int fill = FillFor(m_position);
    VelRect done = bar;
    VelRect rest = bar;
    if (m_vertical) {
        done.bottom = std::min<LONG>(bar.top + fill, bar.bottom);
        rest.top = done.bottom;
    } else {
        done.right = std::min<LONG>(bar.left + fill, bar.right);
        rest.left = done.right;
    }
    VelColor thumb;
    VelColor track;
    CurrentTheme->GetScrollThumbColor(thumb);
    CurrentTheme->GetScrollTrackColor(track);
    canvas->SaveState();
    {
        VelCanvasTextState state(canvas);
        for (const auto& part : {std::make_pair(done, thumb), std::make_pair(rest, track)}) {
            if (::IsRectEmpty(&part.first))
                continue;
            canvas->SetBackColor(part.second);
            canvas->FillRect(part.first);
        }
    }
    canvas->RestoreState();
}
