#include "VelResourceLibrary.h"

namespace {

const DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                        PAGE_EXECUTE_WRITECOPY;

// A module mapped as data carries flag bits in its handle's low bits.
const BYTE* MappingBase(HMODULE module)
{
    return reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(module) & ~static_cast<ULONG_PTR>(3));
}

bool LiesInMapping(const BYTE* base, const BYTE* data, DWORD size)
{
    const ULONG_PTR first = reinterpret_cast<ULONG_PTR>(data);
    if (first + size < first)
        return false;
    const ULONG_PTR end = first + size;
    ULONG_PTR at = first;
    do {
        MEMORY_BASIC_INFORMATION region = {};
        if (!VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof(region)))
            return false;
        if (region.AllocationBase != base || region.State != MEM_COMMIT || !(region.Protect & kReadable) ||
            (region.Protect & PAGE_GUARD))
            return false;
        at = reinterpret_cast<ULONG_PTR>(region.BaseAddress) + region.RegionSize;
    } while (at < end);
    return true;
}

}  // namespace

bool VelResourceLibrary::Load(const std::wstring& path)
{
    Free();
    m_module.Reset(Map(path));
    return m_module.IsValid();
}

void VelResourceLibrary::Free() { m_module.Reset(); }

HMODULE VelResourceLibrary::Release() { return m_module.Detach(); }

bool VelResourceLibrary::IsPlainName(const std::wstring& name)
{
    if (name.empty() || name.size() > kMaxNameChars)
        return false;
    for (wchar_t c : name) {
        const bool plain =
            (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' || c == L'_';
        if (!plain)
            return false;
    }
    return true;
}

HMODULE VelResourceLibrary::Map(const std::wstring& path)
{
    return LoadLibraryExW(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

bool VelResourceLibrary::Find(HMODULE module, LPCWSTR type, LPCWSTR name, const BYTE** data, DWORD* size)
{
    *data = NULL;
    *size = 0;
    if (!module)
        return false;
    HRSRC resource = FindResourceW(module, name, type);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : NULL;
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : NULL;
    const DWORD length = bytes ? SizeofResource(module, resource) : 0;
    if (!length || !LiesInMapping(MappingBase(module), bytes, length))
        return false;
    *data = bytes;
    *size = length;
    return true;
}
