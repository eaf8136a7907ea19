#include "PlatformTestSupport.h"

#include "Phone.h"

#include <boost/shared_ptr.hpp>

namespace {

typedef TempStoreTest PhoneTest;

// The program's call table: open, count from the two seeks, then one seek and
// one read per row.
struct CallTable {
    HANDLE log = 0;
    HRESULT openResult = E_FAIL;
    DWORD count = 0;
    CallTable()
    {
        openResult = PhoneOpenCallLog(&log);
        if (FAILED(openResult))
            return;
        DWORD first = 0, last = 0;
        if (FAILED(PhoneSeekCallLog(log, kCallLogSeekBegin, 0, &first)) ||
            FAILED(PhoneSeekCallLog(log, kCallLogSeekEnd, 0, &last))) {
            PhoneCloseCallLog(log);
            log = 0;
            return;
        }
        count = last - first + 1;
    }
    ~CallTable()
    {
        if (log)
            PhoneCloseCallLog(log);
    }
    HRESULT Get(DWORD cursor, CallLogEntry* e)
    {
        HRESULT hr = PhoneSeekCallLog(log, kCallLogSeekBegin, cursor, 0);
        if (FAILED(hr))
            return hr;
        memset(e, 0, sizeof *e);
        e->cbSize = kCallLogEntryBytes;
        return PhoneGetCallLogEntry(log, e);
    }
};

void FreeStrings(CallLogEntry& e)
{
    LocalFree(e.number);
    LocalFree(e.name);
    LocalFree(e.nameType);
    LocalFree(e.note);
}

TEST_F(PhoneTest, AnEmptyLogCountsNothing)
{
    CallTable t;
    EXPECT_EQ(S_OK, t.openResult);
    EXPECT_EQ(0u, t.count);
    EXPECT_EQ(0, t.log) << "both seeks fail on an empty log, so the table closes it";
}

TEST_F(PhoneTest, EntriesComeNewestFirstWithTheirStringsOrNull)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    VelDevCall missed = MakeCall(kDevCallMissed, 0, 0, 120);  // withheld: no number, no name
    VelDevCall in = MakeCall(kDevCallIncoming, L"+1 555 0100", L"", 60);
    in.nameType = VelDevOptText(L"m");
    VelDevCall out = MakeCall(kDevCallOutgoing, L"+1 555 0199", L"Bo Ek", 1);
    out.callerIdType = 3;
    store->AddCall(missed);
    store->AddCall(out);
    store->AddCall(in);

    CallTable t;
    ASSERT_EQ(3u, t.count);
    CallLogEntry e;
    ASSERT_EQ(S_OK, t.Get(0, &e));
    EXPECT_EQ(kCallLogEntryBytes, e.cbSize);
    EXPECT_EQ(kCallLogEntryBytes, sizeof e);
    EXPECT_EQ(kCallOutgoing, e.direction);
    EXPECT_EQ(6u, e.flags);
    EXPECT_EQ(3u, e.callerIdType);
    ASSERT_TRUE(e.name);
    EXPECT_STREQ(L"Bo Ek", e.name);
    EXPECT_EQ(0, CompareFileTime(&out.start, &e.startTime));
    EXPECT_EQ(0, CompareFileTime(&out.end, &e.endTime));
    EXPECT_EQ(0, e.note);
    EXPECT_NE(0, LocalSize(e.name)) << "the caller frees the strings with LocalFree";
    FreeStrings(e);

    ASSERT_EQ(S_OK, t.Get(1, &e));
    EXPECT_EQ(kCallIncoming, e.direction);
    ASSERT_TRUE(e.name) << "an empty name is not a null one";
    EXPECT_STREQ(L"", e.name);
    EXPECT_STREQ(L"m", e.nameType);
    FreeStrings(e);

    ASSERT_EQ(S_OK, t.Get(2, &e));
    EXPECT_EQ(kCallMissed, e.direction);
    EXPECT_EQ(0, e.number);
    EXPECT_EQ(0, e.name);
    FreeStrings(e);

    EXPECT_TRUE(FAILED(t.Get(3, &e)));
    DWORD index = 99;
    ASSERT_EQ(S_OK, PhoneSeekCallLog(t.log, kCallLogSeekEnd, 1, &index));
    EXPECT_EQ(1u, index);
}

