// The contacts server driven as the program's data thread and views use it.
#include "CategoryTextCases.h"
#include "PimTestSupport.h"

#include <PimStore.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

template <class T>
struct Ref {
    T* p = nullptr;
    ~Ref()
    {
        if (p)
            p->Release();
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
    void reset()
    {
        if (p)
            p->Release();
        p = nullptr;
    }
};

std::wstring Take(BSTR text)
{
    std::wstring s = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return s;
}

struct Posted {
    UINT message;
    WPARAM oid;
};

class PoomTest : public ::testing::Test {
protected:
    PoomTest() : m_device(L"vel-pim") {}
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_window);
    }
    void TearDown() override
    {
        m_items.reset();
        m_app.reset();
        DestroyWindow(m_window);
        CoUninitialize();
    }

    HRESULT Create()
    {
        return CoCreateInstance(CLSID_PimApplication, nullptr, CLSCTX_INPROC_SERVER, IID_IPimApplication,
                                reinterpret_cast<void**>(m_app.out()));
    }

    // The data thread's log-on: application, logon, contacts folder, its
    // items and the notification mask.
    void LogOn(ULONG mask = kPimNotifyLocal | kPimNotifyRemote)
    {
        ASSERT_EQ(S_OK, Create());
        ASSERT_EQ(S_OK, m_app->Logon(m_window));
        Ref<IPimFolder> folder;
        ASSERT_EQ(S_OK, m_app->GetDefaultFolder(kPimFolderContacts, folder.out()));
        ASSERT_EQ(S_OK, folder->get_Items(m_items.out()));
        Ref<IPimItem> item;
        ASSERT_EQ(S_OK, folder->QueryInterface(IID_IPimItem, reinterpret_cast<void**>(item.out())));
        PimPropValue value = {};
        value.propid = kPimPropFolderNotifications;
        value.val.ulVal = mask;
        ASSERT_EQ(S_OK, item->SetProps(0, 1, &value));
    }

    int Count()
    {
        int n = -1;
        EXPECT_EQ(S_OK, m_items->get_Count(&n));
        return n;
    }

    // The contact at a 1-based position of the collection.
    void ContactAt(int position, IPimContact** contact)
    {
        Ref<IUnknown> item;
        ASSERT_EQ(S_OK, m_items->Item(position, item.out()));
        ASSERT_EQ(S_OK, item->QueryInterface(IID_IPimContact, reinterpret_cast<void**>(contact)));
    }

    void ByOid(LONG oid, IPimItem** item)
    {
        Ref<IUnknown> got;
        ASSERT_EQ(S_OK, m_app->GetItemFromOid(oid, got.out()));
        ASSERT_EQ(S_OK, got->QueryInterface(IID_IPimItem, reinterpret_cast<void**>(item)));
    }

    std::wstring CategoriesOf(LONG oid)
    {
        Ref<IUnknown> got;
        Ref<IPimContact> contact;
        if (FAILED(m_app->GetItemFromOid(oid, got.out())))
            return L"<missing>";
        got->QueryInterface(IID_IPimContact, reinterpret_cast<void**>(contact.out()));
        BSTR text = nullptr;
        contact->get_Categories(&text);
        return Take(text);
    }

    // Waits for a change message for `oid` and answers it; 0 when none came.
    UINT WaitForChange(WPARAM oid, DWORD ms = 3000)
    {
        UINT got = 0;
        WaitFor(
            [&] {
                MSG msg;
                while (PeekMessageW(&msg, m_window, 0x8100, 0x8107, PM_REMOVE)) {
                    m_posted.push_back({msg.message, msg.wParam});
                    EXPECT_EQ(kPimFolderContacts, msg.lParam);
                    if (msg.wParam == oid)
                        got = msg.message;
                }
                return got != 0;
            },
            ms);
        return got;
    }

    TestDeviceStore m_device;
    HWND m_window = nullptr;
    Ref<IPimApplication> m_app;
    Ref<IPimItemCollection> m_items;
    std::vector<Posted> m_posted;
};

