#include "PlatformTestSupport.h"

#include <boost/shared_ptr.hpp>

namespace {

typedef TempStoreTest DevStoreTest;

// Reading back from disk, not from the writer's memory.
VelDevStoreData ReadFresh(const std::wstring& folder) {
    boost::shared_ptr<VelDevStore> store = VelDevStore::OpenAt(folder);
    return store->Snapshot();
}

TEST_F(DevStoreTest, RecordsSurviveSaveAndReload) {
    VelDevContact c;
    c.fileAs = L"  Ørsted, Hans\\Christian  ";
    c.firstName = L"Hans";
    c.lastName = L"Ørsted";
    c.mobile = L"+45 1234";
    c.categories = L"Work, Favorites";
    VelDevCall call = MakeCall(kDevCallIncoming, L"", 0, 5);   // empty number, absent name
    call.start.dwLowDateTime |= 7;                               // sub-millisecond part
    call.note = VelDevOptText(L"line1\r\nline2\ttab");
    VelDevMessage m;
    m.folder = kDevSmsSent;
    m.text = L"one\r\ntwo\tthree ";
    m.recipients.push_back({L"Ann; B", L"+1 555"});
    m.recipients.push_back({L"", L"+1 556"});
    m.hasFlags = true;
    m.flags = 1;
    VelDevMessage bare;   // no delivery time, no flags
    bare.text = L"[not a section]";
    DWORD cid, kid, mid, bid;
    {
        boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
        cid = store->AddContact(c);
        kid = store->AddCall(call);
        mid = store->AddMessage(m);
        bid = store->AddMessage(bare);
        ASSERT_NE(0u, cid);
        ASSERT_NE(0u, kid);
        ASSERT_NE(0u, mid);
    }
    VelDevStoreData d = ReadFresh(m_folder);
    ASSERT_EQ(1u, d.contacts.size());
    const VelDevContact& rc = d.contacts[cid];
    EXPECT_EQ(c.fileAs, rc.fileAs);
    EXPECT_EQ(c.lastName, rc.lastName);
    EXPECT_EQ(c.categories, rc.categories);
    EXPECT_EQ(1u, rc.revision);
    EXPECT_EQ(GetCurrentProcessId(), rc.writer);

    const VelDevCall& rk = d.calls[kid];
    EXPECT_TRUE(rk.number.present);
    EXPECT_EQ(L"", rk.number.text);
    EXPECT_FALSE(rk.name.present);
    EXPECT_FALSE(rk.nameType.present);
    EXPECT_EQ(call.note.text, rk.note.text);
    EXPECT_EQ(0, CompareFileTime(&call.start, &rk.start));
    EXPECT_EQ(0, CompareFileTime(&call.end, &rk.end));
    EXPECT_EQ(kDevCallIncoming, rk.direction);
    EXPECT_EQ(6u, rk.flags);

    const VelDevMessage& rm = d.messages[mid];
    EXPECT_EQ(kDevSmsSent, rm.folder);
    EXPECT_EQ(m.text, rm.text);
    ASSERT_EQ(2u, rm.recipients.size());
    EXPECT_EQ(L"Ann; B", rm.recipients[0].name);
    EXPECT_EQ(L"+1 556", rm.recipients[1].address);
    EXPECT_TRUE(rm.IsRead());
    EXPECT_FALSE(d.messages[bid].hasFlags);
    EXPECT_FALSE(d.messages[bid].hasDeliveryTime);
    EXPECT_EQ(L"[not a section]", d.messages[bid].text);
}

TEST_F(DevStoreTest, RevisionsCountChangesAndIdsAreNeverReused) {
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    VelDevContact c;
    c.firstName = L"A";
    DWORD a = store->AddContact(c);
    DWORD b = store->AddContact(c);
    EXPECT_NE(a, b);
    VelDevContact got;
    ASSERT_TRUE(store->FindContact(a, &got));
    ASSERT_TRUE(store->UpdateContact(got));   // unchanged content
    ASSERT_TRUE(store->FindContact(a, &got));
    EXPECT_EQ(1u, got.revision);
    got.company = L"Acme";
    ASSERT_TRUE(store->UpdateContact(got));
    ASSERT_TRUE(store->FindContact(a, &got));
    EXPECT_EQ(2u, got.revision);

    ASSERT_TRUE(store->DeleteContact(b));
    EXPECT_FALSE(store->DeleteContact(b));
    store.reset();
    store = VelDevStore::Open();
    DWORD c3 = store->AddContact(c);
    EXPECT_GT(c3, b);
    got.id = b;
    EXPECT_FALSE(store->UpdateContact(got));
}

TEST_F(DevStoreTest, CallsComeNewestFirst) {
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    DWORD old = store->AddCall(MakeCall(kDevCallMissed, L"1", 0, 600));
    DWORD newest = store->AddCall(MakeCall(kDevCallOutgoing, L"2", 0, 1));
    DWORD middle = store->AddCall(MakeCall(kDevCallIncoming, L"3", 0, 60));
    std::vector<VelDevCall> calls = store->CallsNewestFirst();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(newest, calls[0].id);
    EXPECT_EQ(middle, calls[1].id);
    EXPECT_EQ(old, calls[2].id);
}

struct DamageCase {
    const char* what;
    std::string (*damage)(const std::string& good);
    const wchar_t* debugPart;
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.what; }

std::string Truncate(const std::string& good) {
    // Cut inside the last record, as a crash while writing by hand would.
    size_t last = good.rfind("[3]");
    return good.substr(0, good.find("direction", last));
}

std::string BadRecord(const std::string& good) {
    std::string s = good;
    size_t at = s.find("direction", s.find("[2]"));
    return s.insert(at, "start = yesterday-ish\n");
}

std::string Latin1(const std::string& good) {
    std::string s = good;
    size_t at = s.find("number", s.find("[2]"));
    return s.insert(at, "name = M\xFCller\n");
}

std::string JunkLine(const std::string& good) {
    std::string s = good;
    size_t at = s.find("number", s.find("[2]"));
    return s.insert(at, "this line has no equals sign\n");
}

std::string Utf16(const std::string& good) {
    std::wstring wide = VelDevFromUtf8(BadRecord(good));
    return std::string("\xFF\xFE") + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
}

class DevStoreDamageTest : public TempStoreTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DevStoreDamageTest, LoadsTheGoodRecordsAndKeepsThemOnTheNextSave) {
    const DamageCase& dc = GetParam();
    DWORD ids[3];
    {
        boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
        for (int i = 0; i < 3; ++i) ids[i] = store->AddCall(MakeCall(kDevCallIncoming, L"555", L"N", 10 + i));
    }
    ASSERT_EQ(3u, ids[2]);
    std::string good = ReadBytes(L"calllog.ini");
    WriteBytes(L"calllog.ini", dc.damage(good));

    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    VelDevStoreData d = store->Snapshot();
    EXPECT_EQ(2u, d.calls.size()) << dc.what;
    EXPECT_TRUE(d.calls.count(1)) << dc.what;
    EXPECT_TRUE(DebugSays(dc.debugPart)) << dc.what;
    EXPECT_TRUE(DebugSays(L"skipped")) << dc.what;

