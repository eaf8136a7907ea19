// The store as several processes share it: kldevice.exe and tmail.exe are
// started as the phone's other programs would be.
#include "PlatformTestSupport.h"

#include "CeCore.h"

#include <boost/shared_ptr.hpp>

#include <set>

namespace {

typedef TempStoreTest CrossProcessTest;

struct Collected {
    CRITICAL_SECTION cs;
    VelDevStoreChanges all;
    Collected() { InitializeCriticalSection(&cs); }
    ~Collected() { DeleteCriticalSection(&cs); }
    void Add(const VelDevStoreChanges& c)
    {
        EnterCriticalSection(&cs);
        all.contacts.insert(all.contacts.end(), c.contacts.begin(), c.contacts.end());
        all.calls.insert(all.calls.end(), c.calls.begin(), c.calls.end());
        all.messages.insert(all.messages.end(), c.messages.begin(), c.messages.end());
        LeaveCriticalSection(&cs);
    }
    VelDevStoreChanges Get()
    {
        EnterCriticalSection(&cs);
        VelDevStoreChanges copy = all;
        LeaveCriticalSection(&cs);
        return copy;
    }
};

// Waits for each started kldevice.exe, which must succeed, and lets go of it.
void ExpectEachEndsWell(const std::vector<HANDLE>& started)
{
    for (HANDLE p : started) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(p, 30000));
        DWORD code = 1;
        GetExitCodeProcess(p, &code);
        EXPECT_EQ(0u, code);
        CloseHandle(p);
    }
}

TEST_F(CrossProcessTest, ChangesByAnotherProcessArriveWithinASecondAsNotOwn)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    VelDevContact mine;
    mine.firstName = L"Mine";
    DWORD mineId = store->AddContact(mine);
    Collected got;
    DWORD cookie = store->AddListener([&](const VelDevStoreChanges& c) { got.Add(c); });

    ASSERT_EQ(0, RunKlDevice(L"contact add --first Ann --last Lee --mobile \"+1 555 0100\" --favorite"));
    DWORD t0 = GetTickCount();
    ASSERT_TRUE(WaitFor([&] { return got.Get().contacts.size() >= 1; }, 1000));
    EXPECT_LE(GetTickCount() - t0, 1000u);
    VelDevStoreChanges c = got.Get();
    ASSERT_EQ(1u, c.contacts.size());
    EXPECT_EQ(kDevCreated, c.contacts[0].type);
    EXPECT_FALSE(c.contacts[0].ownProcess);
    EXPECT_EQ(L"Favorites", c.contacts[0].after->categories);
    DWORD annId = c.contacts[0].id;

    ASSERT_EQ(0, RunKlDevice(L"contact change " + std::to_wstring(mineId) + L" --company Acme"));
    ASSERT_EQ(0, RunKlDevice(L"contact delete " + std::to_wstring(annId)));
    ASSERT_TRUE(WaitFor([&] { return got.Get().contacts.size() >= 3; }, 1000));
    c = got.Get();
    store->RemoveListener(cookie);
    EXPECT_EQ(kDevChanged, c.contacts[1].type);
    EXPECT_EQ(mineId, c.contacts[1].id);
    EXPECT_FALSE(c.contacts[1].ownProcess) << "changed by kldevice, though made here";
    EXPECT_EQ(kDevDeleted, c.contacts[2].type);
    EXPECT_FALSE(c.contacts[2].ownProcess);
}

