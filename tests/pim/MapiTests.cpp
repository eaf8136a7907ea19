// The messaging store driven as the program's data thread, tables and sink use it.
#include "PimTestSupport.h"

#include <CeMapi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

template <class T>
struct Ref {
    T* p = nullptr;
    ~Ref() { reset(); }
    T** out() { return &p; }
    T* operator->() const { return p; }
    void reset()
    {
        if (p)
            p->Release();
        p = nullptr;
    }
};

std::string Bytes(const MapiBinary& bin) { return std::string(reinterpret_cast<const char*>(bin.lpb), bin.cb); }

struct OneTag {
    ULONG cValues = 1;
    ULONG tag;
    explicit OneTag(ULONG t) : tag(t) {}
    MapiPropTagArray* get() { return reinterpret_cast<MapiPropTagArray*>(this); }
};

struct TwoTags {
    ULONG cValues = 2;
    ULONG tags[2];
    TwoTags(ULONG a, ULONG b) : tags{a, b} {}
    MapiPropTagArray* get() { return reinterpret_cast<MapiPropTagArray*>(this); }
};

// One property as the program reads it: a value counts only when exactly one
// comes back with the tag asked for.
bool ReadProp(ICeMapiProp* object, ULONG tag, MapiPropValue* out, std::string* bytes = nullptr,
              std::wstring* text = nullptr)
{
    OneTag tags(tag);
    ULONG count = 0;
    MapiPropValue* values = nullptr;
    HRESULT hr = object->GetProps(tags.get(), kMapiUnicode, &count, &values);
    bool ok = SUCCEEDED(hr) && count == 1 && values[0].ulPropTag == tag;
    if (ok) {
        *out = values[0];
        if (bytes)
            *bytes = Bytes(values[0].Value.bin);
        if (text)
            *text = values[0].Value.lpszW;
    }
    if (values) {
        EXPECT_EQ(0u, MAPIFreeBuffer(values));
    }
    return ok;
}

class RecordingSink final : public ICeMapiAdviseSink {
public:
    struct Seen {
        ULONG event;
        ULONG objType;
        std::string id;
        DWORD thread;
        bool openedDuringCall;
    };

    explicit RecordingSink(ICeMsgStore* store) : m_store(store) { InitializeCriticalSection(&m_lock); }
    ~RecordingSink() { DeleteCriticalSection(&m_lock); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ICeMapiAdviseSink)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&m_refs); }

    ULONG STDMETHODCALLTYPE OnNotify(ULONG count, MapiNotification* notes) override
    {
        if (m_slowMs) {
            InterlockedExchange(&m_inside, 1);
            Sleep(m_slowMs);
            InterlockedExchange(&m_inside, 0);
            InterlockedIncrement(&m_finished);
        }
        for (ULONG i = 0; i < count; ++i) {
            const MapiObjectNotification& obj = notes[i].info.obj;
            Seen seen{notes[i].ulEventType, obj.ulObjType,
                      std::string(reinterpret_cast<const char*>(obj.lpEntryID), obj.cbEntryID), GetCurrentThreadId(),
                      false};
            ULONG type = 0;
            IUnknown* opened = nullptr;
            if (SUCCEEDED(m_store->OpenEntry(obj.cbEntryID, obj.lpEntryID, nullptr, 0, &type, &opened))) {
                seen.openedDuringCall = type == kMapiObjMessage;
                opened->Release();
            }
            EnterCriticalSection(&m_lock);
            m_seen.push_back(seen);
            LeaveCriticalSection(&m_lock);
        }
        return 0;
    }

    std::vector<Seen> Snapshot()
    {
        EnterCriticalSection(&m_lock);
        std::vector<Seen> copy = m_seen;
        LeaveCriticalSection(&m_lock);
        return copy;
    }

    // The first notification of `event` for the message, waited for.
    bool WaitFor(ULONG event, const std::string& id, Seen* out)
    {
        return ::WaitFor([&] {
            for (const Seen& s : Snapshot())
                if (s.event == event && s.id.substr(0, 16) == id.substr(0, 16)) {
                    *out = s;
                    return true;
                }
            return false;
        });
    }

    LONG m_refs = 1;
    DWORD m_slowMs = 0;
    LONG m_inside = 0;
    LONG m_finished = 0;

private:
    ICeMsgStore* m_store;
    CRITICAL_SECTION m_lock;
    std::vector<Seen> m_seen;
};

