#pragma once
// The toolkit's tick held still while the object lives, moved only by the
// test, so press times, double-tap windows and animations come out exact.
#include <windows.h>

class FakeTick {
public:
    // Takes the toolkit's tick at `start`; the real tick comes back when the
    // object goes. One at a time: the toolkit reads a plain function.
    explicit FakeTick(DWORD start = 0);
    FakeTick(const FakeTick&) = delete;
    FakeTick& operator=(const FakeTick&) = delete;
    ~FakeTick();

    DWORD Now() const;
    void Set(DWORD tick);
    // Moves the tick on and answers where it now stands.
    DWORD Advance(DWORD ms);

    // The tick of the clock in force, for helpers that hold no clock.
    static DWORD& Current();
};
