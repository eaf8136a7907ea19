#pragma once
// The one lock of the stand-ins: a critical section taken only through a
// scoped Guard, so that no return or early exit can leave it held.
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

}  // namespace standin