// Withdraws a stack sink on every way out of a test, before the sink dies.
struct Advised {
    ICeMapiSession* session;
    ULONG connection = 0;
    ~Advised()
    {
        if (connection)
            session->Unadvise(connection);
    }
};

class MapiTest : public ::testing::Test {
protected:
    MapiTest() : m_device(L"vel-pim") {}
    void SetUp() override
    {
        ASSERT_EQ(S_OK, MAPIInitialize(nullptr));
        ASSERT_EQ(S_OK, MAPILogonEx(0, nullptr, nullptr, 0, m_session.out()));
    }
    void TearDown() override
    {
        m_store.reset();
        if (m_session.p)
            m_session->Logoff(0, 0, 0);
        m_session.reset();
        MAPIUninitialize();
    }

    // The stores table read one row at a time until the exact name.
    void OpenStore(const wchar_t* name)
    {
        Ref<ICeMapiTable> stores;
        ASSERT_EQ(S_OK, m_session->GetMsgStoresTable(kMapiUnicode, stores.out()));
        TwoTags columns(kMapiTagDisplayName, kMapiTagEntryId);
        ASSERT_EQ(S_OK, stores->SetColumns(columns.get(), 0));
        std::string id;
        for (;;) {
            MapiRowSet* rows = nullptr;
            ASSERT_EQ(S_OK, stores->QueryRows(1, 0, &rows));
            ULONG n = rows->cRows;
            if (n == 1) {
                m_storeNames.push_back(rows->aRow[0].lpProps[0].Value.lpszW);
                if (m_storeNames.back() == name)
                    id = Bytes(rows->aRow[0].lpProps[1].Value.bin);
            }
            FreeProws(rows);
            if (n == 0)
                break;
        }
        ASSERT_FALSE(id.empty());
        ASSERT_EQ(S_OK,
                  m_session->OpenMsgStore(0, static_cast<ULONG>(id.size()), reinterpret_cast<MapiEntryId*>(&id[0]),
                                          nullptr, kMapiNoDialog | kMapiBestAccess, m_store.out()));
    }

    std::string FolderId(ULONG tag)
    {
        MapiPropValue v;
        std::string id;
        EXPECT_TRUE(ReadProp(m_store.p, tag, &v, &id));
        return id;
    }

    void OpenFolder(ULONG tag, ICeMapiFolder** folder)
    {
        std::string id = FolderId(tag);
        ULONG type = 0;
        IUnknown* unk = nullptr;
        ASSERT_EQ(S_OK, m_store->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<MapiEntryId*>(&id[0]),
                                           nullptr, 0, &type, &unk));
        ASSERT_EQ(kMapiObjFolder, type);
        *folder = static_cast<ICeMapiFolder*>(unk);
    }

    // Entry ids of a folder's contents table, sorted by delivery time descending.
    std::vector<std::string> NewestFirst(ICeMapiFolder* folder)
    {
        std::vector<std::string> ids;
        Ref<ICeMapiTable> table;
        EXPECT_EQ(S_OK, folder->GetContentsTable(0, table.out()));
        TwoTags columns(kMapiTagDisplayName, kMapiTagEntryId);
        table->SetColumns(columns.get(), 0);
        MapiSortOrderSet order = {1, 0, 0, {{kMapiTagDeliveryTime, kMapiSortDescending}}};
        table->SortTable(&order, 0);
        ULONG count = 0;
        EXPECT_EQ(S_OK, table->GetRowCount(0, &count));
        for (;;) {
            MapiRowSet* rows = nullptr;
            EXPECT_EQ(S_OK, table->QueryRows(1, 0, &rows));
            if (!rows)
                break;
            ULONG n = rows->cRows;
            if (n == 1) {
                EXPECT_EQ(2u, rows->aRow[0].cValues);
                EXPECT_EQ(kMapiTypeError, MapiPropType(rows->aRow[0].lpProps[0].ulPropTag));
                EXPECT_EQ(kMapiTagEntryId, rows->aRow[0].lpProps[1].ulPropTag);
                ids.push_back(Bytes(rows->aRow[0].lpProps[1].Value.bin));
            }
            FreeProws(rows);
            if (n == 0)
                break;
        }
        EXPECT_EQ(count, ids.size());
        return ids;
    }

    // Opens a message by id through the store, as the program does.
    bool OpenMessage(std::string id, ICeMessage** message)
    {
        ULONG type = 0;
        IUnknown* unk = nullptr;
        if (FAILED(m_store->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<MapiEntryId*>(&id[0]), nullptr, 0,
                                      &type, &unk)))
            return false;
        EXPECT_EQ(kMapiObjMessage, type);
        *message = static_cast<ICeMessage*>(unk);
        return true;
    }

    std::string IdOf(DWORD messageId)
    {
        Ref<ICeMapiFolder> inbox, sent;
        OpenFolder(kMapiTagReceivedFolder, inbox.out());
        OpenFolder(kMapiTagSentFolder, sent.out());
        for (ICeMapiFolder* f : {inbox.p, sent.p})
            for (const std::string& id : NewestFirst(f)) {
                DWORD serial;
                memcpy(&serial, id.data() + 12, 4);
                if (serial == messageId)
                    return id;
            }
        return std::string();
    }

    TestDeviceStore m_device;
    Ref<ICeMapiSession> m_session;
    Ref<ICeMsgStore> m_store;
    std::vector<std::wstring> m_storeNames;
};

