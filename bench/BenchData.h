#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class VelDevStore;

// Data from a fixed seed, written into a device store as the phone's radio and
// PIM would have left it: contacts with accents, several words, empty names,
// 1,000-character fields, one to three numbers, a tenth favourites and
// pictures for some; calls and messages spread over the last 60 days.
class BenchData {
public:
    explicit BenchData(uint32_t seed) : m_state(seed ? seed : 1) {}

    // `first` numbers the contacts, so stores seeded in parts hold no two alike.
    void AddContacts(VelDevStore& store, int count, int first = 0);
    void AddCalls(VelDevStore& store, int count);
    void AddMessages(VelDevStore& store, int count);

private:
    uint32_t Next();
    int Below(int n) { return int(Next() % uint32_t(n)); }
    std::wstring Name();
    std::wstring Number();

    uint32_t m_state;
};
