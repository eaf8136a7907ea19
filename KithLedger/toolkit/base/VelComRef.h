#pragma once
#include "VelPlatform.h"

#include <unknwn.h>

// Owns one reference to a COM object and releases it when it goes. Move-only:
// a copy would release the one reference twice.
template <class T>
class VelComRef {
public:
    VelComRef() : m_pointer(nullptr) {}
    // Takes over a reference the caller already holds; adds none.
    explicit VelComRef(T* adopted) : m_pointer(adopted) {}
    VelComRef(VelComRef&& other) noexcept : m_pointer(other.Detach()) {}
    VelComRef& operator=(VelComRef&& other) noexcept
    {
        Reset(other.Detach());
        return *this;
    }
    VelComRef(const VelComRef&) = delete;
    VelComRef& operator=(const VelComRef&) = delete;
    ~VelComRef() { Reset(); }

    // Takes a reference of its own to an object it is lent.
    static VelComRef Retain(T* lent)
    {
        if (lent)
            lent->AddRef();
        return VelComRef(lent);
    }

    T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    // For an out parameter: lets go of the reference held and hands the slot
    // over for the callee to fill.
    T** Receive()
    {
        Reset();
        return &m_pointer;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    // The same object through another interface; empty when it has none. A
    // failed query hands over no reference, whatever it left in the slot.
    template <class U>
    VelComRef<U> As(REFIID iid) const
    {
        VelComRef<U> result;
        if (m_pointer && FAILED(m_pointer->QueryInterface(iid, result.ReceiveVoid())))
            result.Detach();
        return result;
    }

    // Gives the reference to the caller, who releases it.
    T* Detach()
    {
        T* pointer = m_pointer;
        m_pointer = nullptr;
        return pointer;
    }
    // Releases only after the new pointer is in place, so a release that
    // reaches back into this owner sees a consistent one.
    void Reset(T* adopted = nullptr)
    {
        T* previous = m_pointer;
        m_pointer = adopted;
        if (previous)
            previous->Release();
    }

private:
    T* m_pointer;
};

// Lets go of a reference kept in a plain pointer and clears it: for a global
// of a session, which its close releases in order and no static destructor
// may touch after the platform's library is gone.
template <class T>
void VelReleaseAndClear(T*& pointer)
{
    VelComRef<T> released(pointer);
    pointer = nullptr;
}