TEST_F(PoomTest, CollectionListsContactsByFileAsWithTheirProperties)
{
    DWORD zed = AddContact(L"Zed, Amy", L"Amy", L"Zed", L"Work");
    DWORD bell = AddContact(L"bell, Carl", L"Carl", L"Bell");
    {
        VelDevContact c;
        ASSERT_TRUE(TestStore()->FindContact(zed, &c));
        c.company = L"Acme";
        c.mobile = L"+4471";
        c.work = L"+4420";
        c.home = L"+4413";
        ASSERT_TRUE(TestStore()->UpdateContact(c));
    }
    LogOn();
    ASSERT_EQ(2, Count());

    Ref<IPimContact> first, second;
    ContactAt(1, first.out());
    ContactAt(2, second.out());
    LONG oid = 0;
    ASSERT_EQ(S_OK, first->get_Oid(&oid));
    EXPECT_EQ(static_cast<LONG>(bell), oid);  // file-as order ignores case
    ASSERT_EQ(S_OK, second->get_Oid(&oid));
    EXPECT_EQ(static_cast<LONG>(zed), oid);

    struct Getter {
        HRESULT (STDMETHODCALLTYPE IPimContact::*get)(BSTR*);
        const wchar_t* expected;
    };
    const Getter getters[] = {
        {&IPimContact::get_FileAs, L"Zed, Amy"},
        {&IPimContact::get_FirstName, L"Amy"},
        {&IPimContact::get_LastName, L"Zed"},
        {&IPimContact::get_CompanyName, L"Acme"},
        {&IPimContact::get_MobileTelephoneNumber, L"+4471"},
        {&IPimContact::get_BusinessTelephoneNumber, L"+4420"},
        {&IPimContact::get_HomeTelephoneNumber, L"+4413"},
        {&IPimContact::get_Categories, L"Work"},
    };
    for (const Getter& g : getters) {
        BSTR text = nullptr;
        ASSERT_EQ(S_OK, (second.p->*g.get)(&text));
        EXPECT_EQ(g.expected, Take(text));
    }
    BSTR empty = nullptr;
    ASSERT_EQ(S_OK, first->get_CompanyName(&empty));
    ASSERT_NE(nullptr, empty);  // an absent value is "", not null
    EXPECT_EQ(L"", Take(empty));

    // Live: a contact added afterwards is counted.
    AddContact(L"Moss, Dan", L"Dan", L"Moss");
    EXPECT_TRUE(WaitFor([&] { return Count() == 3; }));
}

TEST_F(PoomTest, RefusesBadCallsWithFailureResults)
{
    ASSERT_EQ(S_OK, Create());
    Ref<IPimFolder> folder;
    EXPECT_EQ(kPimErrNotLoggedOn, m_app->GetDefaultFolder(kPimFolderContacts, folder.out()));
    EXPECT_EQ(E_INVALIDARG, m_app->Logon(reinterpret_cast<HWND>(0x7654321)));
    EXPECT_EQ(E_INVALIDARG, m_app->Logon(nullptr));
    ASSERT_EQ(S_OK, m_app->Logon(m_window));
    EXPECT_TRUE(FAILED(m_app->GetDefaultFolder(9, folder.out())));
    EXPECT_EQ(nullptr, folder.p);
    EXPECT_EQ(E_POINTER, m_app->GetDefaultFolder(kPimFolderContacts, nullptr));
    Ref<IUnknown> item;
    EXPECT_TRUE(FAILED(m_app->GetItemFromOid(12345, item.out())));
    EXPECT_TRUE(FAILED(m_app->GetItemFromOid(-1, item.out())));
    EXPECT_TRUE(FAILED(m_app->CreateItem(1, item.out())));
    EXPECT_EQ(nullptr, item.p);

    ASSERT_EQ(S_OK, m_app->GetDefaultFolder(kPimFolderContacts, folder.out()));
    ASSERT_EQ(S_OK, folder->get_Items(m_items.out()));
    AddContact(L"Only", L"Only", L"");
    EXPECT_TRUE(FAILED(m_items->Item(0, item.out())));
    EXPECT_TRUE(FAILED(m_items->Item(2, item.out())));
    EXPECT_EQ(E_POINTER, m_items->get_Count(nullptr));

    Ref<IPimItem> folderItem;
    ASSERT_EQ(S_OK, folder->QueryInterface(IID_IPimItem, reinterpret_cast<void**>(folderItem.out())));
    PimPropValue other = {};
    other.propid = kPimPropPicture;
    EXPECT_TRUE(FAILED(folderItem->SetProps(0, 1, &other)));
    EXPECT_TRUE(FAILED(folderItem->SetProps(0, 1, nullptr)));
    // No interface it does not have.
    Ref<IUnknown> none;
    EXPECT_EQ(E_NOINTERFACE, folder->QueryInterface(IID_IPimContact, reinterpret_cast<void**>(none.out())));

    ASSERT_EQ(S_OK, m_app->Logoff());
    EXPECT_EQ(kPimErrNotLoggedOn, m_app->Logoff());
}