TEST_F(MapiTest, SmsStoreIsFoundByItsExactNameAmongOthers)
{
    OpenStore(L"SMS");
    ASSERT_EQ(2u, m_storeNames.size());
    EXPECT_EQ(L"SMS", m_storeNames[1]);
    EXPECT_NE(L"SMS", m_storeNames[0]);
    EXPECT_EQ(0u, m_storeNames[0].find(L"SMS"));  // a prefix match would take the wrong one

    MapiPropValue v;
    std::wstring name;
    ASSERT_TRUE(ReadProp(m_store.p, kMapiTagDisplayName, &v, nullptr, &name));
    EXPECT_EQ(L"SMS", name);
    std::vector<std::string> folders;
    for (ULONG tag : {kMapiTagReceivedFolder, kMapiTagOutboxFolder, kMapiTagSentFolder, kMapiTagDeletedFolder,
                      kMapiTagDraftsFolder}) {
        folders.push_back(FolderId(tag));
        EXPECT_FALSE(folders.back().empty());
        for (size_t i = 0; i + 1 < folders.size(); ++i)
            EXPECT_NE(folders[i], folders.back());
    }
}

TEST_F(MapiTest, MissingDeviceStoreHasNoSmsStore)
{
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"store.missing");
    Ref<ICeMapiTable> stores;
    ASSERT_EQ(S_OK, m_session->GetMsgStoresTable(kMapiUnicode, stores.out()));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, nullptr);
    ULONG count = 0;
    ASSERT_EQ(S_OK, stores->GetRowCount(0, &count));
    ASSERT_EQ(1u, count);
    MapiRowSet* rows = nullptr;
    ASSERT_EQ(S_OK, stores->QueryRows(1, 0, &rows));
    ASSERT_EQ(1u, rows->cRows);
    EXPECT_STRNE(L"SMS", rows->aRow[0].lpProps[0].Value.lpszW);
    FreeProws(rows);
}

