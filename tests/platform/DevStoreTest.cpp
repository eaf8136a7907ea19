#include "PlatformTestSupport.h"

#include <boost/shared_ptr.hpp>

namespace {

typedef TempStoreTest DevStoreTest;

// Reading back from disk, not from the writer's memory.
VelDevStoreData ReadFresh(const std::wstring& folder)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::OpenAt(folder);
    return store->Snapshot();
}

TEST_F(DevStoreTest, RecordsSurviveSaveAndReload)
{
    VelDevContact c;
    c.fileAs = L"  Ørsted, Hans\\Christian  ";
    c.firstName = L"Hans";
    c.lastName = L"Ørsted";
    c.mobile = L"+45 1234";
    c.categories = L"Work, Favorites";
    VelDevCall call = MakeCall(kDevCallIncoming, L"", 0, 5);  // empty number, absent name
    call.start.dwLowDateTime |= 7;                            // sub-millisecond part
    call.note = VelDevOptText(L"line1\r\nline2\ttab");
    VelDevMessage m;
    m.folder = kDevSmsSent;
    m.text = L"one\r\ntwo\tthree ";
    m.recipients.push_back({L"Ann; B", L"+1 555"});
    m.recipients.push_back({L"", L"+1 556"});
    m.hasFlags = true;
    m.flags = 1;
    VelDevMessage bare;  // no delivery time, no flags
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

TEST_F(DevStoreTest, RevisionsCountChangesAndIdsAreNeverReused)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    VelDevContact c;
    c.firstName = L"A";
    DWORD a = store->AddContact(c);
    DWORD b = store->AddContact(c);
    EXPECT_NE(a, b);
    VelDevContact got;
    ASSERT_TRUE(store->FindContact(a, &got));
    ASSERT_TRUE(store->UpdateContact(got));  // unchanged content
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

TEST_F(DevStoreTest, CallsComeNewestFirst)
{
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

std::string Truncate(const std::string& good)
{
    // Cut inside the last record, as a crash while writing by hand would.
    size_t last = good.rfind("[3]");
    return good.substr(0, good.find("direction", last));
}

std::string BadRecord(const std::string& good)
{
    std::string s = good;
    size_t at = s.find("direction", s.find("[2]"));
    return s.insert(at, "start = yesterday-ish\n");
}

std::string Latin1(const std::string& good)
{
    std::string s = good;
    size_t at = s.find("number", s.find("[2]"));
    return s.insert(at, "name = M\xFCller\n");
}

std::string JunkLine(const std::string& good)
{
    std::string s = good;
    size_t at = s.find("number", s.find("[2]"));
    return s.insert(at, "this line has no equals sign\n");
}

std::string Utf16(const std::string& good)
{
    std::wstring wide = VelDevFromUtf8(BadRecord(good));
    return std::string("\xFF\xFE") + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
}

class DevStoreDamageTest : public TempStoreTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DevStoreDamageTest, LoadsTheGoodRecordsAndKeepsThemOnTheNextSave)
{
    const DamageCase& dc = GetParam();
    DWORD ids[3];
    {
        boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
        for (int i = 0; i < 3; ++i)
            ids[i] = store->AddCall(MakeCall(kDevCallIncoming, L"555", L"N", 10 + i));
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

INSTANTIATE_TEST_SUITE_P(Damage, DevStoreDamageTest,
                         ::testing::Values(DamageCase{"truncated", Truncate, L"record [3] skipped: no revision"},
                                           DamageCase{"bad field", BadRecord,
                                                      L"record [2] skipped: bad or missing start"},
                                           DamageCase{"latin-1 byte", Latin1, L"record [2] skipped: not UTF-8"},
                                           DamageCase{"junk line", JunkLine, L"record [2] skipped: malformed line"},
                                           DamageCase{"utf-16 file", Utf16, L"UTF-16"}),
                         [](const ::testing::TestParamInfo<DamageCase>& info) {
                             std::string name = info.param.what;
                             for (char& c : name) {
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             }
                             return name;
                         });

TEST_F(DevStoreTest, ListenersHearOwnChangesWithWhatChanged)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    DWORD keep = store->AddContact(VelDevContact());
    DWORD drop = store->AddContact(VelDevContact());
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    std::vector<VelDevChange<VelDevContact>> seen;
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
        if (c.type == kDevDeleted && c.id == drop)
            gotDelete = c.before && !c.after;
        if (c.type == kDevCreated && c.id == made)
            gotCreate = !c.before && c.after;
    }
    EXPECT_TRUE(gotChange);
    EXPECT_TRUE(gotDelete);
    EXPECT_TRUE(gotCreate);
    DeleteCriticalSection(&cs);
}

TEST_F(DevStoreTest, AnEditOfTheFileFromOutsideIsNotOwn)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    DWORD id = store->AddCall(MakeCall(kDevCallIncoming, L"1", 0, 3));
    std::vector<VelDevChange<VelDevCall>> seen;
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

TEST_F(DevStoreTest, PicturesLiveBesideTheDataAndGoWithTheContact)
{
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

TEST_F(DevStoreTest, FaultsComeFromTheEnvironmentAndTheSettings)
{
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

TEST_F(DevStoreTest, AMissingStoreReadsEmptyAndRefusesWrites)
{
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
TEST_F(DevStoreTest, AFolderThatGoesAwayIsWaitedForQuietly)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    store->AddContact(VelDevContact());
    volatile LONG heard = 0;
    DWORD cookie =
        store->AddListener([&](const VelDevStoreChanges& c) { InterlockedExchangeAdd(&heard, c.contacts.size()); });
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

TEST_F(DevStoreTest, LogLinesKeepTheirText)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    ASSERT_TRUE(store->AppendLog(L"outbox.log", L"-service \"SMS\" -to \"C:\\x\r\n\""));
    ASSERT_TRUE(store->AppendLog(L"outbox.log", L"second"));
    std::vector<std::wstring> lines = store->ReadLog(L"outbox.log");
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"-service \"SMS\" -to \"C:\\x\r\n\"", lines[0]);
    EXPECT_EQ(L"second", lines[1]);
}

TEST_F(DevStoreTest, TwoThreadsWritingAtOnceLoseNothing)
{
    struct Writer {
        static DWORD WINAPI Main(void*)
        {
            boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
            for (int i = 0; i < 40; ++i)
                store->AddMessage(VelDevMessage());
            return 0;
        }
    };
    HANDLE t[2];
    for (HANDLE& h : t)
        h = CreateThread(0, 0, &Writer::Main, 0, 0, 0);
    WaitForMultipleObjects(2, t, TRUE, INFINITE);
    for (HANDLE h : t)
        CloseHandle(h);
    EXPECT_EQ(80u, ReadFresh(m_folder).messages.size());
}

TEST(DevStoreText, TimesRoundTripAndMalformedOnesAreRefused)
{
    FILETIME t = VelDevNow();
    FILETIME back;
    ASSERT_TRUE(VelDevParseTime(VelDevFormatTime(t), &back));
    EXPECT_EQ(0, CompareFileTime(&t, &back));
    ASSERT_TRUE(VelDevParseTime(L"2026-12-10 09:15:00Z", &back));
    SYSTEMTIME st;
    FileTimeToSystemTime(&back, &st);
    EXPECT_EQ(2026, st.wYear);
    EXPECT_EQ(15, st.wMinute);
    const wchar_t* bad[] = {L"",
                            L"2026-12-10",
                            L"2026-13-10 09:15:00Z",
                            L"2026-12-10 25:00:00Z",
                            L"2026-12-10 09:15:00",
                            L"2026-12-10 09:15:00.Z",
                            L"2026-12-10 09:15:00Zx"};
    for (const wchar_t* b : bad)
        EXPECT_FALSE(VelDevParseTime(b, &back)) << b;
}

}  // namespace

namespace {

typedef TempStoreTest DevStoreHostileTest;

std::string ContactWithPicture(const std::string& picture)
{
    return "[store]\nnextId = 3\n[1]\nfirstName = Ann\npicture = " + picture +
           "\nwriter = 1\nrevision = 1\n"
           "[2]\nfirstName = Bo\nwriter = 1\nrevision = 1\n";
}

// A name that could open a device, a folder or a file elsewhere costs the
// contact its picture, never the contact.
TEST_F(DevStoreHostileTest, APictureNameThatIsNoPlainFileNameLosesThePictureNotTheContact)
{
    const char* const bad[] = {"COM1",
                               "AUX.png",
                               "com9.jpg",
                               "nul",
                               "LPT1.gif",
                               "CON .png",
                               "conin$",
                               "..",
                               ".",
                               "..\\\\settings.ini",
                               "../x.png",
                               "C:x.png",
                               "sub/x.png",
                               "x.png.",
                               "a\x01"
                               "b.png"};
    for (const char* name : bad) {
        SCOPED_TRACE(name);
        WriteBytes(L"contacts.ini", ContactWithPicture(name));
        boost::shared_ptr<VelDevStore> store = VelDevStore::OpenAt(m_folder);
        VelDevContact ann;
        ASSERT_TRUE(store->FindContact(1, &ann));
        EXPECT_EQ(L"Ann", ann.firstName);
        EXPECT_EQ(L"", ann.picture);
        EXPECT_EQ(L"", store->PicturePath(ann));
        std::string bytes;
        EXPECT_FALSE(store->ReadContactPicture(1, &bytes));
        EXPECT_TRUE(store->FindContact(2, 0));
        EXPECT_TRUE(DebugSays(L"picture name refused"));
        // The next save keeps the file as it was, since something of it was dropped.
        ASSERT_NE(0u, store->AddContact(VelDevContact()));
        EXPECT_NE(std::string::npos, ReadBytes(L"contacts.ini.damaged").find(name));
        DeleteFileW(File(L"contacts.ini.damaged").c_str());
    }
    WriteBytes(L"contacts.ini", ContactWithPicture("1-2.png"));
    VelDevContact ann;
    ASSERT_TRUE(VelDevStore::OpenAt(m_folder)->FindContact(1, &ann));
    EXPECT_EQ(L"1-2.png", ann.picture) << "a plain name stays";
}

TEST_F(DevStoreHostileTest, APictureIsReadOnlyUpToItsLimitAndNamedOnlyWithAPlainExtension)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    DWORD id = store->AddContact(VelDevContact());
    EXPECT_FALSE(store->SetContactPicture(id, "x", L"png\\..\\..\\x"));
    EXPECT_FALSE(store->SetContactPicture(id, "x", L"p:ng"));
    ASSERT_TRUE(store->SetContactPicture(id, "small", L"png"));
    VelDevContact c;
    ASSERT_TRUE(store->FindContact(id, &c));
    const size_t kLimit = 4 * 1024 * 1024;
    HANDLE f = CreateFileW(store->PicturePath(c).c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    LARGE_INTEGER end;
    end.QuadPart = kLimit + 1;
    SetFilePointerEx(f, end, 0, FILE_BEGIN);
    SetEndOfFile(f);
    CloseHandle(f);
    std::string bytes = "left over";
    EXPECT_FALSE(store->ReadContactPicture(id, &bytes)) << "a junk file past the limit is not read at all";
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(store->SetContactPicture(id, std::string(kLimit + 1, 'x'), L"png"));
}

// A full or read-only store: nothing is added, no id is promised, and the
// next add that is saved gets the id the refused one would have had.
TEST_F(DevStoreHostileTest, AnAddWhoseSaveFailsFailsAndHandsOutNoId)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    ASSERT_EQ(1u, store->AddContact(VelDevContact()));
    ASSERT_EQ(1u, store->AddCall(MakeCall(kDevCallIncoming, L"1", 0, 1)));
    ASSERT_EQ(1u, store->AddMessage(VelDevMessage()));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"store.write");
    EXPECT_EQ(0u, store->AddContact(VelDevContact()));
    EXPECT_EQ(0u, store->AddCall(MakeCall(kDevCallIncoming, L"2", 0, 1)));
    EXPECT_EQ(0u, store->AddMessage(VelDevMessage()));
    VelDevContact changed;
    ASSERT_TRUE(store->FindContact(1, &changed));
    changed.company = L"Acme";
    EXPECT_FALSE(store->UpdateContact(changed));
    EXPECT_FALSE(store->DeleteCall(1));
    EXPECT_TRUE(DebugSays(L"cannot be written"));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, 0);
    VelDevStoreData d = VelDevStore::OpenAt(m_folder)->Snapshot();
    EXPECT_EQ(1u, d.contacts.size());
    EXPECT_EQ(L"", d.contacts[1].company);
    EXPECT_EQ(1u, d.calls.size());
    EXPECT_EQ(1u, d.messages.size());
    EXPECT_EQ(2u, store->AddContact(VelDevContact()));
}