TEST_F(PhoneTest, MisuseIsRefusedWithAFailure)
{
    VelDevStore::Open()->AddCall(MakeCall(kDevCallIncoming, L"1", 0, 1));
    HANDLE log = 0;
    ASSERT_EQ(S_OK, PhoneOpenCallLog(&log));
    CallLogEntry e = {};
    e.cbSize = kCallLogEntryBytes + 16;
    EXPECT_EQ(E_INVALIDARG, PhoneGetCallLogEntry(log, &e));
    EXPECT_EQ(0, e.number);
    e.cbSize = 0;
    EXPECT_EQ(E_INVALIDARG, PhoneGetCallLogEntry(log, &e));
    EXPECT_TRUE(FAILED(PhoneGetCallLogEntry(log, 0)));
    EXPECT_EQ(E_INVALIDARG, PhoneSeekCallLog(log, 3, 0, 0));

    int local = 0;
    HANDLE bogus[] = {0, INVALID_HANDLE_VALUE, &local, reinterpret_cast<HANDLE>(0x1234)};
    e.cbSize = kCallLogEntryBytes;
    for (HANDLE b : bogus) {
        EXPECT_EQ(E_HANDLE, PhoneGetCallLogEntry(b, &e));
        EXPECT_EQ(E_HANDLE, PhoneSeekCallLog(b, kCallLogSeekBegin, 0, 0));
        EXPECT_EQ(E_HANDLE, PhoneCloseCallLog(b));
    }
    EXPECT_EQ(S_OK, PhoneCloseCallLog(log));
    EXPECT_EQ(E_HANDLE, PhoneCloseCallLog(log)) << "a closed handle";
    EXPECT_EQ(E_HANDLE, PhoneGetCallLogEntry(log, &e));
    EXPECT_EQ(E_POINTER, PhoneOpenCallLog(0));
}

TEST_F(PhoneTest, AFailingOpenLeavesNoHandle)
{
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"phone.open=0x80070005");
    HANDLE log = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), PhoneOpenCallLog(&log));
    EXPECT_EQ(0, log);
}

TEST_F(PhoneTest, TwoHandlesReadIndependently)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    store->AddCall(MakeCall(kDevCallIncoming, L"old", 0, 10));
    store->AddCall(MakeCall(kDevCallIncoming, L"new", 0, 1));
    CallTable a, b;
    CallLogEntry ea, eb;
    ASSERT_EQ(S_OK, a.Get(1, &ea));
    ASSERT_EQ(S_OK, b.Get(0, &eb));
    EXPECT_STREQ(L"old", ea.number);
    EXPECT_STREQ(L"new", eb.number);
    FreeStrings(ea);
    FreeStrings(eb);
}

PhoneMakeCallInfo CallInfo(LPCWSTR number, LPCWSTR party)
{
    PhoneMakeCallInfo info = {};
    info.cbSize = kMakeCallInfoBytes;
    info.destination = number;
    info.calledParty = party;
    return info;
}

TEST_F(PhoneTest, PlacingACallRecordsItAndLogsTheOutgoingCall)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    store->AddCall(MakeCall(kDevCallIncoming, L"earlier", 0, 5));
    std::vector<VelDevChange<VelDevCall>> seen;
    store->AddListener([&](const VelDevStoreChanges& c) { seen.insert(seen.end(), c.calls.begin(), c.calls.end()); });

    PhoneMakeCallInfo info = CallInfo(L"+1 555 0142", L"Ann Lee");
    EXPECT_EQ(0, PhoneMakeCall(&info));
    info = CallInfo(L"+1 555 0143", 0);
    EXPECT_EQ(0, PhoneMakeCall(&info));

    std::vector<std::wstring> dialled = store->ReadLog(L"dialled.log");
    ASSERT_EQ(2u, dialled.size());
    EXPECT_NE(std::wstring::npos, dialled[0].find(L"\tnumber=+1 555 0142\tcalledParty=Ann Lee\t"));
    EXPECT_NE(std::wstring::npos, dialled[1].find(L"\tnumber=+1 555 0143\tflags=0"));
    EXPECT_EQ(std::wstring::npos, dialled[1].find(L"calledParty")) << "no name was given";

    CallTable t;
    ASSERT_EQ(3u, t.count);
    CallLogEntry e;
    ASSERT_EQ(S_OK, t.Get(0, &e));
    EXPECT_EQ(kCallOutgoing, e.direction);
    EXPECT_STREQ(L"+1 555 0143", e.number);
    EXPECT_EQ(0, e.name);
    FreeStrings(e);
    ASSERT_EQ(S_OK, t.Get(1, &e));
    EXPECT_STREQ(L"Ann Lee", e.name);
    FreeStrings(e);

    store->Refresh();
    ASSERT_EQ(2u, seen.size()) << "placing a call notifies like any change";
    EXPECT_EQ(kDevCreated, seen[0].type);
}

TEST_F(PhoneTest, BadMakeCallRecordsAreRefused)
{
    PhoneMakeCallInfo info = CallInfo(L"1", 0);
    info.cbSize = kMakeCallInfoBytes + 20;
    EXPECT_EQ(E_INVALIDARG, PhoneMakeCall(&info));
    info = CallInfo(L"", 0);
    EXPECT_EQ(E_INVALIDARG, PhoneMakeCall(&info)) << "nothing to dial";
    info = CallInfo(0, 0);
    EXPECT_EQ(E_INVALIDARG, PhoneMakeCall(&info));
    EXPECT_TRUE(PhoneMakeCall(0) < 0);
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"phone.makecall");
    info = CallInfo(L"1", 0);
    EXPECT_TRUE(PhoneMakeCall(&info) < 0);
    EXPECT_TRUE(VelDevStore::Open()->ReadLog(L"dialled.log").empty());
    EXPECT_TRUE(VelDevStore::Open()->CallsNewestFirst().empty());
}

}  // namespace

