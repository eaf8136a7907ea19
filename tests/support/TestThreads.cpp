#include "TestThreads.h"

#include <tlhelp32.h>

std::vector<DWORD> ThreadsStartedIn(const wchar_t* name)
{
    std::vector<DWORD> found;
    const BYTE* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(name));
    if (!base)
        return found;
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const BYTE* end = base + nt->OptionalHeader.SizeOfImage;
    using QueryThread = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryThread>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    constexpr int kThreadStartAddress = 9;  // ThreadQuerySetWin32StartAddress
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (!query || snapshot == INVALID_HANDLE_VALUE) {
        if (snapshot != INVALID_HANDLE_VALUE)
            CloseHandle(snapshot);
        found.push_back(0);  // cannot tell: counts as a thread left behind
        return found;
    }
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId())
            continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread)
            continue;
        const BYTE* start = nullptr;
        if (query(thread, kThreadStartAddress, &start, sizeof(start), nullptr) >= 0 && start >= base && start < end)
            found.push_back(entry.th32ThreadID);
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return found;
}
