#include "PlatformTestSupport.h"

#include "CeCoreStandIn.h"
#include "TestThreads.h"

#include <boost/shared_ptr.hpp>

namespace {

// A hidden window that keeps every database notification it is sent.
class NotifyWindow {
public:
    NotifyWindow()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &NotifyWindow::Proc;
        wc.hInstance = GetModuleHandleW(0);
        wc.lpszClassName = L"VelPlatformTestNotify";
        RegisterClassW(&wc);
        m_hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, 0, 0, wc.hInstance, 0);
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~NotifyWindow()
    {
        if (m_hwnd)
            DestroyWindow(m_hwnd);
    }
    HWND hwnd() const { return m_hwnd; }
    void Destroy()
    {
        DestroyWindow(m_hwnd);
        m_hwnd = 0;
    }
    // Pumps this thread's messages until count records came or time is up.
    bool WaitForRecords(size_t count, DWORD timeoutMs)
    {
        return WaitFor(
            [&] {
                Pump();
                return records.size() >= count;
            },
            timeoutMs);
    }
    std::vector<CeNotification*> records;
    std::vector<WPARAM> wparams;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l)
    {
        NotifyWindow* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (msg == kCeDbNotifyMessage && self) {
            self->records.push_back(reinterpret_cast<CeNotification*>(l));
            self->wparams.push_back(w);
            return 0;
        }
        return DefWindowProcW(h, msg, w, l);
    }
    HWND m_hwnd;
};

class CeDatabaseTest : public TempStoreTest {
protected:
    void SetUp() override
    {
        TempStoreTest::SetUp();
        options = CeVolumeOptions();
        options.version = 1;
        options.bufferPoolBytes = 0x40000;
    }
    CeNotifyRequest Request(HWND w)
    {
        CeNotifyRequest r = {};
        r.size = kNotifyRequestBytes;
        r.window = w;
        r.flags = 1;
        r.heap = 0;
        r.param = 1;
        return r;
    }
    CeVolumeOptions options;
};

TEST_F(CeDatabaseTest, CallLogChangesArePostedAsRecordsUntilTheHandleIsClosed)
{
    NotifyWindow window;
    CeVolumeGuid volume = {};
    ASSERT_EQ(1, CeMountDBVolEx(&volume, L"\\pim.vol", &options, 0x80000003));
    CeNotifyRequest request = Request(window.hwnd());
    HANDLE db = CeOpenDatabaseInSession(0, &volume, 0, L"clog.db", 0, 1, &request);
    ASSERT_NE(INVALID_HANDLE_VALUE, db);

    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    DWORD id = store->AddCall(MakeCall(kDevCallMissed, L"555", 0, 1));
    ASSERT_TRUE(window.WaitForRecords(1, 1000));
    CeNotification* rec = window.records[0];
    EXPECT_EQ(36u, rec->size);
    EXPECT_EQ(1u, rec->param);
    EXPECT_EQ(kCeDbRecordCreated, rec->type);
    EXPECT_EQ(id, rec->oid);
    EXPECT_EQ(0, memcmp(&rec->volume, &volume, sizeof volume));
    EXPECT_TRUE(CeFreeNotification(&request, rec));
    EXPECT_FALSE(CeFreeNotification(&request, rec)) << "a record is handed back once";

    VelDevCall call;
    ASSERT_TRUE(store->FindCall(id, &call));
    call.flags = 4;
    ASSERT_TRUE(store->UpdateCall(call));
    ASSERT_TRUE(window.WaitForRecords(2, 1000));
    EXPECT_EQ(kCeDbRecordChanged, window.records[1]->type);
    ASSERT_TRUE(store->DeleteCall(id));
    ASSERT_TRUE(window.WaitForRecords(3, 1000));
    EXPECT_EQ(kCeDbRecordDeleted, window.records[2]->type);
    EXPECT_EQ(id, window.records[2]->oid);

    store->AddContact(VelDevContact());  // not the call log
    EXPECT_FALSE(window.WaitForRecords(4, 400));

    CloseHandle(db);
    store->AddCall(MakeCall(kDevCallIncoming, L"1", 0, 1));
    EXPECT_FALSE(window.WaitForRecords(4, 600)) << "nothing after the handle is closed";
    for (size_t i = 1; i < window.records.size(); ++i)
        EXPECT_TRUE(CeFreeNotification(&request, window.records[i]));

    EXPECT_EQ(1u, ThreadsStartedIn(L"cecore.dll").size()) << "the store's watcher";
    EXPECT_TRUE(CeUnmountDBVol(&volume));
    EXPECT_TRUE(ThreadsStartedIn(L"cecore.dll").empty()) << "no watcher left for the exit to kill";
    EXPECT_FALSE(CeUnmountDBVol(&volume)) << "mounted once, unmounted once";
}

