#pragma once
// COM plumbing shared by the platform stand-ins' objects: an atomic reference
// count, a table-driven QueryInterface and an owned reference.
#include "StandInLock.h"

#include <objbase.h>
#include <initializer_list>
#include <utility>

namespace standin {

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

// IUnknown for an object that answers one interface of its own.
template <class TInterface>
class ComObject : public TInterface {
public:
    explicit ComObject(const IID& iid) : m_iid(iid) {}
    virtual ~ComObject() {}
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        return QueryFromTable(riid, out, {{&m_iid, this}});
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.Add(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = m_refs.Drop();
        if (left == 0)
            delete this;
        return left;
    }

private:
    const IID& m_iid;
    RefCount m_refs;
};

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
