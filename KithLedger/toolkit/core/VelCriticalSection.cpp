#include "VelCriticalSection.h"

VelCriticalSection::VelCriticalSection()
{
    ::InitializeCriticalSection(&m_section);
}

VelCriticalSection::~VelCriticalSection()
{
    ::DeleteCriticalSection(&m_section);
}

void VelCriticalSection::Lock()
{
    ::EnterCriticalSection(&m_section);
}

void VelCriticalSection::Unlock()
{
    ::LeaveCriticalSection(&m_section);
}