TEST_F(CeDatabaseTest, OnlyARecordPostedAndNotFreedIsPending)
{
    NotifyWindow window;
    CeVolumeGuid volume = {};
    ASSERT_EQ(1, CeMountDBVolEx(&volume, L"\\pim.vol", &options, 0x80000003));
    CeNotifyRequest request = Request(window.hwnd());
    HANDLE db = CeOpenDatabaseInSession(0, &volume, 0, L"clog.db", 0, 1, &request);
    ASSERT_NE(INVALID_HANDLE_VALUE, db);
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    store->AddCall(MakeCall(kDevCallMissed, L"555", 0, 1));
    ASSERT_TRUE(window.WaitForRecords(1, 1000));

    EXPECT_TRUE(CeIsNotificationPending(window.records[0]));
    CeNotification lookalike = *window.records[0];
    EXPECT_FALSE(CeIsNotificationPending(&lookalike));
    EXPECT_FALSE(CeIsNotificationPending(reinterpret_cast<CeNotification*>(0x12345678)));
    EXPECT_FALSE(CeIsNotificationPending(0));
    EXPECT_TRUE(CeFreeNotification(&request, window.records[0]));
    EXPECT_FALSE(CeIsNotificationPending(window.records[0])) << "handed back";
    CloseHandle(db);
    CeUnmountDBVol(&volume);
}

TEST_F(CeDatabaseTest, RecordsComeFromTheRequestsHeap)
{
    NotifyWindow window;
    HANDLE heap = HeapCreate(0, 0, 0);
    CeVolumeGuid volume;
    ASSERT_TRUE(CeMountDBVolEx(&volume, L"\\pim.vol", &options, 0x80000003));
    CeNotifyRequest request = Request(window.hwnd());
    request.heap = heap;
    request.param = 77;
    HANDLE db = CeOpenDatabaseInSession(0, &volume, 0, L"clog.db", 0, 1, &request);
    ASSERT_NE(INVALID_HANDLE_VALUE, db);
    VelDevStore::Open()->AddCall(MakeCall(kDevCallIncoming, L"1", 0, 1));
    ASSERT_TRUE(window.WaitForRecords(1, 1000));
    EXPECT_EQ(77u, window.records[0]->param);
    EXPECT_NE(static_cast<SIZE_T>(-1), HeapSize(heap, 0, window.records[0]));
    EXPECT_TRUE(CeFreeNotification(&request, window.records[0]));
    CloseHandle(db);
    CeUnmountDBVol(&volume);
    HeapDestroy(heap);
}

TEST_F(CeDatabaseTest, AGoneWindowGetsNothingAndLosesNothing)
{
    NotifyWindow window;
    CeVolumeGuid volume;
    ASSERT_TRUE(CeMountDBVolEx(&volume, L"\\pim.vol", &options, 0x80000003));
    CeNotifyRequest request = Request(window.hwnd());
    HANDLE db = CeOpenDatabaseInSession(0, &volume, 0, L"clog.db", 0, 1, &request);
    ASSERT_NE(INVALID_HANDLE_VALUE, db);
    window.Destroy();
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    store->AddCall(MakeCall(kDevCallIncoming, L"1", 0, 1));
    store->Refresh();
    Sleep(300);
    EXPECT_EQ(1u, store->CallsNewestFirst().size());
    CloseHandle(db);
    CeUnmountDBVol(&volume);
}

struct OpenCase {
    const char* what;
    bool mount;
    const wchar_t* name;
    CeObjectId oid;
    DWORD requestSize;
    DWORD requestFlags;
    bool otherVolume;
    DWORD error;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.what; }

