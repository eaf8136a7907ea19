#include "VelMemoryStream.h"

#include <cstring>

VelMemoryStream::VelMemoryStream(const void* data, ULONG size)
    : m_refs(1), m_data(static_cast<const BYTE*>(data)), m_size(size), m_position(0)
{
}

STDMETHODIMP VelMemoryStream::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStream) || IsEqualIID(iid, IID_ISequentialStream)) {
        *object = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) VelMemoryStream::AddRef() { return InterlockedIncrement(&m_refs); }

STDMETHODIMP_(ULONG) VelMemoryStream::Release()
{
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0)
        delete this;
    return refs;
}

STDMETHODIMP VelMemoryStream::Read(void* buffer, ULONG count, ULONG* read)
{
    const ULONG left = m_position < m_size ? m_size - m_position : 0;
    const ULONG n = count < left ? count : left;
    if (n)
        std::memcpy(buffer, m_data + m_position, n);
    m_position += n;
    if (read)
        *read = n;
    return n == count ? S_OK : S_FALSE;
}

STDMETHODIMP VelMemoryStream::Seek(LARGE_INTEGER offset, DWORD origin, ULARGE_INTEGER* position)
{
    const ULONG step = static_cast<ULONG>(offset.QuadPart);
    switch (origin) {
    case STREAM_SEEK_SET:
        m_position = step;
        break;
    case STREAM_SEEK_CUR:
        m_position += step;
        break;
    case STREAM_SEEK_END:
        m_position = m_size + step;
        break;
    default:
        return STG_E_INVALIDFUNCTION;
    }
    if (position)
        position->QuadPart = m_position;
    return S_OK;
}

STDMETHODIMP VelMemoryStream::Write(const void*, ULONG, ULONG*) { return E_NOTIMPL; }
STDMETHODIMP VelMemoryStream::SetSize(ULARGE_INTEGER) { return E_NOTIMPL; }
STDMETHODIMP VelMemoryStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) { return E_NOTIMPL; }
STDMETHODIMP VelMemoryStream::Commit(DWORD) { return E_NOTIMPL; }
STDMETHODIMP VelMemoryStream::Revert() { return E_NOTIMPL; }
STDMETHODIMP VelMemoryStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
STDMETHODIMP VelMemoryStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
STDMETHODIMP VelMemoryStream::Stat(STATSTG*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP VelMemoryStream::Clone(IStream**) { return E_NOTIMPL; }
