#include "PimObjects.h"

#include "PimCategories.h"

#include <cwchar>
#include <cwctype>
#include <new>

namespace {

// Neither the editor nor the card can be shown without a person: each call is
// recorded and answers what the test asked for in these variables.
constexpr wchar_t kEditResultEnv[] = L"VEL_POOM_EDIT_RESULT";        // default S_FALSE
constexpr wchar_t kDisplayResultEnv[] = L"VEL_POOM_DISPLAY_RESULT";  // default S_OK
// "Field=value;Field=value" applied by an editor that answers S_OK, then saved.
constexpr wchar_t kEditFieldsEnv[] = L"VEL_POOM_EDIT_FIELDS";

std::wstring Env(const wchar_t* name)
{
    wchar_t buffer[1024];
    DWORD value = GetEnvironmentVariableW(name, buffer, ARRAYSIZE(buffer));
    if (value == 0 || value >= ARRAYSIZE(buffer))
        return std::wstring();
    return std::wstring(buffer, value);
}

HRESULT ScriptedResult(const wchar_t* name, HRESULT fallback)
{
    std::wstring text = Env(name);
    if (text.empty())
        return fallback;
    wchar_t* end = nullptr;
    unsigned long value = wcstoul(text.c_str(), &end, 0);
    return (end && *end == 0) ? static_cast<HRESULT>(value) : fallback;
}

struct FieldName {
    const wchar_t* name;
    std::wstring PimContactRecord::*field;
};

const FieldName kFields[] = {
    {L"FileAs", &PimContactRecord::fileAs},     {L"FirstName", &PimContactRecord::firstName},
    {L"LastName", &PimContactRecord::lastName}, {L"Company", &PimContactRecord::company},
    {L"Mobile", &PimContactRecord::mobile},     {L"Business", &PimContactRecord::business},
    {L"Home", &PimContactRecord::home},         {L"Categories", &PimContactRecord::categories},
};

void ApplyFields(const std::wstring& script, PimContactRecord& record)
{
    size_t start = 0;
    while (start <= script.size()) {
        size_t stop = script.find(L';', start);
        if (stop == std::wstring::npos)
            stop = script.size();
        std::wstring pair = script.substr(start, stop - start);
        size_t eq = pair.find(L'=');
        if (eq != std::wstring::npos) {
            std::wstring key = pair.substr(0, eq);
            for (const FieldName& fieldName : kFields)
                if (key == fieldName.name)
                    record.*(fieldName.field) = pair.substr(eq + 1);
        }
        start = stop + 1;
    }
}

void Record(const wchar_t* what, LONG oid, HWND owner, HRESULT result)
{
    wchar_t line[128];
    _snwprintf(line, ARRAYSIZE(line), L"%ls oid=%ld owner=0x%08lx result=0x%08lx", what, oid,
               static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(owner)), static_cast<unsigned long>(result));
    line[ARRAYSIZE(line) - 1] = 0;
    pimbackend::AppendRecording(line);
}

bool ValidCategory(LPCWSTR category)
{
    if (!category || !*category)
        return false;
    return wcsstr(category, pimcategories::kSeparator) == nullptr;
}

}  // namespace

PimContact::PimContact(const PimContactRecord& record) : m_record(record), m_saved(record) {}

HRESULT PimContact::InterfaceTable(REFIID riid, void** out)
{
    return standin::QueryFromTable(
        riid, out,
        {{&IID_IPimContact, static_cast<IPimContact*>(this)}, {&IID_IPimItem, static_cast<IPimItem*>(this)}});
}

HRESULT PimContact::get_Oid(LONG* oid)
{
    if (!oid)
        return E_POINTER;
    standin::Guard guard(m_lock);
    *oid = m_record.oid;
    return S_OK;
}