TEST_F(MapiTest, ContentsTablesGiveEachFolderNewestFirstWithItsProperties)
{
    DWORD old = AddMessage(kDevSmsInbox, L"old", 60);
    DWORD undated = AddMessage(kDevSmsInbox, L"undated", -1);
    DWORD fresh = AddMessage(kDevSmsInbox, L"fresh", 1);
    DWORD sent = AddMessage(kDevSmsSent, L"sent", 30);
    AddMessage(kDevSmsDeleted, L"binned", 2);
    OpenStore(L"SMS");

    Ref<ICeMapiFolder> inbox, sentItems;
    OpenFolder(kMapiTagReceivedFolder, inbox.out());
    OpenFolder(kMapiTagSentFolder, sentItems.out());
    std::vector<std::string> ids = NewestFirst(inbox.p);
    ASSERT_EQ(3u, ids.size());
    const DWORD expected[] = {fresh, old, undated};  // no delivery time sorts last
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(20u, ids[i].size());
        DWORD serial;
        memcpy(&serial, ids[i].data() + 12, 4);
        EXPECT_EQ(expected[i], serial);
        EXPECT_NE(std::string(4, '\0'), ids[i].substr(16));  // the varying word is there
    }
    ASSERT_EQ(1u, NewestFirst(sentItems.p).size());

    // Opened with the last four bytes zeroed, as the program keeps ids.
    std::string normalised = ids[0];
    normalised.replace(16, 4, std::string(4, '\0'));
    Ref<ICeMessage> message;
    ASSERT_TRUE(OpenMessage(normalised, message.out()));
    MapiPropValue v;
    std::wstring text;
    ASSERT_TRUE(ReadProp(message.p, kMapiTagSubject, &v, nullptr, &text));
    EXPECT_EQ(L"fresh", text);
    ASSERT_TRUE(ReadProp(message.p, kMapiTagSenderName, &v, nullptr, &text));
    EXPECT_EQ(L"Sender fresh", text);
    ASSERT_TRUE(ReadProp(message.p, kMapiTagSenderAddress, &v, nullptr, &text));
    EXPECT_EQ(L"+4470000fresh", text);
    EXPECT_TRUE(ReadProp(message.p, kMapiTagDeliveryTime, &v));
    std::string parent;
    ASSERT_TRUE(ReadProp(message.p, kMapiTagParentEntryId, &v, &parent));
    EXPECT_EQ(FolderId(kMapiTagReceivedFolder), parent);

    Ref<ICeMessage> sentMessage;
    ASSERT_TRUE(OpenMessage(IdOf(sent), sentMessage.out()));
    ASSERT_TRUE(ReadProp(sentMessage.p, kMapiTagParentEntryId, &v, &parent));
    EXPECT_EQ(FolderId(kMapiTagSentFolder), parent);

    // Recipients: one row per recipient with name and address.
    Ref<ICeMapiTable> recipients;
    ASSERT_EQ(S_OK, message->GetRecipientTable(kMapiUnicode, recipients.out()));
    ULONG count = 0;
    ASSERT_EQ(S_OK, recipients->GetRowCount(0, &count));
    ASSERT_EQ(2u, count);
    TwoTags columns(kMapiTagDisplayName, kMapiTagAddress);
    ASSERT_EQ(S_OK, recipients->SetColumns(columns.get(), 0));
    const wchar_t* names[] = {L"Ann", L"Bob"};
    const wchar_t* addresses[] = {L"+111", L"+222"};
    for (int i = 0; i < 2; ++i) {
        MapiRowSet* rows = nullptr;
        ASSERT_EQ(S_OK, recipients->QueryRows(1, 0, &rows));
        ASSERT_EQ(1u, rows->cRows);
        EXPECT_STREQ(names[i], rows->aRow[0].lpProps[0].Value.lpszW);
        EXPECT_STREQ(addresses[i], rows->aRow[0].lpProps[1].Value.lpszW);
        FreeProws(rows);
    }

    // A message without a delivery time has the property missing, not zero.
    Ref<ICeMessage> undatedMessage;
    ASSERT_TRUE(OpenMessage(IdOf(undated), undatedMessage.out()));
    EXPECT_FALSE(ReadProp(undatedMessage.p, kMapiTagDeliveryTime, &v));
}

TEST_F(MapiTest, ReadFlagIsWrittenAndKeptWithoutASave)
{
    DWORD flagged = AddMessage(kDevSmsInbox, L"unread", 5, true, 0);
    DWORD bare = AddMessage(kDevSmsInbox, L"noflags", 4, false);
    OpenStore(L"SMS");

    Ref<ICeMessage> bareMessage;
    ASSERT_TRUE(OpenMessage(IdOf(bare), bareMessage.out()));
    OneTag tag(kMapiTagMessageFlags);
    ULONG count = 0;
    MapiPropValue* values = nullptr;
    ASSERT_EQ(kMapiWarnErrorsReturned, bareMessage->GetProps(tag.get(), kMapiUnicode, &count, &values));
    ASSERT_EQ(1u, count);
    EXPECT_EQ(MapiPropTag(MapiPropId(kMapiTagMessageFlags), kMapiTypeError), values[0].ulPropTag);
    MAPIFreeBuffer(values);

    Ref<ICeMessage> message;
    ASSERT_TRUE(OpenMessage(IdOf(flagged), message.out()));
    MapiPropValue v;
    ASSERT_TRUE(ReadProp(message.p, kMapiTagMessageFlags, &v));
    EXPECT_EQ(0u, v.Value.ul & kMapiMessageRead);
    MapiPropValue write = {};
    write.ulPropTag = kMapiTagMessageFlags;
    write.Value.ul = v.Value.ul | kMapiMessageRead;
    ASSERT_EQ(S_OK, message->SetProps(1, &write, nullptr));

    VelDevMessage stored;
    ASSERT_TRUE(TestStore()->FindMessage(flagged, &stored));
    EXPECT_TRUE(stored.IsRead());
    Ref<ICeMessage> reopened;
    ASSERT_TRUE(OpenMessage(IdOf(flagged), reopened.out()));
    ASSERT_TRUE(ReadProp(reopened.p, kMapiTagMessageFlags, &v));
    EXPECT_EQ(kMapiMessageRead, v.Value.ul & kMapiMessageRead);

    // Writing gives a message without flags its flags.
    write.Value.ul = 0;
    ASSERT_EQ(S_OK, bareMessage->SetProps(1, &write, nullptr));
    ASSERT_TRUE(TestStore()->FindMessage(bare, &stored));
    EXPECT_TRUE(stored.hasFlags);
    EXPECT_FALSE(stored.IsRead());

    // Only the flags are writable.
    MapiPropValue subject = {};
    subject.ulPropTag = kMapiTagSubject;
    subject.Value.lpszW = const_cast<LPWSTR>(L"changed");
    EXPECT_TRUE(FAILED(message->SetProps(1, &subject, nullptr)));
    EXPECT_TRUE(FAILED(message->SetProps(0, &write, nullptr)));
}