struct IdCase {
    const char* what;
    const char* file;
    DWORD next;  // the id the next add gets, 0 when it is refused
};

void PrintTo(const IdCase& c, std::ostream* os) { *os << c.what; }

class DevStoreIdTest : public TempStoreTest, public ::testing::WithParamInterface<IdCase> {};

TEST_P(DevStoreIdTest, TheNextIdIsPastEveryIdSeenAndNeverWraps)
{
    WriteBytes(L"messages.ini", GetParam().file);
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    EXPECT_EQ(GetParam().next, store->AddMessage(VelDevMessage())) << GetParam().what;
    EXPECT_TRUE(store->FindMessage(1, 0)) << "the good record stays readable: " << GetParam().what;
    if (GetParam().next == 0)
        EXPECT_TRUE(DebugSays(L"every id has been given out"));
}

INSTANTIATE_TEST_SUITE_P(
    Ids, DevStoreIdTest,
    ::testing::Values(
        IdCase{"a damaged [store] and a deleted id",
               "[store]\nnext id\n[1]\ntext = a\nrevision = 1\n[deleted]\n9 = 5\n", 10},
        IdCase{"a damaged record", "[1]\ntext = a\nrevision = 1\n[40]\ntext = cut sh", 41},
        IdCase{"the last id in use", "[1]\ntext = a\nrevision = 1\n[4294967294]\ntext = b\nrevision = 1\n", 0},
        IdCase{"nextId at the end", "[store]\nnextId = 4294967295\n[1]\ntext = a\nrevision = 1\n", 0},
        IdCase{"an id past the last", "[1]\ntext = a\nrevision = 1\n[4294967295]\ntext = b\nrevision = 1\n", 0}),
    [](const ::testing::TestParamInfo<IdCase>& info) { return "case" + std::to_string(info.index); });

