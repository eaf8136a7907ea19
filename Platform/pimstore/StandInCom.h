#pragma once
// COM plumbing shared by the platform stand-ins' objects: an atomic reference
// count, a table-driven QueryInterface and a critical-section guard.
#include <windows.h>
#include <objbase.h>
#include <initializer_list>
#include <utility>

namespace standin {

class Lock {
public:
    Lock() { InitializeCriticalSection(&m_section); }
    ~Lock() { DeleteCriticalSection(&m_section); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    void Enter() { EnterCriticalSection(&m_section); }
    void Leave() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

class Guard {
public:
    explicit Guard(Lock& lock) : m_lock(lock) { m_lock.Enter(); }
    ~Guard() { m_lock.Leave(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    Lock& m_lock;
};

// The reference count of an object; starts at 1 for its creator.
class RefCount {
public:
    ULONG Add() { return static_cast<ULONG>(InterlockedIncrement(&m_count)); }
    ULONG Drop() { return static_cast<ULONG>(InterlockedDecrement(&m_count)); }

private:
    LONG m_count = 1;
};

struct InterfaceEntry {
    const IID* iid;
    IUnknown* object;
};

// Answers IUnknown with the first entry and every listed interface; anything
// else is E_NOINTERFACE, so no caller gets a table that does not fit.
inline HRESULT QueryFromTable(REFIID riid, void** out, std::initializer_list<InterfaceEntry> table)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    for (const InterfaceEntry& entry : table) {
        if (IsEqualIID(riid, *entry.iid) || IsEqualIID(riid, IID_IUnknown)) {
            entry.object->AddRef();
            *out = entry.object;
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

// Holds one reference of a COM object.
template <class T>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* adopted) : m_p(adopted) {}
    ComRef(const ComRef& other) : m_p(other.m_p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ComRef(ComRef&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComRef& operator=(ComRef other)
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~ComRef()
    {
        if (m_p)
            m_p->Release();
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // Hands the reference to a caller's out pointer.
    T* detach() { return std::exchange(m_p, nullptr); }

private:
    T* m_p = nullptr;
};

}  // namespace standin

// Declares IUnknown's three methods for a class with an m_refs RefCount
// member and an InterfaceTable() member function.
#define STANDIN_IUNKNOWN()                                                                                             \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override { return InterfaceTable(riid, out); }   \
    ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.Add(); }                                                 \
    ULONG STDMETHODCALLTYPE Release() override                                                                         \
    {                                                                                                                  \
        ULONG left = m_refs.Drop();                                                                                    \
        if (left == 0)                                                                                                 \
            delete this;                                                                                               \
        return left;                                                                                                   \
    }
