#include "VelTransitionBase.h"

VelTransitionBase::VelTransitionBase() : VelObject(nullptr, std::string()), m_startTick(0), m_finished(0) {}

int VelTransitionBase::Step(DWORD now)
{
    // Unsigned difference: a tick count that wrapped since the start still
    // measures the time that passed.
    const DWORD elapsed = now - m_startTick;
    const float duration = GetDuration();
    // A zero, negative or NaN duration would divide into garbage: such a
    // transition is simply over.
    float progress = duration > 0.0f ? float(elapsed) / duration : 2.0f;
    if (progress > 1.0f) {
        if (m_finished)
            return 0;
        progress = 1.0f;
        m_finished = 1;
    }
    Apply(progress);
    return 1;
}

void VelTransitionBase::OnAdded() {}

void VelTransitionBase::Start(DWORD now)
{
    m_startTick = now;
    m_finished = 0;
}

void VelTransitionBase::Apply(float) {}

void VelTransitionBase::Finish(DWORD) {}