// Another writer counts in the message's text while the read flag is written
// over and over: a flag write changes the flags and nothing else.
TEST_F(MapiTest, FlagWritesKeepWhatAnotherWriterChangedMeanwhile)
{
    DWORD id = AddMessage(kDevSmsInbox, L"0", 5, true, 0);
    OpenStore(L"SMS");
    Ref<ICeMessage> message;
    ASSERT_TRUE(OpenMessage(IdOf(id), message.out()));
    const int kCounts = 120;
    struct Counter {
        static DWORD WINAPI Main(void* param)
        {
            DWORD id = *static_cast<DWORD*>(param);
            boost::shared_ptr<VelDevStore> store = TestStore();
            for (int i = 0; i < kCounts; ++i) {
                store->Transact([id](VelDevStoreData& d) {
                    VelDevMessage& m = d.messages[id];
                    m.text = std::to_wstring(_wtoi(m.text.c_str()) + 1);
                    return true;
                });
            }
            return 0;
        }
    };
    HANDLE counter = CreateThread(nullptr, 0, &Counter::Main, &id, 0, nullptr);
    ASSERT_TRUE(counter);
    MapiPropValue write = {};
    write.ulPropTag = kMapiTagMessageFlags;
    for (int i = 0; WaitForSingleObject(counter, 0) == WAIT_TIMEOUT; ++i) {
        write.Value.ul = i & 1;
        EXPECT_EQ(S_OK, message->SetProps(1, &write, nullptr));
    }
    CloseHandle(counter);
    VelDevMessage stored;
    ASSERT_TRUE(TestStore()->FindMessage(id, &stored));
    EXPECT_EQ(std::to_wstring(kCounts), stored.text);
}

TEST_F(MapiTest, SinkHearsOfChangesOnAThreadOfItsOwn)
{
    DWORD local = AddMessage(kDevSmsInbox, L"local", 3, true, 0);
    OpenStore(L"SMS");
    RecordingSink sink(m_store.p);
    Advised advised{m_session.p};
    ASSERT_EQ(S_OK, m_session->Advise(0, nullptr, 0x3C, &sink, &advised.connection));
    const ULONG connection = advised.connection;
    EXPECT_NE(0u, connection);

    // Another process receives, moves and deletes a message.
    DWORD remote = RunOtherProcess(L"add-message 0 hello");
    ASSERT_GT(remote, 0u);
    std::string remoteId = IdOf(remote);
    RecordingSink::Seen seen;
    ASSERT_TRUE(sink.WaitFor(kMapiEventCreated, remoteId, &seen));
    EXPECT_EQ(kMapiObjMessage, seen.objType);
    EXPECT_NE(GetCurrentThreadId(), seen.thread);
    EXPECT_TRUE(seen.openedDuringCall);

    ASSERT_EQ(1u, RunOtherProcess(L"move-message " + std::to_wstring(remote) + L" 3"));
    ASSERT_TRUE(sink.WaitFor(kMapiEventMoved, remoteId, &seen));
    EXPECT_EQ(remoteId.substr(0, 16), seen.id.substr(0, 16));  // the id survives the move

    ASSERT_EQ(1u, RunOtherProcess(L"delete-message " + std::to_wstring(remote)));
    ASSERT_TRUE(sink.WaitFor(kMapiEventDeleted, remoteId, &seen));
    EXPECT_TRUE(seen.openedDuringCall);  // still openable while its batch runs
    Ref<ICeMessage> gone;
    EXPECT_FALSE(OpenMessage(seen.id, gone.out()));  // and no longer after

    // This process marking a message read is a modification too.
    std::string localId = IdOf(local);
    Ref<ICeMessage> message;
    ASSERT_TRUE(OpenMessage(localId, message.out()));
    MapiPropValue write = {};
    write.ulPropTag = kMapiTagMessageFlags;
    write.Value.ul = kMapiMessageRead;
    ASSERT_EQ(S_OK, message->SetProps(1, &write, nullptr));
    ASSERT_TRUE(sink.WaitFor(kMapiEventModified, localId, &seen));

    ASSERT_EQ(S_OK, m_session->Unadvise(connection));
    advised.connection = 0;
    EXPECT_EQ(1, sink.m_refs);  // the session let go of it
    size_t before = sink.Snapshot().size();
    RunOtherProcess(L"add-message 0 after");
    Sleep(800);
    EXPECT_EQ(before, sink.Snapshot().size());
    EXPECT_EQ(kMapiErrNotFound, m_session->Unadvise(connection));
}

