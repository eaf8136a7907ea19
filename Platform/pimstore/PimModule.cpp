// The in-process server's entry points: its one class and its registration.
#include "PimObjects.h"

#include <VelDevStore.h>
#include <olectl.h>

#include <new>

namespace {

HMODULE g_module = nullptr;

constexpr wchar_t kClassKey[] = L"CLSID\\{1F00FD01-96C9-4C12-9088-121D0DF9C907}";

// A fault switch's value when it is a failure code, else E_FAIL.
HRESULT FaultResult(const wchar_t* name)
{
    HRESULT value = static_cast<HRESULT>(VelDevFaultValue(name, static_cast<DWORD>(E_FAIL)));
    return FAILED(value) ? value : E_FAIL;
}

class ApplicationFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        return standin::QueryFromTable(riid, out, {{&IID_IClassFactory, this}});
    }
    // Static: the server never unloads, so counting would change nothing.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (VelDevFault(L"poom.create"))
            return FaultResult(L"poom.create");
        PimApplication* application = new (std::nothrow) PimApplication();
        if (!application)
            return E_OUTOFMEMORY;
        HRESULT hr = application->QueryInterface(riid, out);
        application->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

ApplicationFactory g_factory;

LONG SetText(HKEY key, const wchar_t* name, const wchar_t* value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

}  // namespace

HRESULT PimLogonFault() { return VelDevFault(L"poom.logon") ? FaultResult(L"poom.logon") : S_OK; }

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_PimApplication))
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, out);
}

// The server keeps no count of its objects, and the store follower it made
// is never torn down, so it stays loaded.
__declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_FALSE; }

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer()
{
    wchar_t path[MAX_PATH];
    DWORD value = GetModuleFileNameW(g_module, path, ARRAYSIZE(path));
    if (value == 0 || value >= ARRAYSIZE(path))
        return E_FAIL;
    HKEY classKey = nullptr, serverKey = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr, &classKey, nullptr) !=
        ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    LONG rc = SetText(classKey, nullptr, L"Velmora contacts application");
    if (rc == ERROR_SUCCESS)
        rc = RegCreateKeyExW(classKey, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &serverKey, nullptr);
    if (rc == ERROR_SUCCESS)
        rc = SetText(serverKey, nullptr, path);
    // Both program threads use the objects: no apartment may be assumed.
    if (rc == ERROR_SUCCESS)
        rc = SetText(serverKey, L"ThreadingModel", L"Both");
    if (serverKey)
        RegCloseKey(serverKey);
    RegCloseKey(classKey);
    return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
    return (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) ? S_OK : SELFREG_E_CLASS;
}

}  // extern "C"