    DWORD added = store->AddCall(MakeCall(kDevCallMissed, L"777", 0, 1));
    EXPECT_GT(added, 3u) << "an id seen in the damaged record is not given out again";
    store.reset();
    VelDevStoreData after = ReadFresh(m_folder);
    EXPECT_EQ(3u, after.calls.size()) << dc.what;
    EXPECT_TRUE(after.calls.count(1)) << dc.what;
    EXPECT_TRUE(after.calls.count(added)) << dc.what;
    EXPECT_FALSE(ReadBytes(L"calllog.ini.damaged").empty()) << "the damaged file is kept aside";
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DevStoreDamageTest,
    ::testing::Values(DamageCase{"truncated", Truncate, L"record [3] skipped: no revision"},
                      DamageCase{"bad field", BadRecord, L"record [2] skipped: bad or missing start"},
                      DamageCase{"latin-1 byte", Latin1, L"record [2] skipped: not UTF-8"},
                      DamageCase{"junk line", JunkLine, L"record [2] skipped: malformed line"},
                      DamageCase{"utf-16 file", Utf16, L"UTF-16"}),
    [](const ::testing::TestParamInfo<DamageCase>& info) {
        std::string name = info.param.what;
        for (char& c : name) {
            if (!isalnum(static_cast<unsigned char>(c))) c = '_';
        }
        return name;
    });

