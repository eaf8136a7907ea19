#pragma once
#include <windows.h>

#include <string>

#include "VelUniqueHandle.h"

// A language or theme library: mapped for its resources only, so no code of
// it runs, and read only within the bytes the mapping holds, so a damaged
// file yields missing resources instead of a crash.
class VelResourceLibrary {
public:
    VelResourceLibrary() = default;
    VelResourceLibrary(const VelResourceLibrary&) = delete;
    VelResourceLibrary& operator=(const VelResourceLibrary&) = delete;

    // Frees the library held, then maps the one at path; false when it does
    // not map (missing, not a library).
    bool Load(const std::wstring& path);
    void Free();
    HMODULE Get() const { return m_module.Get(); }
    // Hands the module over; the caller frees it with FreeLibrary.
    HMODULE Release();

    // A library name as "config.ini" gives it: letters, digits, '-' and '_',
    // at most kMaxNameChars of them; anything else could name a path.
    static bool IsPlainName(const std::wstring& name);
    static HMODULE Map(const std::wstring& path);
    // The resource's bytes, only when the whole of them lies in the module's
    // mapped, readable memory.
    static bool Find(HMODULE module, LPCWSTR type, LPCWSTR name, const BYTE** data, DWORD* size);

    static const size_t kMaxNameChars = 64;

private:
    VelModule m_module;
};