// The data thread's view of a missed call: a call-log record and a change of
// "Missed Call Count", both from outside.
TEST_F(CrossProcessTest, AMissedCallFromOutsideNotifiesTheDatabaseAndTheRegistry)
{
    PhoneKeyGuard phoneKey;
    ASSERT_TRUE(VelDevSetMissedCallCount(0));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"System\\State\\Phone", 0, KEY_READ, &key));
    HANDLE change = CeFindFirstRegChange(key, FALSE, 4);
    RegCloseKey(key);
    ASSERT_NE(INVALID_HANDLE_VALUE, change);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(0);
    wc.lpszClassName = L"VelCrossProcessNotify";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, 0, 0, wc.hInstance, 0);
    CeVolumeGuid volume;
    CeVolumeOptions options = {};
    options.version = 1;
    options.bufferPoolBytes = 0x40000;
    ASSERT_EQ(1, CeMountDBVolEx(&volume, L"\\pim.vol", &options, 0x80000003));
    CeNotifyRequest request = {kNotifyRequestBytes, window, 1, 0, 1};
    HANDLE db = CeOpenDatabaseInSession(0, &volume, 0, L"clog.db", 0, 1, &request);
    ASSERT_NE(INVALID_HANDLE_VALUE, db);

    ASSERT_EQ(0, RunKlDevice(L"call missed \"+1 555 0177\" --name \"Bo Ek\""));
    MSG m = {};
    bool posted =
        WaitFor([&] { return PeekMessageW(&m, window, kCeDbNotifyMessage, kCeDbNotifyMessage, PM_REMOVE); }, 1000);
    EXPECT_TRUE(posted);
    if (posted) {
        CeNotification* rec = reinterpret_cast<CeNotification*>(m.lParam);
        EXPECT_EQ(kCeDbRecordCreated, rec->type);
        std::vector<VelDevCall> calls = VelDevStore::Open()->CallsNewestFirst();
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(calls[0].id, rec->oid);
        EXPECT_EQ(kDevCallMissed, calls[0].direction);
        EXPECT_TRUE(CeFreeNotification(&request, rec));
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(change, 1000));
    EXPECT_EQ(1u, VelDevGetMissedCallCount());

    CeFindCloseRegChange(change);
    CloseHandle(db);
    CeUnmountDBVol(&volume);
    DestroyWindow(window);
}

TEST_F(CrossProcessTest, ProcessesWritingAtOnceLoseNothing)
{
    const int kProcesses = 8;
    const int kOwnWrites = 30;
    std::vector<HANDLE> started;
    for (int i = 0; i < kProcesses; ++i) {
        HANDLE p = StartKlDevice(L"sms receive \"+1 555 01" + std::to_wstring(10 + i) + L"\" \"hello " +
                                 std::to_wstring(i) + L"\"");
        ASSERT_NE(static_cast<HANDLE>(0), p);
        started.push_back(p);
    }
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    for (int i = 0; i < kOwnWrites; ++i) {
        VelDevMessage m;
        m.text = L"own " + std::to_wstring(i);
        ASSERT_NE(0u, store->AddMessage(m));
    }
    ExpectEachEndsWell(started);
    std::vector<VelDevMessage> all = store->Messages();
    EXPECT_EQ(static_cast<size_t>(kProcesses + kOwnWrites), all.size());
    std::set<DWORD> ids;
    for (const VelDevMessage& m : all)
        ids.insert(m.id);
    EXPECT_EQ(all.size(), ids.size()) << "every writer got ids of its own";
}

// Other processes mark messages read while this one keeps rewriting their
// texts: each change of a record leaves the other's change standing.
TEST_F(CrossProcessTest, ChangesOfOneRecordFromTwoProcessesBothStay)
{
    const int kMessages = 6;
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    std::vector<DWORD> ids;
    for (int i = 0; i < kMessages; ++i) {
        VelDevMessage m;
        m.text = L"0";
        m.hasFlags = true;
        ids.push_back(store->AddMessage(m));
    }
    std::vector<HANDLE> started;
    for (DWORD id : ids) {
        HANDLE p = StartKlDevice(L"sms read " + std::to_wstring(id));
        ASSERT_NE(static_cast<HANDLE>(0), p);
        started.push_back(p);
    }
    int rounds = 0;
    for (bool running = true; running; ++rounds) {
        for (DWORD id : ids) {
            ASSERT_TRUE(store->ChangeMessage(id, [](VelDevMessage& m) {
                m.text = std::to_wstring(_wtoi(m.text.c_str()) + 1);
                return true;
            }));
        }
        running = WaitForMultipleObjects(static_cast<DWORD>(started.size()), &started[0], TRUE, 0) == WAIT_TIMEOUT;
    }
    ExpectEachEndsWell(started);
    for (DWORD id : ids) {
        VelDevMessage m;
        ASSERT_TRUE(store->FindMessage(id, &m));
        EXPECT_TRUE(m.IsRead()) << id;
        EXPECT_EQ(std::to_wstring(rounds), m.text) << id;
    }
}

