#pragma once
#include <windows.h>

#include "VelUniqueHandle.h"

// A watch of a key's changes; ended with its owner.
struct VelRegChangeTraits {
    typedef HANDLE Handle;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle change);
};
typedef VelUniqueHandle<VelRegChangeTraits> VelRegChange;

// The platform's missed-call count in the phone's state key.
bool ReadMissedCallValue(DWORD* count);
bool WriteMissedCallValue(DWORD count);
// A watch of the state key's values; none when the platform refuses one.
// The key is made when missing: one that only comes with the first missed
// call would otherwise never be watched.
VelRegChange WatchMissedCallValue();