TEST_F(DevStoreHostileTest, EveryDamagedCopyIsKept)
{
    const std::string first = "[1]\ntext = a\nrevision = 1\n[2]\ntext = first damage\n";
    const std::string second = "[1]\ntext = a\nrevision = 1\n[3]\ntext = second damage\n";
    WriteBytes(L"messages.ini", first);
    ASSERT_NE(0u, VelDevStore::Open()->AddMessage(VelDevMessage()));
    WriteBytes(L"messages.ini", second);
    ASSERT_NE(0u, VelDevStore::Open()->AddMessage(VelDevMessage()));
    EXPECT_EQ(first, ReadBytes(L"messages.ini.damaged"));
    EXPECT_EQ(second, ReadBytes(L"messages.ini.damaged-2"));
}

// What one process writes, another reads back the same, whatever UTF-16 the
// text holds; and the file stays valid UTF-8.
TEST_F(DevStoreHostileTest, LoneSurrogatesAndNulsReadBackAsWritten)
{
    const std::wstring values[] = {
        std::wstring(L"a\xD800z"),          std::wstring(L"\xDC00"), std::wstring(L"x\0y", 3),
        std::wstring(L"\xD83D\xDE00 pair"), std::wstring(L"\xD83D"), std::wstring(L"\\u0041 and \\0 as typed"),
        std::wstring(L"\xDBFF\xDBFF\xDFFF")};
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    std::vector<DWORD> ids;
    for (const std::wstring& v : values) {
        VelDevMessage m;
        m.text = v;
        m.senderName = v + v;
        ids.push_back(store->AddMessage(m));
    }
    std::string bytes = ReadBytes(L"messages.ini");
    EXPECT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), 0, 0),
              0);
    EXPECT_EQ(std::string::npos, bytes.find('\0'));
    store.reset();
    boost::shared_ptr<VelDevStore> other = VelDevStore::OpenAt(m_folder);
    for (size_t i = 0; i < ids.size(); ++i) {
        VelDevMessage m;
        ASSERT_TRUE(other->FindMessage(ids[i], &m)) << i;
        EXPECT_TRUE(m.text == values[i]) << i;
        EXPECT_TRUE(m.senderName == values[i] + values[i]) << i;
    }
}