namespace {

// The program imports the library by ordinal alone: the five operations sit
// at 1 to 5 and no name gives any of them away.
TEST_F(PhoneTest, TheFiveOperationsAreReachedByOrdinalOnly)
{
    HMODULE dll = LoadLibraryW(L"phone.dll");
    ASSERT_TRUE(dll);
    for (const char* name : {"PhoneOpenCallLog", "PhoneGetCallLogEntry", "PhoneCloseCallLog", "PhoneSeekCallLog",
                             "PhoneMakeCall", "PhoneOpenCallLog@4"}) {
        EXPECT_EQ(nullptr, reinterpret_cast<void*>(GetProcAddress(dll, name))) << name;
    }
    auto ordinal = [dll](WORD n) { return reinterpret_cast<void*>(GetProcAddress(dll, MAKEINTRESOURCEA(n))); };
    EXPECT_EQ(nullptr, ordinal(6));
    typedef HRESULT(WINAPI * Open)(HANDLE*);
    typedef HRESULT(WINAPI * Get)(HANDLE, CallLogEntry*);
    typedef HRESULT(WINAPI * Close)(HANDLE);
    typedef HRESULT(WINAPI * Seek)(HANDLE, DWORD, DWORD, LPDWORD);
    typedef LONG(WINAPI * MakeCall)(PhoneMakeCallInfo*);
    Open open = reinterpret_cast<Open>(ordinal(1));
    Get get = reinterpret_cast<Get>(ordinal(2));
    Close close = reinterpret_cast<Close>(ordinal(3));
    Seek seek = reinterpret_cast<Seek>(ordinal(4));
    MakeCall makeCall = reinterpret_cast<MakeCall>(ordinal(5));
    ASSERT_TRUE(open && get && close && seek && makeCall);

    PhoneMakeCallInfo info = CallInfo(L"+1 555 0150", L"Ann Lee");
    EXPECT_EQ(0, makeCall(&info));
    HANDLE log = 0;
    ASSERT_EQ(S_OK, open(&log));
    DWORD last = 99;
    EXPECT_EQ(S_OK, seek(log, kCallLogSeekEnd, 0, &last));
    EXPECT_EQ(0u, last);
    EXPECT_EQ(S_OK, seek(log, kCallLogSeekBegin, 0, 0));
    CallLogEntry e = {};
    e.cbSize = kCallLogEntryBytes;
    ASSERT_EQ(S_OK, get(log, &e));
    EXPECT_EQ(kCallOutgoing, e.direction);
    EXPECT_STREQ(L"+1 555 0150", e.number);
    EXPECT_STREQ(L"Ann Lee", e.name);
    FreeStrings(e);
    EXPECT_EQ(S_OK, close(log));
    FreeLibrary(dll);
}

}  // namespace

namespace {

// Calls logged while a handle is read, from this process and another, cannot
// shift its records: it reads the log as it was when opened, each call once.
TEST_F(PhoneTest, AnOpenHandleReadsTheLogAsItWasWhenOpened)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    const int kCalls = 6;
    for (int i = 0; i < kCalls; ++i)
        store->AddCall(MakeCall(kDevCallIncoming, std::to_wstring(i).c_str(), 0, 100 - i));
    CallTable t;
    ASSERT_EQ(static_cast<DWORD>(kCalls), t.count);
    std::vector<std::wstring> read;
    for (DWORD cursor = 0; cursor < t.count; ++cursor) {
        CallLogEntry e;
        ASSERT_EQ(S_OK, t.Get(cursor, &e)) << cursor;
        read.push_back(e.number);
        FreeStrings(e);
        // A newer call arrives after every read: it would push the rest one place on.
        store->AddCall(MakeCall(kDevCallMissed, L"new", 0, 0));
        if (cursor == 2)
            ASSERT_EQ(0, RunKlDevice(L"call incoming \"+1 555 0100\""));
    }
    std::vector<std::wstring> expected;
    for (int i = kCalls - 1; i >= 0; --i)
        expected.push_back(std::to_wstring(i));
    EXPECT_EQ(expected, read);
    DWORD last = 0;
    EXPECT_EQ(S_OK, PhoneSeekCallLog(t.log, kCallLogSeekEnd, 0, &last));
    EXPECT_EQ(static_cast<DWORD>(kCalls - 1), last);
    CallTable later;
    EXPECT_EQ(static_cast<DWORD>(2 * kCalls + 1), later.count) << "a handle opened later sees them all";
}

// On a full store the call that cannot be logged is not reported as placed.
TEST_F(PhoneTest, PlacingACallThatCannotBeLoggedFails)
{
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"store.write");
    PhoneMakeCallInfo info = CallInfo(L"+1 555 0142", L"Ann Lee");
    EXPECT_TRUE(PhoneMakeCall(&info) < 0);
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, 0);
    EXPECT_TRUE(VelDevStore::Open()->CallsNewestFirst().empty());
}

}  // namespace
