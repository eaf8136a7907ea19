#pragma once
// The phone-only functions of the core library that the program calls: the
// object-store database's volume, open-with-notifications and notification
// release; registry change notifications; the kernel debug print. Built as
// cecore.dll; the call-log database's notifications come from the device store.
#include <windows.h>

#include <cstddef>

struct CeVolumeGuid {
    DWORD part[4];
};
static_assert(sizeof(CeVolumeGuid) == 16, "a volume is named by a 16-byte identifier");

// Options for mounting a volume; the program sets version and buffer pool only.
struct CeVolumeOptions {
    DWORD version;
    DWORD bufferPoolBytes;
    DWORD autoShrinkPercent;
    DWORD flushIntervalSeconds;
    DWORD maxNotifications;
    DWORD defaultTimeoutMs;
    DWORD sessionMaxChanges;
    DWORD flags;
};

typedef DWORD CeObjectId;

// Where and how an opened database reports changes.
struct CeNotifyRequest {
    DWORD size;   // sizeof(CeNotifyRequest)
    HWND window;  // receives kCeDbNotifyMessage
    DWORD flags;  // kCeNotifyByRecord
    HANDLE heap;  // the records' heap; 0 for the process heap
    DWORD param;  // copied into every record
};
static_assert(sizeof(CeNotifyRequest) == (sizeof(void*) == 4 ? 20 : 40), "the notification request's layout");

// Posted as the second parameter of kCeDbNotifyMessage; the receiver hands it
// back with CeFreeNotification.
struct CeNotification {
    DWORD size;
    DWORD param;
    DWORD type;  // kCeDbRecord...
    CeVolumeGuid volume;
    CeObjectId oid;        // the record concerned
    CeObjectId parentOid;  // the database
};
static_assert(offsetof(CeNotification, type) == 8, "type at offset 8");
static_assert(offsetof(CeNotification, oid) == 28, "record id at offset 28");
static_assert(sizeof(CeNotification) == 36, "the notification is a 36-byte record");

const UINT kCeDbNotifyMessage = 0x3FD;
const DWORD kCeNotifyByRecord = 1;
const DWORD kCeDbRecordCreated = 0x401;
const DWORD kCeDbRecordDeleted = 0x403;
const DWORD kCeDbRecordChanged = 0x406;

extern "C" {

// TRUE (exactly 1) when mounted; only "\pim.vol" exists. Mounting again
// counts; each mount wants its unmount.
__declspec(dllexport) BOOL WINAPI
    CeMountDBVolEx(CeVolumeGuid* volume, LPCWSTR name, CeVolumeOptions* options, DWORD flags);
// Nonzero on success.
__declspec(dllexport) BOOL WINAPI CeUnmountDBVol(CeVolumeGuid* volume);
// Opens "clog.db" by name (oid null or 0) on the mounted volume. With a
// request, every change of the call log posts kCeDbNotifyMessage with a record
// to request->window until the handle is closed (CloseHandle) or the window
// is gone. INVALID_HANDLE_VALUE and the last error on failure.
__declspec(dllexport) HANDLE WINAPI
    CeOpenDatabaseInSession(HANDLE session, CeVolumeGuid* volume, CeObjectId* oid, LPCWSTR name, void* sortOrder,
                            DWORD flags, CeNotifyRequest* request);
// Frees a record posted by this library; FALSE for anything else or twice,
// which is then left alone.
__declspec(dllexport) BOOL WINAPI CeFreeNotification(CeNotifyRequest* request, CeNotification* record);

// A waitable handle signalled when the key changes; the caller may close its
// key at once. CeFindNextRegChange re-arms the watch after each change;
// CeFindCloseRegChange ends it.
__declspec(dllexport) HANDLE WINAPI CeFindFirstRegChange(HKEY key, BOOL watchSubtree, DWORD filter);
__declspec(dllexport) BOOL WINAPI CeFindNextRegChange(HANDLE change);
__declspec(dllexport) BOOL WINAPI CeFindCloseRegChange(HANDLE change);

// Wide format with the platform's semantics (%s is a wide string); the line
// goes to the debugger and, when VEL_DEBUG_LOG names a file, to that file.
// "%n" prints as it stands: no text reaching the format writes memory.
__declspec(dllexport) void NKDbgPrintfW(LPCWSTR format, ...);

}  // extern "C"