TEST_F(DevStoreTest, ListenersHearOwnChangesWithWhatChanged) {
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    DWORD keep = store->AddContact(VelDevContact());
    DWORD drop = store->AddContact(VelDevContact());
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    std::vector<VelDevChange<VelDevContact> > seen;
    DWORD cookie = store->AddListener([&](const VelDevStoreChanges& c) {
        EnterCriticalSection(&cs);
        seen.insert(seen.end(), c.contacts.begin(), c.contacts.end());
        LeaveCriticalSection(&cs);
    });
    VelDevContact changed;
    ASSERT_TRUE(store->FindContact(keep, &changed));
    changed.categories = L"Favorites";
    ASSERT_TRUE(store->UpdateContact(changed));
    ASSERT_TRUE(store->DeleteContact(drop));
    DWORD made = store->AddContact(VelDevContact());
    auto count = [&] {
        EnterCriticalSection(&cs);
        size_t n = seen.size();
        LeaveCriticalSection(&cs);
        return n;
    };
    EXPECT_TRUE(WaitFor([&] { return count() >= 3; }, 1000));
    store->RemoveListener(cookie);
    ASSERT_EQ(3u, seen.size());
    bool gotChange = false, gotDelete = false, gotCreate = false;
    for (const auto& c : seen) {
        EXPECT_TRUE(c.ownProcess);
        if (c.type == kDevChanged && c.id == keep) {
            gotChange = c.before && c.after && c.before->categories.empty() && c.after->categories == L"Favorites";
        }
        if (c.type == kDevDeleted && c.id == drop) gotDelete = c.before && !c.after;
        if (c.type == kDevCreated && c.id == made) gotCreate = !c.before && c.after;
    }
    EXPECT_TRUE(gotChange);
    EXPECT_TRUE(gotDelete);
    EXPECT_TRUE(gotCreate);
    DeleteCriticalSection(&cs);
}

TEST_F(DevStoreTest, AnEditOfTheFileFromOutsideIsNotOwn) {
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    DWORD id = store->AddCall(MakeCall(kDevCallIncoming, L"1", 0, 3));
    std::vector<VelDevChange<VelDevCall> > seen;
    store->AddListener([&](const VelDevStoreChanges& c) { seen.insert(seen.end(), c.calls.begin(), c.calls.end()); });
    std::string text = ReadBytes(L"calllog.ini");
    size_t at = text.find("writer");
    text.replace(at, text.find('\n', at) - at, "writer = 1");
    text.replace(text.find("flags = 6"), 9, "flags = 4");
    WriteBytes(L"calllog.ini", text);
    store->Refresh();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(kDevChanged, seen[0].type);
    EXPECT_EQ(id, seen[0].id);
    EXPECT_FALSE(seen[0].ownProcess);
    EXPECT_EQ(4u, seen[0].after->flags);
}

TEST_F(DevStoreTest, PicturesLiveBesideTheDataAndGoWithTheContact) {
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    DWORD id = store->AddContact(VelDevContact());
    ASSERT_TRUE(store->SetContactPicture(id, "first", L"bmp"));
    VelDevContact c;
    ASSERT_TRUE(store->FindContact(id, &c));
    std::wstring firstPath = store->PicturePath(c);
    ASSERT_TRUE(store->SetContactPicture(id, "second", L"bmp"));
    std::string bytes;
    ASSERT_TRUE(store->ReadContactPicture(id, &bytes));
    EXPECT_EQ("second", bytes);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(firstPath.c_str()));
    ASSERT_TRUE(store->FindContact(id, &c));
    EXPECT_EQ(3u, c.revision);
    std::wstring path = store->PicturePath(c);
    ASSERT_TRUE(store->DeleteContact(id));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
    EXPECT_FALSE(store->SetContactPicture(id, "x", L"bmp"));
}

TEST_F(DevStoreTest, FaultsComeFromTheEnvironmentAndTheSettings) {
    EXPECT_FALSE(VelDevFault(L"phone.open"));
    WriteBytes(L"settings.ini", "[faults]\nphone.open = 0x80004005\ndb.open = 0\n");
    EXPECT_TRUE(VelDevFault(L"phone.open"));
    EXPECT_EQ(0x80004005u, VelDevFaultValue(L"phone.open", 7));
    EXPECT_FALSE(VelDevFault(L"db.open"));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"poom.logon,db.open=2");
    EXPECT_TRUE(VelDevFault(L"poom.logon"));
    EXPECT_EQ(2u, VelDevFaultValue(L"db.open", 0));
    EXPECT_EQ(9u, VelDevFaultValue(L"poom.logon", 9)) << "a switch without a number";
}

