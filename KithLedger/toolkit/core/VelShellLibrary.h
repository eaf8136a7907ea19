#pragma once
#include "VelPlatform.h"
#include "VelUniqueHandle.h"

// The shell library's full-screen call, found by ordinal. The library is
// loaded on first use and freed with this object.
class VelShellLibrary {
public:
    VelShellLibrary() {}

    // False when the library or its call is missing, or the call fails.
    bool FullScreen(HWND window, DWORD flags);

private:
    VelModule m_module;
};
