#include "VelDelegateLists.h"

#include "VelPlatform.h"

#include <new>

void** VelDelegateLists::s_chunks[VelDelegateLists::kChunks];

namespace {

// Constant-initialised, as s_chunks is.
SRWLOCK s_lock = SRWLOCK_INIT;
uint32_t s_used = 1;      // numbers below were handed out at least once; 0 is none
uint32_t s_freeHead = 0;  // a number given back, or 0; the free ones chain through their slots

// A free slot holds the next free number, tagged by its low bit: lists are aligned.
void* FreeMark(uint32_t next) { return reinterpret_cast<void*>((uintptr_t(next) << 1) | 1); }
uint32_t NextFree(void* slot) { return uint32_t(reinterpret_cast<uintptr_t>(slot) >> 1); }

class Exclusive {
public:
    Exclusive() { ::AcquireSRWLockExclusive(&s_lock); }
    ~Exclusive() { ::ReleaseSRWLockExclusive(&s_lock); }
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;
};

}  // namespace

uint32_t VelDelegateLists::Add(void* list)
{
    Exclusive lock;
    uint32_t number = s_freeHead;
    if (number) {
        void*& slot = s_chunks[number >> kChunkBits][number & (kChunkSize - 1)];
        s_freeHead = NextFree(slot);
        slot = list;
        return number;
    }
    number = s_used;
    const uint32_t chunk = number >> kChunkBits;
    if (chunk >= kChunks)
        throw std::bad_alloc();
    if (!s_chunks[chunk])
        s_chunks[chunk] = new void*[kChunkSize]();
    s_chunks[chunk][number & (kChunkSize - 1)] = list;
    ++s_used;
    return number;
}

void VelDelegateLists::Remove(uint32_t number)
{
    if (!number)
        return;
    Exclusive lock;
    s_chunks[number >> kChunkBits][number & (kChunkSize - 1)] = FreeMark(s_freeHead);
    s_freeHead = number;
}