TEST_F(PoomTest, FavoritesIsAWholeCategoryAndSaveKeepsIt)
{
    struct Case {
        const wchar_t* before;
        bool addSucceeds;
        const wchar_t* afterAdd;
        const wchar_t* afterRemove;
    };
    const Case cases[] = {
        {L"", true, L"Favorites", L""},
        {L"Work", true, L"Work, Favorites", L"Work"},
        {L"MyFavorites, Favorites2", true, L"MyFavorites, Favorites2, Favorites", L"MyFavorites, Favorites2"},
        {L"Work, Favorites, Home", false, L"Work, Favorites, Home", L"Work, Home"},
    };
    std::vector<DWORD> oids;
    for (const Case& c : cases)
        oids.push_back(AddContact(L"F", L"F", L"", c.before));
    LogOn();
    for (size_t i = 0; i < oids.size(); ++i) {
        SCOPED_TRACE(cases[i].before);
        Ref<IPimItem> item;
        ByOid(oids[i], item.out());
        EXPECT_EQ(cases[i].addSucceeds, SUCCEEDED(item->AddCategory(L"Favorites")));
        ASSERT_EQ(S_OK, item->Save());
        EXPECT_EQ(cases[i].afterAdd, CategoriesOf(oids[i]));

        Ref<IPimItem> again;
        ByOid(oids[i], again.out());
        ASSERT_EQ(S_OK, again->RemoveCategory(L"Favorites"));
        EXPECT_TRUE(FAILED(again->RemoveCategory(L"Favorites")));  // absent now
        ASSERT_EQ(S_OK, again->Save());
        EXPECT_EQ(cases[i].afterRemove, CategoriesOf(oids[i]));
    }
    Ref<IPimItem> item;
    ByOid(oids[0], item.out());
    EXPECT_EQ(E_INVALIDARG, item->AddCategory(nullptr));
    EXPECT_EQ(E_INVALIDARG, item->AddCategory(L"A, B"));
    // Not saved: the store keeps what it had.
    ASSERT_EQ(S_OK, item->AddCategory(L"Unsaved"));
    EXPECT_EQ(L"", CategoriesOf(oids[0]));
}

// Adding and removing a category keeps every other part of the stored text,
// empty ones and blanks included.
TEST_F(PoomTest, AddAndRemoveCategoryKeepTheRestOfTheTextAsStored)
{
    const std::vector<CategoryTextCase>& cases = CategoryTextCases();
    std::vector<DWORD> oids;
    for (const CategoryTextCase& c : cases)
        oids.push_back(AddContact(L"C", L"C", L"", c.text));
    LogOn();
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        Ref<IPimItem> item;
        ByOid(oids[i], item.out());
        ASSERT_EQ(S_OK, item->AddCategory(L"Favorites"));
        ASSERT_EQ(S_OK, item->Save());
        EXPECT_EQ(cases[i].withFavorites, CategoriesOf(oids[i]));
        ASSERT_EQ(S_OK, item->RemoveCategory(L"Favorites"));
        ASSERT_EQ(S_OK, item->Save());
        EXPECT_EQ(cases[i].text, CategoriesOf(oids[i]));
    }
}

// An item holds a copy: saving it writes what was changed through it, not
// its copy of the fields another process changed since it was fetched.
TEST_F(PoomTest, SaveKeepsWhatAnotherProcessChangedSinceTheFetch)
{
    DWORD oid = AddContact(L"Lee, Ann", L"Ann", L"Lee", L"Work");
    LogOn();
    Ref<IPimItem> item;
    ByOid(oid, item.out());
    ASSERT_EQ(1u, RunOtherProcess(L"change-contact " + std::to_wstring(oid) + L" Nordco"));
    ASSERT_EQ(S_OK, item->AddCategory(L"Favorites"));
    ASSERT_EQ(S_OK, item->Save());
    VelDevContact stored;
    ASSERT_TRUE(TestStore()->FindContact(oid, &stored));
    EXPECT_EQ(L"Work, Favorites", stored.categories);
    EXPECT_EQ(L"Nordco", stored.company);
    EXPECT_EQ(L"Lee, Ann", stored.fileAs);
}

