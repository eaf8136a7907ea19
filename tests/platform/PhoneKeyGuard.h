#pragma once
// HKCU "System\State\Phone" is one key for every test process of the prefix
// (ctest runs the test programs side by side): a test that writes "Missed Call
// Count", itself or through kldevice.exe, holds this while it does, and the
// value is put back afterwards.
#include "VelDevStore.h"

class PhoneKeyGuard {
public:
    PhoneKeyGuard() : m_mutex(CreateMutexW(0, FALSE, L"VelTestsPhoneStateKey")), m_saved(0)
    {
        WaitForSingleObject(m_mutex, INFINITE);
        m_saved = VelDevGetMissedCallCount();
    }
    ~PhoneKeyGuard()
    {
        VelDevSetMissedCallCount(m_saved);
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
    }

private:
    PhoneKeyGuard(const PhoneKeyGuard&);
    PhoneKeyGuard& operator=(const PhoneKeyGuard&);
    HANDLE m_mutex;
    DWORD m_saved;
};
