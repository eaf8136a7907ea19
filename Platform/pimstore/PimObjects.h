#pragma once
// The COM classes behind PimStore.h.
#include "PimBackend.h"
#include "PimStore.h"
#include "StandInCom.h"

#include <memory>
#include <vector>

class PimApplication final : public IPimApplication {
public:
    PimApplication();
    STANDIN_IUNKNOWN()
    HRESULT STDMETHODCALLTYPE Logon(HWND window) override;
    HRESULT STDMETHODCALLTYPE Logoff() override;
    HRESULT STDMETHODCALLTYPE GetDefaultFolder(int kind, IPimFolder** folder) override;
    HRESULT STDMETHODCALLTYPE GetItemFromOid(LONG oid, IUnknown** item) override;
    HRESULT STDMETHODCALLTYPE CreateItem(int kind, IUnknown** item) override;

    void SetNotificationMask(ULONG mask);
    // Posts the change message to every logged-on window whose mask asks for it.
    static void Broadcast(PimChangeKind kind, LONG oid, bool local);

private:
    ~PimApplication();
    HRESULT InterfaceTable(REFIID riid, void** out);
    bool LoggedOn();

    standin::RefCount m_refs;
    HWND m_window = nullptr;
    ULONG m_mask = 0;
    pimbackend::Watching m_watching;
};

class PimFolder final : public IPimFolder, public IPimItem {
public:
    explicit PimFolder(PimApplication* application);
    STANDIN_IUNKNOWN()
    HRESULT STDMETHODCALLTYPE get_Items(IPimItemCollection** items) override;
    HRESULT STDMETHODCALLTYPE SetProps(ULONG flags, WORD count, PimPropValue* values) override;
    HRESULT STDMETHODCALLTYPE Edit(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Display(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddCategory(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveCategory(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenProperty(ULONG, DWORD, IStream**) override { return E_NOTIMPL; }

private:
    ~PimFolder() = default;
    HRESULT InterfaceTable(REFIID riid, void** out);

    standin::RefCount m_refs;
    standin::ComRef<PimApplication> m_application;
};

class PimItemCollection final : public IPimItemCollection {
public:
    PimItemCollection() = default;
    STANDIN_IUNKNOWN()
    HRESULT STDMETHODCALLTYPE get_Count(int* count) override;
    HRESULT STDMETHODCALLTYPE Item(int position, IUnknown** item) override;

private:
    ~PimItemCollection() = default;
    HRESULT InterfaceTable(REFIID riid, void** out);
    bool Refresh();

    standin::RefCount m_refs;
    standin::Lock m_lock;
    LONG m_generation = -1;
    // A new listing replaces it whole.
    std::shared_ptr<const std::vector<pimbackend::StoredContact>> m_snapshot =
        std::make_shared<std::vector<pimbackend::StoredContact>>();
    DWORD m_unreadable = 0;  // for tests: the oid that cannot be had, as of the listing
    pimbackend::Watching m_watching;
};

class PimContact final : public IPimContact, public IPimItem {
public:
    explicit PimContact(const PimContactRecord& record);
    STANDIN_IUNKNOWN()
    HRESULT STDMETHODCALLTYPE get_Oid(LONG* oid) override;
    HRESULT STDMETHODCALLTYPE get_FileAs(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_FirstName(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_LastName(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_CompanyName(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_MobileTelephoneNumber(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_BusinessTelephoneNumber(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_HomeTelephoneNumber(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_Categories(BSTR* text) override;

    HRESULT STDMETHODCALLTYPE SetProps(ULONG flags, WORD count, PimPropValue* values) override;
    HRESULT STDMETHODCALLTYPE Edit(HWND owner) override;
    HRESULT STDMETHODCALLTYPE Display(HWND owner) override;
    HRESULT STDMETHODCALLTYPE AddCategory(LPCWSTR category) override;
    HRESULT STDMETHODCALLTYPE RemoveCategory(LPCWSTR category) override;
    HRESULT STDMETHODCALLTYPE Save() override;
    HRESULT STDMETHODCALLTYPE OpenProperty(ULONG propid, DWORD access, IStream** stream) override;

private:
    ~PimContact() = default;
    HRESULT InterfaceTable(REFIID riid, void** out);
    HRESULT Field(std::wstring PimContactRecord::*field, BSTR* text);
    HRESULT SaveLocked();

    standin::RefCount m_refs;
    standin::Lock m_lock;
    PimContactRecord m_record;
    PimContactRecord m_saved;  // as fetched or last saved: what a save compares with
};

// The failure a test switched on for logging on, else S_OK.
HRESULT PimLogonFault();