TEST_F(MapiTest, MessageReceivedWithTheDeviceToolReachesTheSink)
{
    OpenStore(L"SMS");
    RecordingSink sink(m_store.p);
    Advised advised{m_session.p};
    ASSERT_EQ(S_OK, m_session->Advise(0, nullptr, 0x3C, &sink, &advised.connection));
    ASSERT_EQ(0, RunKlDevice(L"sms receive +4411 hello --name Ann"));
    std::vector<VelDevMessage> messages = TestStore()->Messages();
    ASSERT_EQ(1u, messages.size());
    std::string id = IdOf(messages[0].id);
    RecordingSink::Seen seen;
    ASSERT_TRUE(sink.WaitFor(kMapiEventCreated, id, &seen));
    Ref<ICeMessage> message;
    ASSERT_TRUE(OpenMessage(id, message.out()));
    MapiPropValue v;
    ASSERT_TRUE(ReadProp(message.p, kMapiTagMessageFlags, &v));
    EXPECT_EQ(0u, v.Value.ul & kMapiMessageRead);
}

TEST_F(MapiTest, OnlyEventsInTheMaskAreDelivered)
{
    OpenStore(L"SMS");
    RecordingSink deletions(m_store.p), all(m_store.p);
    Advised advisedDeletions{m_session.p}, advisedAll{m_session.p};
    ASSERT_EQ(S_OK, m_session->Advise(0, nullptr, kMapiEventDeleted, &deletions, &advisedDeletions.connection));
    ASSERT_EQ(S_OK, m_session->Advise(0, nullptr, 0x3C, &all, &advisedAll.connection));
    DWORD id = AddMessage(kDevSmsInbox, L"short-lived", 0);
    std::string entry = IdOf(id);
    // A creation and deletion between two looks at the store would show as nothing.
    RecordingSink::Seen seen;
    ASSERT_TRUE(all.WaitFor(kMapiEventCreated, entry, &seen));
    ASSERT_TRUE(TestStore()->DeleteMessage(id));
    ASSERT_TRUE(deletions.WaitFor(kMapiEventDeleted, entry, &seen));
    for (const RecordingSink::Seen& s : deletions.Snapshot())
        EXPECT_EQ(kMapiEventDeleted, s.event);
}

TEST_F(MapiTest, UnadviseWaitsForACallInProgress)
{
    OpenStore(L"SMS");
    RecordingSink sink(m_store.p);
    sink.m_slowMs = 500;
    Advised advised{m_session.p};
    ASSERT_EQ(S_OK, m_session->Advise(0, nullptr, 0x3C, &sink, &advised.connection));
    AddMessage(kDevSmsInbox, L"slow", 0);
    ASSERT_TRUE(WaitFor([&] { return InterlockedCompareExchange(&sink.m_inside, 0, 0) == 1; }));
    ASSERT_EQ(S_OK, m_session->Unadvise(advised.connection));
    advised.connection = 0;
    // Returned only after the call ended: the program may now delete its sink.
    EXPECT_EQ(0, InterlockedCompareExchange(&sink.m_inside, 0, 0));
    EXPECT_EQ(1, InterlockedCompareExchange(&sink.m_finished, 0, 0));
    EXPECT_EQ(1, sink.m_refs);
}

