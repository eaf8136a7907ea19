#pragma once
// The local date and time the date code reads, held at what the test sets
// while the object lives. Whole in this header: only the areas that link
// the date code include it.
#include <windows.h>

#include "VelDateTime.h"

class FakeDate {
public:
    explicit FakeDate(const SYSTEMTIME& now = SYSTEMTIME{})
    {
        Current() = now;
        m_previous = VelDateTime::SetClock(&Read);
    }
    FakeDate(const FakeDate&) = delete;
    FakeDate& operator=(const FakeDate&) = delete;
    ~FakeDate() { VelDateTime::SetClock(m_previous); }

    void Set(const SYSTEMTIME& now) { Current() = now; }

    // What the clock in force reads, for helpers that hold no clock.
    static SYSTEMTIME& Current()
    {
        static SYSTEMTIME now = {};
        return now;
    }

private:
    static void Read(SYSTEMTIME* now) { *now = Current(); }

    VelDateTime::Clock m_previous = nullptr;
};
