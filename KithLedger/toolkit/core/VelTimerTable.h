#pragma once
#include "VelCriticalSection.h"

#include <map>

// The platform timers the core set for its controls: which object each one
// reaches and which window carries it. Its lock is taken last.
class VelTimerTable {
public:
    VelTimerTable();
    VelTimerTable(const VelTimerTable&) = delete;
    VelTimerTable& operator=(const VelTimerTable&) = delete;

    UINT NextId();
    void Add(UINT timerId, int ownerId, HWND window);
    // False for a timer not in the table.
    bool Find(UINT timerId, int* ownerId, HWND* window);
    // The window that carried the timer, or null for one not in the table.
    HWND Remove(UINT timerId);

private:
    // Ids start above the small ones controls choose for themselves.
    enum : LONG { kFirstId = 5555 };

    VelCriticalSection m_lock;
    std::map<UINT, std::pair<int, HWND>> m_timers;
    LONG m_counter;
};