TEST_F(PoomTest, ChangesOfThisProcessPostLocalMessages)
{
    DWORD oid = AddContact(L"Fav, Eve", L"Eve", L"Fav");
    LogOn();
    Ref<IPimItem> item;
    ByOid(oid, item.out());
    ASSERT_EQ(S_OK, item->AddCategory(L"Favorites"));
    ASSERT_EQ(S_OK, item->Save());
    EXPECT_EQ(kPimMsgLocalChanged, WaitForChange(oid));

    // A new contact through the editor: it gets its oid when the editor saves.
    SetEnvironmentVariableW(L"VEL_POOM_EDIT_RESULT", L"0");
    SetEnvironmentVariableW(L"VEL_POOM_EDIT_FIELDS", L"FirstName=Nia;Mobile=+4479");
    Ref<IUnknown> created;
    ASSERT_EQ(S_OK, m_app->CreateItem(kPimItemContact, created.out()));
    Ref<IPimItem> createdItem;
    ASSERT_EQ(S_OK, created->QueryInterface(IID_IPimItem, reinterpret_cast<void**>(createdItem.out())));
    ASSERT_EQ(S_OK, createdItem->Edit(m_window));
    SetEnvironmentVariableW(L"VEL_POOM_EDIT_RESULT", nullptr);
    SetEnvironmentVariableW(L"VEL_POOM_EDIT_FIELDS", nullptr);
    Ref<IPimContact> createdContact;
    ASSERT_EQ(S_OK, created->QueryInterface(IID_IPimContact, reinterpret_cast<void**>(createdContact.out())));
    LONG newOid = 0;
    ASSERT_EQ(S_OK, createdContact->get_Oid(&newOid));
    ASSERT_GT(newOid, 0);
    EXPECT_EQ(kPimMsgLocalCreated, WaitForChange(newOid));
    VelDevContact stored;
    ASSERT_TRUE(TestStore()->FindContact(newOid, &stored));
    EXPECT_EQ(L"Nia", stored.firstName);
    EXPECT_EQ(L"+4479", stored.mobile);

    ASSERT_TRUE(TestStore()->DeleteContact(oid));
    EXPECT_EQ(kPimMsgLocalDeleted, WaitForChange(oid));
    for (const Posted& p : m_posted)
        EXPECT_LT(p.message, kPimMsgRemoteCreated);
}

TEST_F(PoomTest, ChangesOfAnotherProcessPostRemoteMessages)
{
    DWORD kept = AddContact(L"Kept", L"Kept", L"");
    LogOn();
    DWORD oid = RunOtherProcess(L"add-contact Ola Nord");
    ASSERT_GT(oid, 0u);
    EXPECT_EQ(kPimMsgRemoteCreated, WaitForChange(oid));
    EXPECT_EQ(2, Count());
    ASSERT_EQ(1u, RunOtherProcess(L"change-contact " + std::to_wstring(oid) + L" Nordco"));
    EXPECT_EQ(kPimMsgRemoteChanged, WaitForChange(oid));
    ASSERT_EQ(1u, RunOtherProcess(L"delete-contact " + std::to_wstring(oid)));
    EXPECT_EQ(kPimMsgRemoteDeleted, WaitForChange(oid));
    EXPECT_EQ(1, Count());
    Ref<IUnknown> gone;
    EXPECT_TRUE(FAILED(m_app->GetItemFromOid(oid, gone.out())));
    for (const Posted& p : m_posted)
        EXPECT_NE(static_cast<WPARAM>(kept), p.oid);
}

TEST_F(PoomTest, ContactAddedWithTheDeviceToolReachesTheLogonWindow)
{
    LogOn();
    ASSERT_EQ(0, RunKlDevice(L"contact add --first Tool --last Made --mobile +4477"));
    std::vector<VelDevContact> contacts = TestStore()->Contacts();
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ(kPimMsgRemoteCreated, WaitForChange(contacts[0].id));
}

TEST_F(PoomTest, NoMessagesForAFamilyTheMaskLeavesOut)
{
    DWORD oid = AddContact(L"Mask", L"Mask", L"");
    LogOn(kPimNotifyRemote);
    Ref<IPimItem> item;
    ByOid(oid, item.out());
    ASSERT_EQ(S_OK, item->AddCategory(L"Favorites"));
    ASSERT_EQ(S_OK, item->Save());
    // The remote change that follows proves delivery ran past the local one.
    DWORD other = RunOtherProcess(L"add-contact Rem Ote");
    EXPECT_EQ(kPimMsgRemoteCreated, WaitForChange(other));
    for (const Posted& p : m_posted)
        EXPECT_NE(static_cast<WPARAM>(oid), p.oid);
}

