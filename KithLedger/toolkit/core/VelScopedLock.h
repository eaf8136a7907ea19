#pragma once
#include "VelCriticalSection.h"

// Holds a critical section for the lifetime of the scope.
class VelScopedLock {
public:
    explicit VelScopedLock(VelCriticalSection* section);
    ~VelScopedLock();
    VelScopedLock(const VelScopedLock&) = delete;
    VelScopedLock& operator=(const VelScopedLock&) = delete;

private:
    VelCriticalSection* m_section;
};
