#pragma once
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>
#include <vector>

class VelItem;

// A set of items by address for lists of many thousand rows: open addressing
// with linear probing, one entry a slot (a raw or a shared item pointer), where
// a tree would spend a node of five words on each row. Not locked: the grid
// and the list hold their own locks around it.
template <typename Entry>
class VelGridViewItemSet {
public:
    VelGridViewItemSet() : m_count(0) {}

    size_t GetCount() const { return m_count; }
    bool Contains(const VelItem* item) const { return Find(item) != nullptr; }

    // The entry for the item, or null.
    const Entry* Find(const VelItem* item) const
    {
        if (!item || m_slots.empty())
            return nullptr;
        for (size_t at = Home(item);; at = Next(at)) {
            if (!KeyOf(m_slots[at]))
                return nullptr;
            if (KeyOf(m_slots[at]) == item)
                return &m_slots[at];
        }
    }

    // False when the item is in the set already.
    bool Insert(const Entry& entry)
    {
        const VelItem* item = KeyOf(entry);
        if (!item || Find(item))
            return false;
        if ((m_count + 1) * 4 > m_slots.size() * 3)
            Resize(m_slots.empty() ? kMinSlots : m_slots.size() * 2);
        Place(entry);
        ++m_count;
        return true;
    }

    // False when the item is not in the set.
    bool Erase(const VelItem* item)
    {
        const Entry* found = Find(item);
        if (!found)
            return false;
        // Released once the table is whole again: the item's destructor may run then.
        const Entry removed = *found;
        size_t hole = size_t(found - m_slots.data());
        // Each later entry of the run that may sit in the hole moves back, so a
        // search never stops short at an empty slot.
        for (size_t at = Next(hole); KeyOf(m_slots[at]); at = Next(at)) {
            const size_t home = Home(KeyOf(m_slots[at]));
            if (((at - home) & Mask()) >= ((at - hole) & Mask())) {
                m_slots[hole] = m_slots[at];
                hole = at;
            }
        }
        m_slots[hole] = Entry();
        --m_count;
        return true;
    }

    void Clear()
    {
        std::vector<Entry> none;
        none.swap(m_slots);
        m_count = 0;
    }

private:
    static const size_t kMinSlots = 16;

    static const VelItem* KeyOf(const VelItem* entry) { return entry; }
    static const VelItem* KeyOf(const boost::shared_ptr<VelItem>& entry) { return entry.get(); }

    size_t Mask() const { return m_slots.size() - 1; }
    size_t Next(size_t at) const { return (at + 1) & Mask(); }
    size_t Home(const VelItem* item) const
    {
        // Heap addresses share their low bits; Fibonacci hashing spreads them.
        const uint64_t bits = uint64_t(reinterpret_cast<uintptr_t>(item)) >> 4;
        return size_t((bits * 0x9E3779B97F4A7C15ull) >> 32) & Mask();
    }

    void Place(const Entry& entry)
    {
        size_t at = Home(KeyOf(entry));
        while (KeyOf(m_slots[at]))
            at = Next(at);
        m_slots[at] = entry;
    }

    void Resize(size_t size)
    {
        std::vector<Entry> old(size);
        old.swap(m_slots);  // the new table in place, the entries to move in `old`
        for (const Entry& entry : old)
            if (KeyOf(entry))
                Place(entry);
    }

    std::vector<Entry> m_slots;  // a power of two long, or empty
    size_t m_count;
};