// The server's store watcher lives as long as an application or a collection
// of it: one left running when the process exits is killed mid-call by the
// exit, which can hang the exit.
TEST_F(PoomTest, TheStoreIsWatchedWhileAnApplicationOrCollectionLives)
{
    EXPECT_TRUE(ThreadsStartedIn(L"pimstore.dll").empty());
    AddContact(L"Solo", L"Solo", L"");
    LogOn();
    ASSERT_EQ(1u, ThreadsStartedIn(L"pimstore.dll").size());

    // A collection without its application still learns of new contacts.
    m_app.reset();
    EXPECT_EQ(1u, ThreadsStartedIn(L"pimstore.dll").size());
    EXPECT_EQ(1, Count());
    ASSERT_GT(RunOtherProcess(L"add-contact Rem Ote"), 0u);
    EXPECT_TRUE(WaitFor([&] { return Count() == 2; }));

    m_items.reset();
    EXPECT_TRUE(ThreadsStartedIn(L"pimstore.dll").empty());

    // The next application watches again and hears of changes.
    LogOn();
    EXPECT_EQ(1u, ThreadsStartedIn(L"pimstore.dll").size());
    DWORD third = RunOtherProcess(L"add-contact Thi Rd");
    ASSERT_GT(third, 0u);
    EXPECT_EQ(kPimMsgRemoteCreated, WaitForChange(third));
    EXPECT_EQ(3, Count());
    m_items.reset();
    m_app.reset();
    EXPECT_TRUE(ThreadsStartedIn(L"pimstore.dll").empty());
}

TEST_F(PoomTest, PictureOpensAsAStreamOfItsBytes)
{
    DWORD with = AddContact(L"Pic", L"Pic", L"");
    DWORD without = AddContact(L"NoPic", L"NoPic", L"");
    const std::string png("\x89PNG\r\n\x1a\n-not-really-an-image-", 29);
    ASSERT_TRUE(TestStore()->SetContactPicture(with, png, L"png"));
    LogOn();

    Ref<IPimItem> item;
    ByOid(with, item.out());
    Ref<IStream> stream;
    ASSERT_EQ(S_OK, item->OpenProperty(kPimPropPicture, GENERIC_READ, stream.out()));
    STATSTG stat = {};
    ASSERT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(png.size(), stat.cbSize.QuadPart);
    std::string read(64, '\0');
    ULONG got = 0;
    stream->Read(&read[0], static_cast<ULONG>(read.size()), &got);
    read.resize(got);
    EXPECT_EQ(png, read);

    Ref<IStream> none;
    EXPECT_TRUE(FAILED(item->OpenProperty(kPimPropPicture, GENERIC_WRITE, none.out())));
    EXPECT_TRUE(FAILED(item->OpenProperty(0x00FE0064, GENERIC_READ, none.out())));
    EXPECT_EQ(E_POINTER, item->OpenProperty(kPimPropPicture, GENERIC_READ, nullptr));
    Ref<IPimItem> plain;
    ByOid(without, plain.out());
    EXPECT_TRUE(FAILED(plain->OpenProperty(kPimPropPicture, GENERIC_READ, none.out())));
    EXPECT_EQ(nullptr, none.p);
}

TEST_F(PoomTest, EditorAndCardAreRecordedWithTheChosenResult)
{
    DWORD oid = AddContact(L"Card", L"Card", L"");
    LogOn();
    VelDevContact before;
    ASSERT_TRUE(TestStore()->FindContact(oid, &before));
    Ref<IPimItem> item;
    ByOid(oid, item.out());
    EXPECT_EQ(S_OK, item->Display(m_window));
    EXPECT_EQ(S_FALSE, item->Edit(m_window));  // nothing changed, nothing saved
    SetEnvironmentVariableW(L"VEL_POOM_DISPLAY_RESULT", L"0x80004005");
    EXPECT_EQ(E_FAIL, item->Display(m_window));
    SetEnvironmentVariableW(L"VEL_POOM_DISPLAY_RESULT", nullptr);
    EXPECT_EQ(E_INVALIDARG, item->Edit(reinterpret_cast<HWND>(0x7654321)));

    std::vector<std::wstring> lines = TestStore()->ReadLog(L"poom-ui.log");
    ASSERT_EQ(3u, lines.size());
    EXPECT_NE(std::wstring::npos, lines[0].find(L"Display oid=" + std::to_wstring(oid)));
    EXPECT_NE(std::wstring::npos, lines[1].find(L"Edit oid=" + std::to_wstring(oid)));
    EXPECT_NE(std::wstring::npos, lines[1].find(L"result=0x00000001"));
    EXPECT_NE(std::wstring::npos, lines[2].find(L"result=0x80004005"));
    VelDevContact stored;
    ASSERT_TRUE(TestStore()->FindContact(oid, &stored));
    EXPECT_EQ(before.revision, stored.revision);
}

