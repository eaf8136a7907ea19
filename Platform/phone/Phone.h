#pragma once
// The phone library as the program sees it: five operations exported by
// ordinal only, and the two records they take. Built by the phone stand-in and
// imported by the program through phone.def.
#include <windows.h>

// Filled by the library; the caller zeroes it and sets cbSize first. The four
// strings are allocated by the library and freed by the caller with LocalFree.
struct CallLogEntry {
    DWORD cbSize;
    FILETIME startTime;  // UTC
    FILETIME endTime;    // UTC
    DWORD direction;     // CallLogDirection
    DWORD flags;         // CallLogFlags
    DWORD callerIdType;  // caller-id type
    LPWSTR number;
    LPWSTR name;
    LPWSTR nameType;
    LPWSTR note;
};
// 48 bytes on the phone; the strings make it 64 on a 64-bit build.
static_assert(sizeof(CallLogEntry) == (sizeof(void*) == 4 ? 48 : 64), "the call-log entry's layout");

enum CallLogDirection : DWORD { kCallMissed = 0, kCallIncoming = 1, kCallOutgoing = 2 };
enum CallLogFlags : DWORD { kCallConnected = 0x2, kCallEnded = 0x4 };
enum CallLogSeek : DWORD { kCallLogSeekBegin = 2, kCallLogSeekEnd = 4 };

struct PhoneMakeCallInfo {
    DWORD cbSize;
    DWORD dwFlags;
    LPCWSTR destination;
    LPCWSTR application;
    LPCWSTR calledParty;
    LPCWSTR comment;
    DWORD reserved;
};
static_assert(sizeof(PhoneMakeCallInfo) == (sizeof(void*) == 4 ? 28 : 48), "the make-call record's layout");

extern "C" {
// Ordinal 1. Negative results are failures.
HRESULT WINAPI PhoneOpenCallLog(HANDLE* log);
// Ordinal 2. entry->cbSize must be sizeof(CallLogEntry).
HRESULT WINAPI PhoneGetCallLogEntry(HANDLE log, CallLogEntry* entry);
// Ordinal 3.
HRESULT WINAPI PhoneCloseCallLog(HANDLE log);
// Ordinal 4. Record 0 from the beginning is the most recent call.
HRESULT WINAPI PhoneSeekCallLog(HANDLE log, DWORD seek, DWORD record, LPDWORD resultIndex);
// Ordinal 5. 0 when the call was handed to the phone.
LONG WINAPI PhoneMakeCall(PhoneMakeCallInfo* info);
}
