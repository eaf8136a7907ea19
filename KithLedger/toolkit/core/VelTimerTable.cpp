#include "VelTimerTable.h"
#include "VelScopedLock.h"

VelTimerTable::VelTimerTable() : m_counter(kFirstId) {}

UINT VelTimerTable::NextId() { return UINT(::InterlockedIncrement(&m_counter)); }

void VelTimerTable::Add(UINT timerId, int ownerId, HWND window)
{
    VelScopedLock lock(&m_lock);
    m_timers[timerId] = std::make_pair(ownerId, window);
}

bool VelTimerTable::Find(UINT timerId, int* ownerId, HWND* window)
{
    VelScopedLock lock(&m_lock);
    auto it = m_timers.find(timerId);
    if (it == m_timers.end())
        return false;
    *ownerId = it->second.first;
    *window = it->second.second;
    return true;
}

HWND VelTimerTable::Remove(UINT timerId)
{
    VelScopedLock lock(&m_lock);
    auto it = m_timers.find(timerId);
    if (it == m_timers.end())
        return nullptr;
    const HWND window = it->second.second;
    m_timers.erase(it);
    return window;
}