TEST_F(DevStoreTest, AMissingStoreReadsEmptyAndRefusesWrites) {
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    ASSERT_NE(0u, store->AddContact(VelDevContact()));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"store.missing");
    EXPECT_TRUE(store->IsMissing());
    EXPECT_TRUE(store->Contacts().empty());
    EXPECT_EQ(0u, store->AddContact(VelDevContact()));
    EXPECT_FALSE(store->AppendLog(L"x.log", L"line"));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, 0);
    EXPECT_EQ(1u, store->Contacts().size());
}

// The folder taken away under a listener: quiet while it is gone, heard
// again once it is back.
TEST_F(DevStoreTest, AFolderThatGoesAwayIsWaitedForQuietly) {
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    store->AddContact(VelDevContact());
    volatile LONG heard = 0;
    DWORD cookie = store->AddListener([&](const VelDevStoreChanges& c) { InterlockedExchangeAdd(&heard, c.contacts.size()); });
    DeleteFileW(File(L"contacts.ini").c_str());
    ASSERT_TRUE(RemoveDirectoryW(m_folder.c_str()));
    // Wine removes the folder only once the watcher's handle on it is closed.
    ASSERT_TRUE(WaitFor([&] { return store->IsMissing(); }, 3000));
    Sleep(800);  // several of the watcher's polls
    EXPECT_FALSE(DebugSays(L"cannot be read"));
    CreateDirectoryW(m_folder.c_str(), 0);
    VelDevContact back;
    back.firstName = L"Back";
    store->AddContact(back);
    EXPECT_TRUE(WaitFor([&] { return heard > 0; }, 1000));
    store->RemoveListener(cookie);
}

TEST_F(DevStoreTest, LogLinesKeepTheirText) {
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    ASSERT_TRUE(store->AppendLog(L"outbox.log", L"-service \"SMS\" -to \"C:\\x\r\n\""));
    ASSERT_TRUE(store->AppendLog(L"outbox.log", L"second"));
    std::vector<std::wstring> lines = store->ReadLog(L"outbox.log");
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"-service \"SMS\" -to \"C:\\x\r\n\"", lines[0]);
    EXPECT_EQ(L"second", lines[1]);
}

TEST_F(DevStoreTest, TwoThreadsWritingAtOnceLoseNothing) {
    struct Writer {
        static DWORD WINAPI Main(void*) {
            boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
            for (int i = 0; i < 40; ++i) store->AddMessage(VelDevMessage());
            return 0;
        }
    };
    HANDLE t[2];
    for (HANDLE& h : t) h = CreateThread(0, 0, &Writer::Main, 0, 0, 0);
    WaitForMultipleObjects(2, t, TRUE, INFINITE);
    for (HANDLE h : t) CloseHandle(h);
    EXPECT_EQ(80u, ReadFresh(m_folder).messages.size());
}

TEST(DevStoreText, TimesRoundTripAndMalformedOnesAreRefused) {
    FILETIME t = VelDevNow();
    FILETIME back;
    ASSERT_TRUE(VelDevParseTime(VelDevFormatTime(t), &back));
    EXPECT_EQ(0, CompareFileTime(&t, &back));
    ASSERT_TRUE(VelDevParseTime(L"2026-12-10 09:15:00Z", &back));
    SYSTEMTIME st;
    FileTimeToSystemTime(&back, &st);
    EXPECT_EQ(2026, st.wYear);
    EXPECT_EQ(15, st.wMinute);
    const wchar_t* bad[] = {L"", L"2026-12-10", L"2026-13-10 09:15:00Z", L"2026-12-10 25:00:00Z",
                            L"2026-12-10 09:15:00", L"2026-12-10 09:15:00.Z", L"2026-12-10 09:15:00Zx"};
    for (const wchar_t* b : bad) EXPECT_FALSE(VelDevParseTime(b, &back)) << b;
}

}  // namespace
