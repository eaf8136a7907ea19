#include "VelTransition.h"
#include "VelAbstractControl.h"

VelTransition::VelTransition(float durationMs) : m_target(nullptr), m_targetId(0), m_duration(durationMs) {}

void VelTransition::SetTarget(VelAbstractControl* target)
{
    m_target = target;
    m_targetId = target ? target->GetId() : 0;
}

VelAbstractControl* VelTransition::GetTarget() const { return IfAlive(m_target, m_targetId); }

void VelTransition::SetDuration(float durationMs) { m_duration = durationMs; }

float VelTransition::GetDuration() const { return m_duration; }

void VelTransition::Start(DWORD now)
{
    VelTransitionBase::Start(now);
    if (VelAbstractControl* target = GetTarget()) {
        VelTransitionEventArgs args{this};
        target->TransitionStarted.Invoke(target, &args);
    }
}

void VelTransition::Finish(DWORD)
{
    if (VelAbstractControl* target = GetTarget()) {
        VelTransitionEventArgs args{this};
        target->TransitionFinished.Invoke(target, &args);
    }
}

VelAbstractControl* VelTransition::IfAlive(VelAbstractControl* control, int id)
{
    // Ids are never reused, so a freed control's address taken by another
    // object cannot pass.
    if (!control || VelObject::FindById(id) != control)
        return nullptr;
    return control;
}
