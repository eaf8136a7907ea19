// Registry change notifications over RegNotifyChangeKeyValue. The caller
// closes its key right after asking, and closing a watched key ends the
// watch, so each watch keeps a key handle of its own; a desktop watch fires
// once, so the next-change call arms it again. A caller may close the watch
// with CloseHandle instead of CeFindCloseRegChange, and the handle's value
// then comes back for another object: each watch keeps its own duplicate of
// the event, and a handle that no longer names that event has no watch.
#include "CeCore.h"

#include <map>

namespace {

struct Watch {
    HKEY key;
    BOOL subtree;
    DWORD filter;
    HANDLE ownEvent;  // the event handed out, held by us
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

typedef BOOL(WINAPI* CompareHandles)(HANDLE, HANDLE);

bool SameObject(HANDLE a, HANDLE b) {
    static const CompareHandles compare = reinterpret_cast<CompareHandles>(
        GetProcAddress(GetModuleHandleW(L"kernelbase.dll"), "CompareObjectHandles"));
    return compare ? compare(a, b) != FALSE : a == b;
}

void Release(Watch& watch) {
    RegCloseKey(watch.key);
    CloseHandle(watch.ownEvent);
}

// Under the lock: drops the watches whose handed-out handle was closed.
void DropClosed(Watches& w) {
    for (std::map<HANDLE, Watch>::iterator it = w.byEvent.begin(); it != w.byEvent.end();) {
        if (SameObject(it->first, it->second.ownEvent)) {
            ++it;
        } else {
            Release(it->second);
            it = w.byEvent.erase(it);
        }
    }
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
    HANDLE ownEvent = 0;
    if (!event || !DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &ownEvent, 0, FALSE,
                                   DUPLICATE_SAME_ACCESS)) {
        if (event) CloseHandle(event);
        RegCloseKey(own);
        return INVALID_HANDLE_VALUE;
    }
    r = RegNotifyChangeKeyValue(own, watchSubtree, filter, event, TRUE);
    if (r != ERROR_SUCCESS) {
        CloseHandle(ownEvent);
        CloseHandle(event);
        RegCloseKey(own);
        SetLastError(r);
        return INVALID_HANDLE_VALUE;
    }
    Watches& w = All();
    EnterCriticalSection(&w.lock);
    DropClosed(w);
    w.byEvent[event] = Watch{own, watchSubtree, filter, ownEvent};
    LeaveCriticalSection(&w.lock);
    return event;
}

BOOL WINAPI CeFindNextRegChange(HANDLE change) {
    Watches& w = All();
    EnterCriticalSection(&w.lock);
    DropClosed(w);
    std::map<HANDLE, Watch>::iterator it = w.byEvent.find(change);
    LONG r = it == w.byEvent.end() ? ERROR_INVALID_HANDLE
                                   : RegNotifyChangeKeyValue(it->second.key, it->second.subtree, it->second.filter,
                                                             it->second.ownEvent, TRUE);
    LeaveCriticalSection(&w.lock);
    if (r != ERROR_SUCCESS) SetLastError(r);
    return r == ERROR_SUCCESS;
}

BOOL WINAPI CeFindCloseRegChange(HANDLE change) {
    Watches& w = All();
    EnterCriticalSection(&w.lock);
    DropClosed(w);
    std::map<HANDLE, Watch>::iterator it = w.byEvent.find(change);
    bool found = it != w.byEvent.end();
    if (found) {
        Release(it->second);
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