HRESULT PimContact::Field(std::wstring PimContactRecord::*field, BSTR* text)
{
    if (!text)
        return E_POINTER;
    standin::Guard guard(m_lock);
    const std::wstring& value = m_record.*field;
    *text = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT PimContact::get_FileAs(BSTR* text) { return Field(&PimContactRecord::fileAs, text); }
HRESULT PimContact::get_FirstName(BSTR* text) { return Field(&PimContactRecord::firstName, text); }
HRESULT PimContact::get_LastName(BSTR* text) { return Field(&PimContactRecord::lastName, text); }
HRESULT PimContact::get_CompanyName(BSTR* text) { return Field(&PimContactRecord::company, text); }
HRESULT PimContact::get_MobileTelephoneNumber(BSTR* text) { return Field(&PimContactRecord::mobile, text); }
HRESULT PimContact::get_BusinessTelephoneNumber(BSTR* text) { return Field(&PimContactRecord::business, text); }
HRESULT PimContact::get_HomeTelephoneNumber(BSTR* text) { return Field(&PimContactRecord::home, text); }
HRESULT PimContact::get_Categories(BSTR* text) { return Field(&PimContactRecord::categories, text); }

// A contact takes no properties by id; only the folder's mask is set that way.
HRESULT PimContact::SetProps(ULONG, WORD, PimPropValue*) { return E_INVALIDARG; }

HRESULT PimContact::Edit(HWND owner)
{
    if (owner && !IsWindow(owner))
        return E_INVALIDARG;
    HRESULT result = ScriptedResult(kEditResultEnv, S_FALSE);
    standin::Guard guard(m_lock);
    if (result == S_OK) {
        PimContactRecord edited = m_record;
        ApplyFields(Env(kEditFieldsEnv), edited);
        std::swap(edited, m_record);
        HRESULT saved = SaveLocked();
        if (FAILED(saved)) {
            std::swap(edited, m_record);
            result = saved;
        }
    }
    Record(L"Edit", m_record.oid, owner, result);
    return result;
}

HRESULT PimContact::Display(HWND owner)
{
    if (owner && !IsWindow(owner))
        return E_INVALIDARG;
    HRESULT result = ScriptedResult(kDisplayResultEnv, S_OK);
    standin::Guard guard(m_lock);
    Record(L"Display", m_record.oid, owner, result);
    return result;
}

HRESULT PimContact::AddCategory(LPCWSTR category)
{
    if (!ValidCategory(category))
        return E_INVALIDARG;
    standin::Guard guard(m_lock);
    std::vector<std::wstring> parts = pimcategories::Split(m_record.categories);
    for (const std::wstring& p : parts)
        if (p == category)
            return kPimErrAlreadyPresent;
    parts.push_back(category);
    m_record.categories = pimcategories::Join(parts);
    return S_OK;
}

HRESULT PimContact::RemoveCategory(LPCWSTR category)
{
    if (!ValidCategory(category))
        return E_INVALIDARG;
    standin::Guard guard(m_lock);
    std::vector<std::wstring> parts = pimcategories::Split(m_record.categories);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i] == category) {
            parts.erase(parts.begin() + i);
            m_record.categories = pimcategories::Join(parts);
            return S_OK;
        }
    }
    return kPimErrNotFound;
}

HRESULT PimContact::SaveLocked()
{
    HRESULT result = pimbackend::SaveContact(m_record, m_saved);
    if (SUCCEEDED(result))
        m_saved = m_record;
    return result;
}

HRESULT PimContact::Save()
{
    standin::Guard guard(m_lock);
    return SaveLocked();
}

HRESULT PimContact::OpenProperty(ULONG propid, DWORD access, IStream** stream)
{
    if (!stream)
        return E_POINTER;
    *stream = nullptr;
    if (propid != kPimPropPicture)
        return E_INVALIDARG;
    if (access != GENERIC_READ)
        return E_ACCESSDENIED;
    LONG oid;
    {
        standin::Guard guard(m_lock);
        oid = m_record.oid;
    }
    std::string bytes;
    if (!pimbackend::ReadPicture(oid, bytes))
        return kPimErrNotFound;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block)
        return E_OUTOFMEMORY;
    void* p = GlobalLock(block);
    memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(block);
    HRESULT hr = CreateStreamOnHGlobal(block, TRUE, stream);
    if (FAILED(hr)) {
        GlobalFree(block);
        return hr;
    }
    // The stream is as long as the block, which may be rounded up.
    ULARGE_INTEGER size;
    size.QuadPart = bytes.size();
    (*stream)->SetSize(size);
    return S_OK;
}
