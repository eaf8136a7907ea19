#include "VelScopedLock.h"

VelScopedLock::VelScopedLock(VelCriticalSection* section) : m_section(section) { m_section->Lock(); }

VelScopedLock::~VelScopedLock() { m_section->Unlock(); }
