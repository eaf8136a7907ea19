#pragma once
#include "VelPlatform.h"

// A platform critical section: re-entrant on the thread that holds it.
class VelCriticalSection {
public:
    VelCriticalSection();
    ~VelCriticalSection();
    VelCriticalSection(const VelCriticalSection&) = delete;
    VelCriticalSection& operator=(const VelCriticalSection&) = delete;

    void Lock();
    void Unlock();

private:
    CRITICAL_SECTION m_section;
};