// The library's store watcher lives only while a sink is advised: one left
// running when the process exits is killed mid-call by the exit, which can
// hang the exit.
TEST_F(MapiTest, TheStoreIsWatchedOnlyWhileASinkIsAdvised)
{
    OpenStore(L"SMS");
    std::string early = IdOf(AddMessage(kDevSmsInbox, L"early", 0));
    ASSERT_FALSE(early.empty());
    EXPECT_TRUE(ThreadsStartedIn(L"cemapi.dll").empty());

    RecordingSink first(m_store.p), second(m_store.p);
    Advised advisedFirst{m_session.p}, advisedSecond{m_session.p};
    ASSERT_EQ(S_OK, m_session->Advise(0, nullptr, 0x3C, &first, &advisedFirst.connection));
    ASSERT_EQ(S_OK, m_session->Advise(0, nullptr, 0x3C, &second, &advisedSecond.connection));
    EXPECT_EQ(1u, ThreadsStartedIn(L"cemapi.dll").size());

    ASSERT_EQ(S_OK, m_session->Unadvise(advisedFirst.connection));
    advisedFirst.connection = 0;
    EXPECT_EQ(1u, ThreadsStartedIn(L"cemapi.dll").size());
    std::string later = IdOf(AddMessage(kDevSmsInbox, L"later", 0));
    RecordingSink::Seen seen;
    EXPECT_TRUE(second.WaitFor(kMapiEventCreated, later, &seen));

    ASSERT_EQ(S_OK, m_session->Unadvise(advisedSecond.connection));
    advisedSecond.connection = 0;
    EXPECT_TRUE(ThreadsStartedIn(L"cemapi.dll").empty());
    // The store still reads and writes without a watcher.
    Ref<ICeMessage> message;
    EXPECT_TRUE(OpenMessage(early, message.out()));
}

TEST_F(MapiTest, BadArgumentsAndForeignBuffersAreRefused)
{
    OpenStore(L"SMS");
    DWORD id = AddMessage(kDevSmsInbox, L"x", 1);
    std::string entry = IdOf(id);

    // Entry ids of the wrong size or kind.
    struct Case {
        std::string id;
        HRESULT expected;
    };
    std::string shortId = entry.substr(0, 7);
    std::string longId = entry + std::string(4, '\0');
    std::string unknown = entry;
    unknown[12] = '\x7F';
    const Case cases[] = {
        {shortId, kMapiErrInvalidEntryId}, {longId, kMapiErrInvalidEntryId}, {unknown, kMapiErrNotFound}};
    for (const Case& c : cases) {
        std::string bytes = c.id;
        ULONG type = 0;
        IUnknown* unk = nullptr;
        EXPECT_EQ(c.expected, m_store->OpenEntry(static_cast<ULONG>(bytes.size()),
                                                 reinterpret_cast<MapiEntryId*>(&bytes[0]), nullptr, 0, &type, &unk));
        EXPECT_EQ(nullptr, unk);
    }
    ULONG type = 0;
    IUnknown* unk = nullptr;
    EXPECT_EQ(kMapiErrInvalidEntryId, m_store->OpenEntry(0, nullptr, nullptr, 0, &type, &unk));
    EXPECT_EQ(kMapiErrInvalidParameter,
              m_store->OpenEntry(20, reinterpret_cast<MapiEntryId*>(&entry[0]), nullptr, 0, nullptr, &unk));
    Ref<ICeMsgStore> other;
    EXPECT_EQ(kMapiErrInvalidEntryId,
              m_session->OpenMsgStore(0, 20, reinterpret_cast<MapiEntryId*>(&entry[0]), nullptr, 0, other.out()));

    ULONG count = 0;
    MapiPropValue* values = nullptr;
    EXPECT_EQ(kMapiErrInvalidParameter, m_store->GetProps(nullptr, 0, &count, &values));
    OneTag tag(kMapiTagDisplayName);
    EXPECT_EQ(kMapiErrInvalidParameter, m_store->GetProps(tag.get(), 0, nullptr, &values));

    Ref<ICeMapiTable> table;
    ASSERT_EQ(S_OK, m_session->GetMsgStoresTable(kMapiUnicode, table.out()));
    MapiRowSet* rows = nullptr;
    EXPECT_EQ(kMapiErrInvalidParameter, table->QueryRows(0, 0, &rows));
    EXPECT_EQ(kMapiErrInvalidParameter, table->SetColumns(nullptr, 0));
    MapiSortOrderSet badOrder = {1, 0, 0, {{kMapiTagDeliveryTime, 7}}};
    EXPECT_EQ(kMapiErrInvalidParameter, table->SortTable(&badOrder, 0));

    RecordingSink sink(m_store.p);
    ULONG connection = 0;
    EXPECT_EQ(kMapiErrInvalidParameter, m_session->Advise(0, nullptr, 0x3C, nullptr, &connection));
    EXPECT_EQ(kMapiErrInvalidParameter, m_session->Advise(0, nullptr, 0, &sink, &connection));
    EXPECT_EQ(kMapiErrNotFound, m_session->Unadvise(4242));
    EXPECT_EQ(1, sink.m_refs);

    // Buffers it did not hand out, or has taken back, are refused, not freed.
    MapiPropValue local = {};
    EXPECT_EQ(static_cast<ULONG>(kMapiErrInvalidParameter), MAPIFreeBuffer(&local));
    ASSERT_EQ(S_OK, m_store->GetProps(tag.get(), kMapiUnicode, &count, &values));
    EXPECT_EQ(0u, MAPIFreeBuffer(values));
    EXPECT_EQ(static_cast<ULONG>(kMapiErrInvalidParameter), MAPIFreeBuffer(values));
    MapiRowSet foreign = {1, {{0, 1, &local}}};
    FreeProws(&foreign);
    FreeProws(nullptr);
    EXPECT_EQ(0u, MAPIFreeBuffer(nullptr));

    // A logged-off session opens nothing more.
    ASSERT_EQ(S_OK, m_session->Logoff(0, 0, 0));
    Ref<ICeMapiTable> late;
    EXPECT_TRUE(FAILED(m_session->GetMsgStoresTable(kMapiUnicode, late.out())));
}