// Each change rewrites only the file of its record; a store written before
// with every record in one file is read and changed where it stands.
TEST_F(DevStoreHostileTest, AChangeRewritesOnlyTheFileOfItsRecord)
{
    std::string old = "[store]\nnextId = 301\n";
    for (int id = 1; id <= 300; ++id)
        old += "[" + std::to_string(id) + "]\nfirstName = N" + std::to_string(id) + "\nrevision = 1\n";
    WriteBytes(L"contacts.ini", old);
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    EXPECT_EQ(300u, store->Contacts().size());
    ASSERT_TRUE(store->ChangeContact(250, [](VelDevContact& c) {
        c.company = L"Acme";
        return true;
    }));
    EXPECT_NE(std::string::npos, ReadBytes(L"contacts.ini").find("Acme"));
    DWORD added = store->AddContact(VelDevContact());
    EXPECT_EQ(301u, added);
    const std::string before = ReadBytes(L"contacts.ini");
    ASSERT_TRUE(store->ChangeContact(added, [](VelDevContact& c) {
        c.company = L"New";
        return true;
    }));
    EXPECT_EQ(before, ReadBytes(L"contacts.ini")) << "a change of another file's record leaves it alone";
    std::vector<std::wstring> others;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(File(L"contacts-*.ini").c_str(), &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do
        others.push_back(fd.cFileName);
    while (FindNextFileW(find, &fd));
    FindClose(find);
    ASSERT_EQ(1u, others.size()) << "the new record went to a file of its own";
    const std::string theirs = ReadBytes(others[0]);
    EXPECT_NE(std::string::npos, theirs.find("New"));
    EXPECT_EQ(std::string::npos, theirs.find("[250]"));
    store.reset();
    VelDevStoreData d = VelDevStore::OpenAt(m_folder)->Snapshot();
    EXPECT_EQ(301u, d.contacts.size());
    EXPECT_EQ(L"Acme", d.contacts[250].company);
    EXPECT_EQ(L"New", d.contacts[added].company);
    EXPECT_EQ(302u, VelDevStore::OpenAt(m_folder)->AddContact(VelDevContact()));
}

}  // namespace
