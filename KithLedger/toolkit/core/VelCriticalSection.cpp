#include "VelCriticalSection.h"

VelCriticalSection::VelCriticalSection()
{
    // Without debug info Wine keeps nothing on the heap for the section, and
    // every toolkit object may hold one.
    if (!::InitializeCriticalSectionEx(&m_section, 0, CRITICAL_SECTION_NO_DEBUG_INFO))
        ::InitializeCriticalSection(&m_section);
}

VelCriticalSection::~VelCriticalSection() { ::DeleteCriticalSection(&m_section); }

void VelCriticalSection::Lock() { ::EnterCriticalSection(&m_section); }

void VelCriticalSection::Unlock() { ::LeaveCriticalSection(&m_section); }
