// Registry change notifications over RegNotifyChangeKeyValue. The caller
// closes its key right after asking, and closing a watched key ends the
// watch, so each watch keeps a key handle of its own; a desktop watch fires
// once, so the next-change call arms it again. A caller may close the watch
// with CloseHandle instead of CeFindCloseRegChange, and the handle's value
// then comes back for another object: each watch keeps its own duplicate of
// the event, and a handle that no longer names that event has no watch.
#include "CeCore.h"
#include "StandInLock.h"

#include <map>

namespace {

struct Watch {
    HKEY key;
    BOOL subtree;
    DWORD filter;
    HANDLE ownEvent;  // the event handed out, held by us
};

struct Watches {
    standin::Lock lock;
    std::map<HANDLE, Watch> byEvent;
};

Watches& All()
{
    static Watches* watches = new Watches;  // never destroyed: see StandInLock.h
    return *watches;
}

typedef BOOL(WINAPI* CompareHandles)(HANDLE, HANDLE);

bool SameObject(HANDLE left, HANDLE right)
{
    static const CompareHandles compare =
        reinterpret_cast<CompareHandles>(GetProcAddress(GetModuleHandleW(L"kernelbase.dll"), "CompareObjectHandles"));
    return compare ? compare(left, right) != FALSE : left == right;
}

void Release(Watch& watch)
{
    RegCloseKey(watch.key);
    CloseHandle(watch.ownEvent);
}

// Under the lock: drops the watches whose handed-out handle was closed.
void DropClosed(Watches& watches)
{
    for (std::map<HANDLE, Watch>::iterator it = watches.byEvent.begin(); it != watches.byEvent.end();) {
        if (SameObject(it->first, it->second.ownEvent)) {
            ++it;
        } else {
            Release(it->second);
            it = watches.byEvent.erase(it);
        }
    }
}

// Under the lock: the watch of a handle still open, or null.
Watch* OpenWatch(Watches& watches, HANDLE change)
{
    DropClosed(watches);
    std::map<HANDLE, Watch>::iterator it = watches.byEvent.find(change);
    return it == watches.byEvent.end() ? nullptr : &it->second;
}

}  // namespace

extern "C" {

HANDLE WINAPI CeFindFirstRegChange(HKEY key, BOOL watchSubtree, DWORD filter)
{
    HKEY own = 0;
    LONG value = RegOpenKeyExW(key, 0, 0, KEY_NOTIFY | KEY_QUERY_VALUE, &own);
    if (value != ERROR_SUCCESS) {
        SetLastError(value);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE event = CreateEventW(0, FALSE, FALSE, 0);
    HANDLE ownEvent = 0;
    if (!event ||
        !DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &ownEvent, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        if (event)
            CloseHandle(event);
        RegCloseKey(own);
        return INVALID_HANDLE_VALUE;
    }
    value = RegNotifyChangeKeyValue(own, watchSubtree, filter, event, TRUE);
    if (value != ERROR_SUCCESS) {
        CloseHandle(ownEvent);
        CloseHandle(event);
        RegCloseKey(own);
        SetLastError(value);
        return INVALID_HANDLE_VALUE;
    }
    Watches& watches = All();
    standin::Guard guard(watches.lock);
    DropClosed(watches);
    watches.byEvent[event] = Watch{own, watchSubtree, filter, ownEvent};
    return event;
}

BOOL WINAPI CeFindNextRegChange(HANDLE change)
{
    Watches& watches = All();
    LONG value = ERROR_INVALID_HANDLE;
    {
        standin::Guard guard(watches.lock);
        if (Watch* watch = OpenWatch(watches, change))
            value = RegNotifyChangeKeyValue(watch->key, watch->subtree, watch->filter, watch->ownEvent, TRUE);
    }
    if (value != ERROR_SUCCESS)
        SetLastError(value);
    return value == ERROR_SUCCESS;
}

BOOL WINAPI CeFindCloseRegChange(HANDLE change)
{
    Watches& watches = All();
    bool found = false;
    {
        standin::Guard guard(watches.lock);
        Watch* watch = OpenWatch(watches, change);
        found = watch != nullptr;
        if (found) {
            Release(*watch);
            watches.byEvent.erase(change);
        }
    }
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    CloseHandle(change);
    return TRUE;
}

}  // extern "C"
