#pragma once
// The phone's contacts object model as the program sees it: an application
// object created through COM (in-process server pimstore.dll), the contacts
// folder, its live items collection and each contact's properties. Every
// result is an HRESULT; a negative one is a failure.
#include <windows.h>
#include <objidl.h>
#include <oleauto.h>

// {1F00FD01-96C9-4C12-9088-121D0DF9C907}
inline constexpr CLSID CLSID_PimApplication = {
    0x1f00fd01, 0x96c9, 0x4c12, {0x90, 0x88, 0x12, 0x1d, 0x0d, 0xf9, 0xc9, 0x07}};
// {0B69D2DC-B0F8-45AA-AD89-03C515A88DE9}
inline constexpr IID IID_IPimApplication = {
    0x0b69d2dc, 0xb0f8, 0x45aa, {0xad, 0x89, 0x03, 0xc5, 0x15, 0xa8, 0x8d, 0xe9}};
// {1FD5FE85-7DAD-48FB-AF0F-64E6248F6604}
inline constexpr IID IID_IPimFolder = {0x1fd5fe85, 0x7dad, 0x48fb, {0xaf, 0x0f, 0x64, 0xe6, 0x24, 0x8f, 0x66, 0x04}};
// {6CD4E689-6DDF-4412-B08B-BEA1D89393CD}
inline constexpr IID IID_IPimItemCollection = {
    0x6cd4e689, 0x6ddf, 0x4412, {0xb0, 0x8b, 0xbe, 0xa1, 0xd8, 0x93, 0x93, 0xcd}};
// {354C65ED-587F-44CD-B7CE-2C2F56E0A944}
inline constexpr IID IID_IPimContact = {0x354c65ed, 0x587f, 0x44cd, {0xb7, 0xce, 0x2c, 0x2f, 0x56, 0xe0, 0xa9, 0x44}};
// {7E985A9E-947C-484B-85EF-3DD31BFF4CE1}
inline constexpr IID IID_IPimItem = {0x7e985a9e, 0x947c, 0x484b, {0x85, 0xef, 0x3d, 0xd3, 0x1b, 0xff, 0x4c, 0xe1}};

enum PimFolderKind : int { kPimFolderContacts = 10 };
enum PimItemKind : int { kPimItemContact = 2 };

// Property ids: the high word is the id, the low word the value type.
constexpr ULONG kPimPropFolderNotifications = 0x10010013;  // ULONG mask of PimNotifyFamily
constexpr ULONG kPimPropPicture = 0x00FF0064;              // image bytes, opened as a stream

enum PimNotifyFamily : ULONG {
    kPimNotifyLocal = 0x1,   // changes made through this process
    kPimNotifyRemote = 0x2,  // changes made by any other process
};

// Posted to the logon window, wParam = the contact's oid, lParam = the folder
// kind, while the folder's notification mask holds the family.
enum PimChangeMessage : UINT {
    kPimMsgLocalCreated = 0x8100,
    kPimMsgLocalDeleted = 0x8101,
    kPimMsgLocalChanged = 0x8102,
    kPimMsgRemoteCreated = 0x8105,
    kPimMsgRemoteDeleted = 0x8106,
    kPimMsgRemoteChanged = 0x8107,
};

// Failures of our own; the generic COM codes serve the rest.
constexpr HRESULT kPimErrNotLoggedOn = static_cast<HRESULT>(0x80040301);
constexpr HRESULT kPimErrNotFound = static_cast<HRESULT>(0x80070490);  // no such item or property
constexpr HRESULT kPimErrAlreadyPresent = static_cast<HRESULT>(0x800700B7);

struct PimPropValue {
    ULONG propid;
    WORD wLenData;
    WORD wFlags;
    union {
        ULONG ulVal;
        LONG lVal;
        LPWSTR lpwstr;
        FILETIME filetime;
        struct {
            DWORD dwCount;
            BYTE* lpb;
        } blob;
    } val;
};
static_assert(sizeof(PimPropValue) == (sizeof(void*) == 4 ? 16 : 24), "a property value's layout");

struct IPimFolder;
struct IPimItemCollection;

struct IPimApplication : public IUnknown {
    // Change messages go to this window from now on.
    virtual HRESULT STDMETHODCALLTYPE Logon(HWND window) = 0;
    virtual HRESULT STDMETHODCALLTYPE Logoff() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefaultFolder(int kind, IPimFolder** folder) = 0;
    // The item answers QueryInterface for IPimContact and IPimItem.
    virtual HRESULT STDMETHODCALLTYPE GetItemFromOid(LONG oid, IUnknown** item) = 0;
    // A new, unsaved item (oid 0) that gets its oid when saved.
    virtual HRESULT STDMETHODCALLTYPE CreateItem(int kind, IUnknown** item) = 0;
};

// Also answers QueryInterface for IPimItem, whose SetProps takes the
// folder's notification mask.
struct IPimFolder : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Items(IPimItemCollection** items) = 0;
};

// Live: count and positions follow the store, ordered by file-as name, then oid.
struct IPimItemCollection : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Count(int* count) = 0;
    // Positions count from 1.
    virtual HRESULT STDMETHODCALLTYPE Item(int position, IUnknown** item) = 0;
};

// The strings are the caller's to free with SysFreeString; an absent value is "".
struct IPimContact : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Oid(LONG* oid) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FileAs(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FirstName(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastName(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CompanyName(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MobileTelephoneNumber(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BusinessTelephoneNumber(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HomeTelephoneNumber(BSTR* text) = 0;
    // Categories joined by ", ".
    virtual HRESULT STDMETHODCALLTYPE get_Categories(BSTR* text) = 0;
};

struct IPimItem : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetProps(ULONG flags, WORD count, PimPropValue* values) = 0;
    // The platform's editor and card. S_OK: the user changed the item;
    // S_FALSE: nothing changed. Here no one answers them: each call is
    // appended to poom-ui.log in the device store and returns
    // %VEL_POOM_EDIT_RESULT% (default S_FALSE) or %VEL_POOM_DISPLAY_RESULT%
    // (default S_OK). An editor answering S_OK applies
    // %VEL_POOM_EDIT_FIELDS% ("FirstName=Ann;Mobile=+44..."; fields FileAs,
    // FirstName, LastName, Company, Mobile, Business, Home, Categories) and
    // saves the item.
    virtual HRESULT STDMETHODCALLTYPE Edit(HWND owner) = 0;
    virtual HRESULT STDMETHODCALLTYPE Display(HWND owner) = 0;
    // A category is a whole ", "-separated element: adding one already there,
    // or removing one that is not, fails. Takes effect on Save.
    virtual HRESULT STDMETHODCALLTYPE AddCategory(LPCWSTR category) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveCategory(LPCWSTR category) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save() = 0;
    // kPimPropPicture with GENERIC_READ gives a stream of the image's bytes.
    virtual HRESULT STDMETHODCALLTYPE OpenProperty(ULONG propid, DWORD access, IStream** stream) = 0;
};
