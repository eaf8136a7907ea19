#include "VelTimer.h"
#include "VelControlCore.h"

VelTimer::VelTimer(UINT intervalMs, VelObject* target, VelObject* owner, const std::string& name)
    : VelObject(owner, name), m_targetId(target->GetId()), m_timerId(int(NextTimerId())), m_interval(intervalMs),
      m_active(0)
{
}

VelTimer::VelTimer(VelTimerId timerId, VelObject* target, VelObject* owner, const std::string& name)
    : VelObject(owner, name), m_targetId(target->GetId()), m_timerId(int(timerId)), m_interval(kScrollIntervalMs),
      m_active(0)
{
}

VelTimer::~VelTimer() { Stop(); }

const wchar_t* VelTimer::GetClassName() const { return L"VelTimer"; }

void VelTimer::Start()
{
    if (m_active) {
        VelControlCore::Instance->KillTimer(m_targetId, UINT(m_timerId));
        m_active = 0;
    }
    VelControlCore::Instance->SetTimer(m_targetId, UINT(m_timerId), m_interval);
    m_active = 1;
}

void VelTimer::Stop()
{
    if (!m_active)
        return;
    if (VelControlCore::Instance)
        VelControlCore::Instance->KillTimer(m_targetId, UINT(m_timerId));
    m_active = 0;
}

UINT VelTimer::NextTimerId() { return VelControlCore::Instance->NextTimerId(); }