TEST_F(CrossProcessTest, MissedCallsLoggedAtOnceAreAllCounted)
{
    PhoneKeyGuard phoneKey;
    ASSERT_TRUE(VelDevSetMissedCallCount(0));
    const int kProcesses = 8;
    std::vector<HANDLE> started;
    for (int i = 0; i < kProcesses; ++i) {
        HANDLE p = StartKlDevice(L"call missed \"+1 555 02" + std::to_wstring(10 + i) + L"\"");
        EXPECT_NE(static_cast<HANDLE>(0), p);
        if (!p)
            break;
        started.push_back(p);
    }
    // Those started count on after the test unless waited for.
    ExpectEachEndsWell(started);
    ASSERT_EQ(static_cast<size_t>(kProcesses), started.size());
    EXPECT_EQ(static_cast<size_t>(kProcesses), VelDevStore::Open()->CallsNewestFirst().size());
    EXPECT_EQ(static_cast<DWORD>(kProcesses), VelDevGetMissedCallCount());
}

TEST_F(CrossProcessTest, TheMessagingProgramKeepsItsRawCommandLine)
{
    wchar_t out[MAX_PATH];
    DWORD n = GetModuleFileNameW(0, out, MAX_PATH);
    std::wstring dir(out, n);
    dir = dir.substr(0, dir.find_last_of(L'\\'));
    // As the program starts it: the module by its bare name, looked up in the
    // current directory, and the line without the program's name in front.
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(dir.c_str());
    std::wstring lines[] = {L"-service \"SMS\" -to \"Ann Lee <+1 555 0100>;Bo <+1 555 0101>;\"",
                            L"-service \"SMS\" -to \"\""};
    for (const std::wstring& line : lines) {
        std::vector<wchar_t> buf(line.begin(), line.end());
        buf.push_back(0);
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(CreateProcessW(L"tmail.exe", &buf[0], 0, 0, FALSE, 0, 0, 0, &si, &pi)) << GetLastError();
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    SetCurrentDirectoryW(previous);
    std::vector<std::wstring> logged = VelDevStore::Open()->ReadLog(L"outbox.log");
    ASSERT_EQ(2u, logged.size());
    EXPECT_EQ(lines[0], logged[0]);
    EXPECT_EQ(lines[1], logged[1]);
}

TEST_F(CrossProcessTest, TheDemoSetHasWhatTheListsShow)
{
    PhoneKeyGuard phoneKey;  // the demo sets its missed-call count
    ASSERT_EQ(0, RunKlDevice(L"seed"));
    EXPECT_EQ(2u, VelDevGetMissedCallCount());
    EXPECT_EQ(1, RunKlDevice(L"seed")) << "a store with data is not overwritten by accident";
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    VelDevStoreData d = store->Snapshot();
    EXPECT_GE(d.contacts.size(), 24u);
    int favourites = 0, pictures = 0;
    for (const auto& kv : d.contacts) {
        if (kv.second.categories.find(L"Favorites") != std::wstring::npos)
            ++favourites;
        std::string bytes;
        if (store->ReadContactPicture(kv.first, &bytes)) {
            ++pictures;
            EXPECT_EQ(0u, bytes.find("BM"));
        }
    }
    EXPECT_GE(favourites, 4);
    EXPECT_GE(pictures, 4);

    // Calls reach back from today to last year.
    SYSTEMTIME now;
    GetLocalTime(&now);
    bool today = false, lastYear = false;
    for (const VelDevCall& c : d.CallsNewestFirst()) {
        FILETIME local;
        SYSTEMTIME st;
        FileTimeToLocalFileTime(&c.start, &local);
        FileTimeToSystemTime(&local, &st);
        today = today || (st.wYear == now.wYear && st.wMonth == now.wMonth && st.wDay == now.wDay);
        lastYear = lastYear || st.wYear == now.wYear - 1;
    }
    EXPECT_TRUE(today);
    EXPECT_TRUE(lastYear);
    EXPECT_GE(d.calls.size(), 12u);
    int unread = 0, sent = 0;
    for (const auto& kv : d.messages) {
        if (kv.second.folder == kDevSmsInbox && !kv.second.IsRead())
            ++unread;
        if (kv.second.folder == kDevSmsSent)
            ++sent;
    }
    EXPECT_GE(unread, 2);
    EXPECT_GE(sent, 2);
    EXPECT_EQ(0, RunKlDevice(L"seed --force"));
    EXPECT_EQ(d.contacts.size(), store->Contacts().size());
}

struct ToolCase {
    const char* what;
    const wchar_t* arguments;
    int exitCode;
};

void PrintTo(const ToolCase& c, std::ostream* os) { *os << c.what; }

class KlDeviceUsageTest : public TempStoreTest, public ::testing::WithParamInterface<ToolCase> {};

TEST_P(KlDeviceUsageTest, AnswersWithItsExitCode) { EXPECT_EQ(GetParam().exitCode, RunKlDevice(GetParam().arguments)); }

INSTANTIATE_TEST_SUITE_P(Tool, KlDeviceUsageTest,
                         ::testing::Values(ToolCase{"no_command", L"", 2},
                                           ToolCase{"unknown_command", L"frobnicate", 2},
                                           ToolCase{"unknown_option", L"contact add --nickname x", 2},
                                           ToolCase{"option_without_value", L"contact add --first", 2},
                                           ToolCase{"bad_oid", L"contact delete abc", 2},
                                           ToolCase{"no_such_contact", L"contact delete 999", 1},
                                           ToolCase{"no_such_message", L"sms move 5 sent", 1},
                                           ToolCase{"bad_folder", L"sms move 5 attic", 2}, ToolCase{"help", L"help", 0},
                                           ToolCase{"list_empty", L"list", 0}),
                         [](const ::testing::TestParamInfo<ToolCase>& info) { return std::string(info.param.what); });

TEST_F(CrossProcessTest, MessagesAreReceivedMovedMarkedAndDeleted)
{
    ASSERT_EQ(0, RunKlDevice(L"sms receive \"+1 555 0100\" \"Hi there\" --name Ann"));
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    std::vector<VelDevMessage> all = store->Messages();
    ASSERT_EQ(1u, all.size());
    DWORD id = all[0].id;
    EXPECT_FALSE(all[0].IsRead());
    EXPECT_EQ(L"Ann", all[0].senderName);
    EXPECT_EQ(L"+1 555 0100", all[0].senderAddress);
    EXPECT_TRUE(all[0].hasDeliveryTime);
    std::wstring sid = std::to_wstring(id);
    ASSERT_EQ(0, RunKlDevice(L"sms read " + sid));
    ASSERT_EQ(0, RunKlDevice(L"sms move " + sid + L" deleted"));
    VelDevMessage m;
    ASSERT_TRUE(store->FindMessage(id, &m));
    EXPECT_TRUE(m.IsRead());
    EXPECT_EQ(kDevSmsDeleted, m.folder);
    ASSERT_EQ(0, RunKlDevice(L"sms delete " + sid));
    EXPECT_FALSE(store->FindMessage(id, &m));
}

}  // namespace

