#include "VelKeypadDockTransition.h"
#include "VelAbstractControl.h"

namespace {

// trunc(start + delta × progress), all in single precision.
int Between(int start, int delta, float progress)
{
    const float moved = float(delta) * progress;
    const float at = float(start) + moved;
    return int(at);
}

}  // namespace

VelKeypadDockTransition::VelKeypadDockTransition(const RECT& start, const RECT& end)
    : VelTransition(float(kDurationMs)), m_start(start), m_end(end), m_deltaLeft(0), m_deltaTop(0), m_deltaRight(0),
      m_deltaBottom(0)
{
}

void VelKeypadDockTransition::Start(DWORD now)
{
    VelTransition::Start(now);
    m_deltaLeft = m_end.left - m_start.left;
    m_deltaTop = m_end.top - m_start.top;
    m_deltaRight = m_end.right - m_start.right;
    m_deltaBottom = m_end.bottom - m_start.bottom;
}

void VelKeypadDockTransition::Apply(float progress)
{
    SetKeypadRect(VelRect(Between(m_start.left, m_deltaLeft, progress), Between(m_start.top, m_deltaTop, progress),
                          Between(m_start.right, m_deltaRight, progress),
                          Between(m_start.bottom, m_deltaBottom, progress)));
}

void VelKeypadDockTransition::Finish(DWORD now)
{
    SetKeypadRect(m_end);
    VelTransition::Finish(now);
}

void VelKeypadDockTransition::SetKeypadRect(const RECT& rect)
{
    if (VelKeypadDockTarget* keypad = dynamic_cast<VelKeypadDockTarget*>(GetTarget()))
        keypad->SetClipRect(rect);
}