TEST(MapiLibrary, LogonNeedsInitialisationAndHonoursFaultSwitches)
{
    TestDeviceStore device(L"vel-pim");
    Ref<ICeMapiSession> session;
    EXPECT_EQ(kMapiErrNotInitialized, MAPILogonEx(0, nullptr, nullptr, 0, session.out()));
    EXPECT_EQ(nullptr, session.p);
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"mapi.init");
    EXPECT_TRUE(FAILED(MAPIInitialize(nullptr)));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"mapi.logon");
    ASSERT_EQ(S_OK, MAPIInitialize(nullptr));
    EXPECT_TRUE(FAILED(MAPILogonEx(0, nullptr, nullptr, 0, session.out())));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, nullptr);
    ASSERT_EQ(S_OK, MAPILogonEx(0, nullptr, nullptr, 0, session.out()));
    EXPECT_EQ(kMapiErrInvalidParameter, MAPILogonEx(0, nullptr, nullptr, 0, nullptr));
    session->Logoff(0, 0, 0);
    session.reset();
    MAPIUninitialize();
    EXPECT_EQ(kMapiErrNotInitialized, MAPILogonEx(0, nullptr, nullptr, 0, session.out()));
}

}  // namespace

namespace {

// A read flag the store cannot keep is reported as not written.
TEST_F(MapiTest, AFlagWriteTheStoreCannotKeepFails)
{
    DWORD id = AddMessage(kDevSmsInbox, L"unread", 5, true, 0);
    OpenStore(L"SMS");
    Ref<ICeMessage> message;
    ASSERT_TRUE(OpenMessage(IdOf(id), message.out()));
    MapiPropValue write = {};
    write.ulPropTag = kMapiTagMessageFlags;
    write.Value.ul = kMapiMessageRead;
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"store.write");
    EXPECT_TRUE(FAILED(message->SetProps(1, &write, nullptr)));
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, nullptr);
    VelDevMessage stored;
    ASSERT_TRUE(TestStore()->FindMessage(id, &stored));
    EXPECT_FALSE(stored.IsRead());
    MapiPropValue v;
    ASSERT_TRUE(ReadProp(message.p, kMapiTagMessageFlags, &v));
    EXPECT_EQ(0u, v.Value.ul & kMapiMessageRead) << "the message does not claim what was not kept";
}

}  // namespace
