#pragma once
#include "VelPlatform.h"

// The shell library's full-screen call, found by ordinal. The library is
// loaded on first use and freed with this object.
class VelShellLibrary {
public:
    VelShellLibrary() : m_module(nullptr) {}
    ~VelShellLibrary();
    VelShellLibrary(const VelShellLibrary&) = delete;
    VelShellLibrary& operator=(const VelShellLibrary&) = delete;

    // False when the library or its call is missing, or the call fails.
    bool FullScreen(HWND window, DWORD flags);

private:
    HMODULE m_module;
};