TEST_F(PoomTest, FaultSwitchesFailCreationAndLogon)
{
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"poom.create");
    EXPECT_TRUE(FAILED(Create()));
    EXPECT_EQ(nullptr, m_app.p);
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"poom.logon");
    ASSERT_EQ(S_OK, Create());
    EXPECT_TRUE(FAILED(m_app->Logon(m_window)));
    Ref<IPimFolder> folder;
    EXPECT_EQ(kPimErrNotLoggedOn, m_app->GetDefaultFolder(kPimFolderContacts, folder.out()));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, nullptr);
}

TEST(PoomServer, EntryPointsAnswerOnlyTheirClass)
{
    HMODULE dll = LoadLibraryW(L"pimstore.dll");
    ASSERT_TRUE(dll);
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    ASSERT_TRUE(get && canUnload);
    ASSERT_TRUE(GetProcAddress(dll, "DllRegisterServer") && GetProcAddress(dll, "DllUnregisterServer"));
    void* factory = nullptr;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, get(IID_IPimApplication, IID_IClassFactory, &factory));
    EXPECT_EQ(nullptr, factory);
    ASSERT_EQ(S_OK, get(CLSID_PimApplication, IID_IClassFactory, &factory));
    IUnknown* app = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              static_cast<IClassFactory*>(factory)->CreateInstance(
                  reinterpret_cast<IUnknown*>(&factory), IID_IPimApplication, reinterpret_cast<void**>(&app)));
    EXPECT_EQ(E_NOINTERFACE, static_cast<IClassFactory*>(factory)->CreateInstance(nullptr, IID_IPimContact,
                                                                                  reinterpret_cast<void**>(&app)));
    static_cast<IClassFactory*>(factory)->Release();
    EXPECT_EQ(S_FALSE, canUnload());

    // Registered by the session scripts: the path COM loads is this folder's.
    wchar_t path[MAX_PATH] = {};
    LONG size = sizeof(path);
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryValueW(HKEY_CLASSES_ROOT, L"CLSID\\{1F00FD01-96C9-4C12-9088-121D0DF9C907}\\InprocServer32", path,
                             &size));
    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(dll, loaded, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiW(path, loaded));
}

}  // namespace

namespace {

// On a full store a save says it failed: a new contact gets no oid, a
// change is not kept.
TEST_F(PoomTest, ASaveTheStoreCannotKeepFails)
{
    DWORD oid = AddContact(L"Lee, Ann", L"Ann", L"Lee", L"");
    LogOn();
    Ref<IUnknown> made;
    ASSERT_EQ(S_OK, m_app->CreateItem(kPimItemContact, made.out()));
    Ref<IPimItem> fresh;
    ASSERT_EQ(S_OK, made->QueryInterface(IID_IPimItem, reinterpret_cast<void**>(fresh.out())));
    Ref<IPimItem> item;
    ByOid(oid, item.out());
    ASSERT_EQ(S_OK, item->AddCategory(L"Favorites"));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"store.write");
    EXPECT_TRUE(FAILED(fresh->Save()));
    EXPECT_TRUE(FAILED(item->Save()));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, 0);
    Ref<IPimContact> contact;
    ASSERT_EQ(S_OK, fresh->QueryInterface(IID_IPimContact, reinterpret_cast<void**>(contact.out())));
    LONG newOid = -1;
    ASSERT_EQ(S_OK, contact->get_Oid(&newOid));
    EXPECT_EQ(0, newOid);
    EXPECT_EQ(1u, TestStore()->Contacts().size());
    EXPECT_EQ(L"", CategoriesOf(oid));
}

}  // namespace