class CeOpenFailureTest : public CeDatabaseTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(CeOpenFailureTest, IsRefusedWithTheLastError)
{
    const OpenCase& c = GetParam();
    NotifyWindow window;
    CeVolumeGuid volume = {{1, 2, 3, 4}};
    if (c.mount) {
        ASSERT_TRUE(CeMountDBVolEx(&volume, L"\\pim.vol", &options, 0x80000003));
    }
    if (c.otherVolume)
        volume.part[0] ^= 1;
    CeNotifyRequest request = Request(window.hwnd());
    request.size = c.requestSize;
    request.flags = c.requestFlags;
    CeObjectId oid = c.oid;
    SetLastError(0);
    HANDLE db = CeOpenDatabaseInSession(0, &volume, &oid, c.name, 0, 1, &request);
    EXPECT_EQ(INVALID_HANDLE_VALUE, db) << c.what;
    EXPECT_EQ(c.error, GetLastError()) << c.what;
    if (c.otherVolume)
        volume.part[0] ^= 1;
    if (c.mount)
        CeUnmountDBVol(&volume);
}

INSTANTIATE_TEST_SUITE_P(
    Open, CeOpenFailureTest,
    ::testing::Values(
        OpenCase{"not_mounted", false, L"clog.db", 0, kNotifyRequestBytes, 1, false, ERROR_INVALID_PARAMETER},
        OpenCase{"other_volume", true, L"clog.db", 0, kNotifyRequestBytes, 1, true, ERROR_INVALID_PARAMETER},
        OpenCase{"empty_name", true, L"", 0, kNotifyRequestBytes, 1, false, ERROR_FILE_NOT_FOUND},
        OpenCase{"unknown_name", true, L"contacts.db", 0, kNotifyRequestBytes, 1, false, ERROR_FILE_NOT_FOUND},
        OpenCase{"by_object_id", true, L"clog.db", 42, kNotifyRequestBytes, 1, false, ERROR_FILE_NOT_FOUND},
        OpenCase{"request_size", true, L"clog.db", 0, 2 * kNotifyRequestBytes, 1, false, ERROR_INVALID_PARAMETER},
        OpenCase{"request_flags", true, L"clog.db", 0, kNotifyRequestBytes, 0, false, ERROR_INVALID_PARAMETER}),
    [](const ::testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.what); });

TEST_F(CeDatabaseTest, MountAndOpenFaultsAndOtherVolumes)
{
    CeVolumeGuid volume;
    SetLastError(0);
    EXPECT_FALSE(CeMountDBVolEx(&volume, L"\\other.vol", &options, 0x80000003));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"db.mount");
    EXPECT_FALSE(CeMountDBVolEx(&volume, L"\\pim.vol", &options, 0x80000003));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"db.open=5");
    ASSERT_TRUE(CeMountDBVolEx(&volume, L"\\pim.vol", &options, 0x80000003));
    EXPECT_EQ(INVALID_HANDLE_VALUE, CeOpenDatabaseInSession(0, &volume, 0, L"clog.db", 0, 1, 0));
    EXPECT_EQ(5u, GetLastError());
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, 0);
    HANDLE db = CeOpenDatabaseInSession(0, &volume, 0, L"clog.db", 0, 1, 0);
    EXPECT_NE(INVALID_HANDLE_VALUE, db) << "no request: opened, nothing posted";
    CloseHandle(db);
    EXPECT_TRUE(CeUnmountDBVol(&volume));
    EXPECT_FALSE(CeFreeNotification(0, 0));
    CeNotification stray = {};
    EXPECT_FALSE(CeFreeNotification(0, &stray)) << "not one of ours";
}

// A key of the test's own, watched as the data thread watches the phone's.
class CeRegChangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t path[96];
        _snwprintf(path, 96, L"Software\\VelmoraTests\\RegChange%lu", GetCurrentProcessId());
        path[95] = 0;
        m_path = path;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, 0, 0, KEY_ALL_ACCESS, 0, &m_writer, 0));
    }
    void TearDown() override
    {
        RegCloseKey(m_writer);
        RegDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
    }
    void SetCount(DWORD v)
    {
        RegSetValueExW(m_writer, L"Missed Call Count", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), sizeof v);
    }
    std::wstring m_path;
    HKEY m_writer = 0;
};

