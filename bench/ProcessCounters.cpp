#include "ProcessCounters.h"

#include <vector>

namespace {

const DWORD_PTR kHandleProbeLimit = 0x8000;

long FreeGdiSlots()
{
    std::vector<HRGN> regions;
    regions.reserve(70000);
    while (HRGN r = ::CreateRectRgn(0, 0, 1, 1))
        regions.push_back(r);
    for (HRGN r : regions)
        ::DeleteObject(r);
    return long(regions.size());
}

long KernelHandles()
{
    long count = 0;
    for (DWORD_PTR value = 4; value < kHandleProbeLimit; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

BOOL CALLBACK CountChild(HWND, LPARAM counter)
{
    ++*reinterpret_cast<long*>(counter);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM counter)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId())
        return TRUE;
    ++*reinterpret_cast<long*>(counter);
    ::EnumChildWindows(window, CountChild, counter);
    return TRUE;
}

long Windows()
{
    long count = 0;
    ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace

size_t ProcessCounters::PrivateBytes()
{
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* at = nullptr; ::VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += info.RegionSize;
        if (info.RegionSize == 0)
            break;
    }
    return total;
}

size_t ProcessCounters::HeapBytes()
{
    std::vector<HANDLE> heaps(256);
    const DWORD count = ::GetProcessHeaps(DWORD(heaps.size()), heaps.data());
    size_t total = 0;
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        if (!::HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (::HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        ::HeapUnlock(heaps[i]);
    }
    return total;
}

ProcessCounters ProcessCounters::Read(bool withGdi)
{
    ProcessCounters c;
    c.gdiFree = withGdi ? FreeGdiSlots() : 0;
    c.handles = KernelHandles();
    c.windows = Windows();
    c.privateBytes = PrivateBytes();
    c.heapBytes = HeapBytes();
    return c;
}