namespace {

// A lookup answers from memory, yet what another process saved is there
// the moment it has been saved.
TEST_F(CrossProcessTest, ALookupSeesAChangeByAnotherProcessAtOnce)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    DWORD id = store->AddContact(VelDevContact());
    VelDevContact c;
    ASSERT_TRUE(store->FindContact(id, &c));
    ASSERT_EQ(0, RunKlDevice(L"contact change " + std::to_wstring(id) + L" --company Acme"));
    ASSERT_TRUE(store->FindContact(id, &c));
    EXPECT_EQ(L"Acme", c.company);
    ASSERT_EQ(0, RunKlDevice(L"contact delete " + std::to_wstring(id)));
    EXPECT_FALSE(store->FindContact(id, &c));
}

// kldevice on a full store says the store refused and hands out no id.
TEST_F(CrossProcessTest, KlDeviceReportsAnAddTheStoreCouldNotSave)
{
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"store.write");
    EXPECT_EQ(1, RunKlDevice(L"contact add --first Ann"));
    EXPECT_EQ(1, RunKlDevice(L"call missed \"+1 555 0100\""));
    EXPECT_EQ(1, RunKlDevice(L"sms receive \"+1 555 0100\" hello"));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, 0);
    VelDevStoreData d = VelDevStore::Open()->Snapshot();
    EXPECT_TRUE(d.contacts.empty());
    EXPECT_TRUE(d.calls.empty());
    EXPECT_TRUE(d.messages.empty());
    ASSERT_EQ(0, RunKlDevice(L"contact add --first Bo"));
    EXPECT_EQ(1u, VelDevStore::Open()->Contacts().at(0).id) << "the refused add took no id";
}

}  // namespace
