#pragma once
#include <cstdint>

// Where the handler lists of every event live, each under a number from 1,
// so that an event holds four bytes instead of a pointer. Numbers of lists
// that went are handed out again. A list stays where it was put until it is
// removed, so looking one up takes no lock; taking and giving back a number do.
class VelDelegateLists {
public:
    // Throws std::bad_alloc when there is no room for another list.
    static uint32_t Add(void* list);
    static void* Get(uint32_t number) { return s_chunks[number >> kChunkBits][number & (kChunkSize - 1)]; }
    static void Remove(uint32_t number);

private:
    static const unsigned kChunkBits = 12;
    static const uint32_t kChunkSize = 1u << kChunkBits;
    static const uint32_t kChunks = 1u << 14;

    // Zero before any constructor runs: events of static objects may take numbers.
    static void** s_chunks[kChunks];
};