TEST_F(CeRegChangeTest, SignalsEachChangeAfterReArmingEvenThoughTheKeyWasClosed)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &key));
    HANDLE change = CeFindFirstRegChange(key, FALSE, 4);
    RegCloseKey(key);
    ASSERT_NE(INVALID_HANDLE_VALUE, change);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(change, 150)) << "closing the key is no change";

    SetCount(3);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(change, 1000));
    SetCount(4);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(change, 150)) << "one change per arming";

    ASSERT_TRUE(CeFindNextRegChange(change));
    SetCount(5);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(change, 1000));

    EXPECT_TRUE(CeFindCloseRegChange(change));
    EXPECT_FALSE(CeFindCloseRegChange(change));
    EXPECT_FALSE(CeFindNextRegChange(change));
    EXPECT_FALSE(CeFindNextRegChange(reinterpret_cast<HANDLE>(0x4321)));
    EXPECT_EQ(INVALID_HANDLE_VALUE, CeFindFirstRegChange(reinterpret_cast<HKEY>(0x4321), FALSE, 4));
}

TEST_F(CeRegChangeTest, AWatchClosedWithCloseHandleLeavesNothingToSignalAnotherEvent)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &key));
    HANDLE change = CeFindFirstRegChange(key, FALSE, 4);
    RegCloseKey(key);
    ASSERT_NE(INVALID_HANDLE_VALUE, change);
    ASSERT_TRUE(CloseHandle(change));

    // The handle's value comes back for an event of someone else's.
    std::vector<HANDLE> others;
    HANDLE unrelated = 0;
    for (int i = 0; i < 256 && unrelated != change; ++i) {
        unrelated = CreateEventW(0, FALSE, FALSE, 0);
        if (unrelated != change)
            others.push_back(unrelated);
    }
    for (HANDLE other : others)
        CloseHandle(other);
    ASSERT_EQ(change, unrelated) << "the platform hands out the freed value again";
    EXPECT_FALSE(CeFindNextRegChange(unrelated));
    SetCount(7);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(unrelated, 300));
    EXPECT_FALSE(CeFindCloseRegChange(unrelated));
    EXPECT_TRUE(CloseHandle(unrelated)) << "someone else's event is not closed for them";

    // A watch made afterwards works as ever.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &key));
    HANDLE next = CeFindFirstRegChange(key, FALSE, 4);
    RegCloseKey(key);
    ASSERT_NE(INVALID_HANDLE_VALUE, next);
    SetCount(8);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(next, 1000));
    EXPECT_TRUE(CeFindNextRegChange(next));
    EXPECT_TRUE(CeFindCloseRegChange(next));
}

TEST_F(TempStoreTest, KernelDebugPrintWritesAStoreConversionAsItStands)
{
    std::wstring log = File(L"debug.log");
    SetEnvironmentVariableW(VEL_DEBUG_LOG_ENV, log.c_str());
    NKDbgPrintfW(L"at 100%n and %d%% of %ls%5n\n", 5, L"all");
    SetEnvironmentVariableW(VEL_DEBUG_LOG_ENV, 0);
    EXPECT_EQ("at 100%n and 5% of all%5n\n", ReadBytes(L"debug.log"));
}

TEST_F(TempStoreTest, KernelDebugPrintHasWideSemanticsAndIsCutSafely)
{
    std::wstring log = File(L"debug.log");
    SetEnvironmentVariableW(VEL_DEBUG_LOG_ENV, log.c_str());
    NKDbgPrintfW(L"VelEdbDatabase::Open: CeOpenDatabaseInSession %s failed %d.\n", L"clog.db", 2);
    std::wstring longText(3000, L'x');
    NKDbgPrintfW(L"%s", longText.c_str());
    SetEnvironmentVariableW(VEL_DEBUG_LOG_ENV, 0);
    std::string text = ReadBytes(L"debug.log");
    EXPECT_EQ(0u, text.find("VelEdbDatabase::Open: CeOpenDatabaseInSession clog.db failed 2.\n"));
    size_t xs = text.size() - text.find('x');
    EXPECT_EQ(1023u, xs) << "cut to the line buffer and terminated";
}

}  // namespace
