// Registry change notifications over RegNotifyChangeKeyValue. The caller
// closes its key right after asking, and closing a watched key ends the
// watch, so each watch keeps a key handle of its own; a desktop watch fires
// once, so the next-change call arms it again.
#include "CeCore.h"

#include <map>

namespace {

struct Watch {
    HKEY key;
    BOOL subtree;
    DWORD filter;
};

struct Watches {
    CRITICAL_SECTION lock;
    std::map<HANDLE, Watch> byEvent;
    Watches() { InitializeCriticalSection(&lock); }
};

Watches& All() {
    static Watches w;
    return w;
}

}  // namespace

extern "C" {

HANDLE WINAPI CeFindFirstRegChange(HKEY key, BOOL watchSubtree, DWORD filter) {
    HKEY own = 0;
    LONG r = RegOpenKeyExW(key, 0, 0, KEY_NOTIFY | KEY_QUERY_VALUE, &own);
    if (r != ERROR_SUCCESS) {
        SetLastError(r);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE event = CreateEventW(0, FALSE, FALSE, 0);
    if (!event) {
        RegCloseKey(own);
        return INVALID_HANDLE_VALUE;
    }
    r = RegNotifyChangeKeyValue(own, watchSubtree, filter, event, TRUE);
    if (r != ERROR_SUCCESS) {
        CloseHandle(event);
        RegCloseKey(own);
        SetLastError(r);
        return INVALID_HANDLE_VALUE;
    }
    Watches& w = All();
    EnterCriticalSection(&w.lock);
    w.byEvent[event] = Watch{own, watchSubtree, filter};
    LeaveCriticalSection(&w.lock);
    return event;
}

BOOL WINAPI CeFindNextRegChange(HANDLE change) {
    Watches& w = All();
    EnterCriticalSection(&w.lock);
    std::map<HANDLE, Watch>::iterator it = w.byEvent.find(change);
    LONG r = it == w.byEvent.end()
                 ? ERROR_INVALID_HANDLE
                 : RegNotifyChangeKeyValue(it->second.key, it->second.subtree, it->second.filter, change, TRUE);
    LeaveCriticalSection(&w.lock);
    if (r != ERROR_SUCCESS) SetLastError(r);
    return r == ERROR_SUCCESS;
}

BOOL WINAPI CeFindCloseRegChange(HANDLE change) {
    Watches& w = All();
    EnterCriticalSection(&w.lock);
    std::map<HANDLE, Watch>::iterator it = w.byEvent.find(change);
    bool found = it != w.byEvent.end();
    if (found) {
        RegCloseKey(it->second.key);
        w.byEvent.erase(it);
    }
    LeaveCriticalSection(&w.lock);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    CloseHandle(change);
    return TRUE;
}

}  // extern "C"
