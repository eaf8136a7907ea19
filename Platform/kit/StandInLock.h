#pragma once
// The locks of the stand-ins: a critical section taken only through a scoped
// Guard, and a named mutex shared between processes taken only through a
// scoped MutexHold, so that no return or early exit can leave either held.
//
// A lock that must outlive the process's static destructors (a store's
// watcher or a debug print may still take it while the process exits) lives
// in an object made with new and never deleted.
#include <windows.h>

namespace standin {

class Lock {
public:
    Lock() { InitializeCriticalSection(&m_section); }
    ~Lock() { DeleteCriticalSection(&m_section); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    friend class Guard;
    void Enter() { EnterCriticalSection(&m_section); }
    void Leave() { LeaveCriticalSection(&m_section); }

    CRITICAL_SECTION m_section;
};

class Guard {
public:
    explicit Guard(Lock& lock) : m_lock(lock) { m_lock.Enter(); }
    ~Guard() { m_lock.Leave(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    Lock& m_lock;
};

// Waits for a mutex and releases it at the end of the scope. An abandoned
// mutex is still ours: its holders write whole files only. A null mutex is
// not held.
class MutexHold {
public:
    explicit MutexHold(HANDLE mutex) : m_mutex(mutex)
    {
        const DWORD waited = mutex ? WaitForSingleObject(mutex, INFINITE) : WAIT_FAILED;
        m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~MutexHold()
    {
        if (m_held)
            ReleaseMutex(m_mutex);
    }
    MutexHold(const MutexHold&) = delete;
    MutexHold& operator=(const MutexHold&) = delete;
    bool Held() const { return m_held; }

private:
    HANDLE m_mutex;
    bool m_held;
};

}  // namespace standin
