#pragma once
#include "VelPlatform.h"

// Owns one platform handle and closes it when it goes. The traits name the
// handle type, the value that means none, and how to close one:
//     typedef H Handle; static H Invalid(); static void Close(H);
// Move-only: a copy would close the one handle twice.
template <class Traits>
class VelUniqueHandle {
public:
    typedef typename Traits::Handle Handle;

    VelUniqueHandle() : m_handle(Traits::Invalid()) {}
    explicit VelUniqueHandle(Handle adopted) : m_handle(adopted) {}
    VelUniqueHandle(VelUniqueHandle&& other) noexcept : m_handle(other.Detach()) {}
    VelUniqueHandle& operator=(VelUniqueHandle&& other) noexcept
    {
        Reset(other.Detach());
        return *this;
    }
    VelUniqueHandle(const VelUniqueHandle&) = delete;
    VelUniqueHandle& operator=(const VelUniqueHandle&) = delete;
    ~VelUniqueHandle() { Reset(); }

    Handle Get() const { return m_handle; }
    bool IsValid() const { return m_handle != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }

    // For an out parameter: closes the handle held and hands the slot over.
    Handle* Receive()
    {
        Reset();
        return &m_handle;
    }
    // Gives the handle to the caller, who closes it.
    Handle Detach()
    {
        Handle handle = m_handle;
        m_handle = Traits::Invalid();
        return handle;
    }
    void Reset(Handle adopted = Traits::Invalid())
    {
        Handle previous = m_handle;
        m_handle = adopted;
        if (previous != Traits::Invalid())
            Traits::Close(previous);
    }

private:
    Handle m_handle;
};

// Events, mutexes, threads, processes and mappings: none is NULL.
struct VelKernelHandleTraits {
    typedef HANDLE Handle;
    static Handle Invalid() { return NULL; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};
typedef VelUniqueHandle<VelKernelHandleTraits> VelKernelHandle;

// CreateFile says none with INVALID_HANDLE_VALUE.
struct VelFileHandleTraits {
    typedef HANDLE Handle;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};
typedef VelUniqueHandle<VelFileHandleTraits> VelFileHandle;

// A registry key: none is NULL.
struct VelRegKeyTraits {
    typedef HKEY Handle;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle key) { ::RegCloseKey(key); }
};
typedef VelUniqueHandle<VelRegKeyTraits> VelRegKey;

struct VelFindHandleTraits {
    typedef HANDLE Handle;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { ::FindClose(handle); }
};
typedef VelUniqueHandle<VelFindHandleTraits> VelFindHandle;

// A GDI object must be selected out of every DC before it goes.
template <class H>
struct VelGdiObjectTraits {
    typedef H Handle;
    static Handle Invalid() { return NULL; }
    static void Close(Handle handle) { ::DeleteObject(handle); }
};
template <class H>
using VelGdiObject = VelUniqueHandle<VelGdiObjectTraits<H>>;

// A DC of CreateCompatibleDC or CreateDC; one of GetDC is a VelWindowDC.
struct VelMemoryDCTraits {
    typedef HDC Handle;
    static Handle Invalid() { return NULL; }
    static void Close(Handle handle) { ::DeleteDC(handle); }
};
typedef VelUniqueHandle<VelMemoryDCTraits> VelMemoryDC;

struct VelMappedViewTraits {
    typedef void* Handle;
    static Handle Invalid() { return NULL; }
    static void Close(Handle view) { ::UnmapViewOfFile(view); }
};
typedef VelUniqueHandle<VelMappedViewTraits> VelMappedView;

struct VelModuleTraits {
    typedef HMODULE Handle;
    static Handle Invalid() { return NULL; }
    static void Close(Handle handle) { ::FreeLibrary(handle); }
};
typedef VelUniqueHandle<VelModuleTraits> VelModule;

// A DC of GetDC: its release needs the window it came from, so it is not a
// traits handle. A null window is the screen.
class VelWindowDC {
public:
    VelWindowDC() : m_window(NULL), m_dc(NULL) {}
    explicit VelWindowDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    VelWindowDC(VelWindowDC&& other) noexcept : m_window(other.m_window), m_dc(other.m_dc) { other.m_dc = NULL; }
    VelWindowDC& operator=(VelWindowDC&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_window = other.m_window;
            m_dc = other.m_dc;
            other.m_dc = NULL;
        }
        return *this;
    }
    VelWindowDC(const VelWindowDC&) = delete;
    VelWindowDC& operator=(const VelWindowDC&) = delete;
    ~VelWindowDC() { Reset(); }

    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != NULL; }
    void Reset()
    {
        HDC previous = m_dc;
        m_dc = NULL;
        if (previous)
            ::ReleaseDC(m_window, previous);
    }

private:
    HWND m_window;
    HDC m_dc;
};
