#pragma once
// The device store's engine, shared by its sources: what one process holds of
// the store's files, how it reads and writes them, and how it tells listeners.
//
// The locking rule. m_delivery, then m_lock, then the store's mutex, never in
// another order:
// - m_delivery guards the listeners and is held while a batch is delivered;
//   a listener may add or remove listeners from inside a delivery (the lock
//   is the same thread's again).
// - m_lock guards every member below it within this process: every read
//   holds it, and so does every write, through a WriteHold.
// - The store's mutex (m_mutex, one per folder for every process) is held
//   while a file is written and while one is read, so that no reader sees a
//   file half replaced; a write holds it from its first look to its last save.
#include "VelDevInternal.h"

#include <boost/shared_ptr.hpp>
#include <deque>
#include <map>
#include <set>

namespace veldev {

const DWORD kWatchPollMs = 250;
// How long an edit made by hand beside the store's own writers may go unseen
// by a lookup; whole-store reads and Refresh always look at every file.
const DWORD kSweepMs = 250;
const size_t kDeletionsKept = 64;
// Records are spread over files by id, so that a change rewrites one small
// file: ids [n * kIdsPerFile, (n + 1) * kIdsPerFile) live in file n.
const DWORD kIdsPerFile = 64;
// Files whose changes the shared table tells apart; the rest share one slot.
const DWORD kTrackedFiles = 8192;
const DWORD kNoMoreIds = 0xFFFFFFFF;  // not an id: the store has given out its last
const wchar_t kMetaSection[] = L"store";
const wchar_t kDeletedSection[] = L"deleted";

enum Kind { kContacts, kCalls, kMessages, kKindCount };
const DWORD kLongestDelayMs = 60000;
const unsigned kAllKinds = (1u << kKindCount) - 1;
static_assert(kDevContacts == 1u << kContacts && kDevCalls == 1u << kCalls && kDevMessages == 1u << kMessages,
              "the public kind bits are 1 << Kind");
const wchar_t* const kFileStems[kKindCount] = {L"contacts", L"calllog", L"messages"};

DWORD FileFor(DWORD id);
DWORD SlotFor(DWORD value);

// Shared by every process of the store: a counter per file bumped after each
// save, so that a reader learns what changed without looking at the files.
struct SharedChanges {
    volatile LONG sequence;
    volatile LONG files[kKindCount][kTrackedFiles + 1];
};

// Identity of a file's content as last read: a replacing move gives a new
// file index even when size and time happen to match.
struct Stamp {
    bool exists = false;
    DWORD volume = 0, indexHigh = 0, indexLow = 0, sizeLow = 0;
    FILETIME written = {0, 0};
    bool operator==(const Stamp& o) const
    {
        return exists == o.exists && volume == o.volume && indexHigh == o.indexHigh && indexLow == o.indexLow &&
               sizeLow == o.sizeLow && CompareFileTime(&written, &o.written) == 0;
    }
};

// ---------------------------------------------------------------------------
// Files and records (VelDevStoreFiles.cpp)

// File 0 keeps the name a store has always had; file n is "<stem>-<n>.ini".
std::wstring FileName(Kind kind, DWORD value);
bool ParseFileName(Kind kind, const std::wstring& name, DWORD* value);
// Reads a file and its stamp through one handle, so they agree. A file that
// is not there reads as empty.
bool ReadStamped(const std::wstring& path, std::string* bytes, Stamp* stamp);
Stamp StampOf(const std::wstring& path);
// The full path, without a trailing separator.
std::wstring NormalisedFolder(const std::wstring& folder);
void RaiseNext(DWORD* next, ULONGLONG seen);

// Per kind: how one record is read and written, and where its changes go.
template <class R, Kind K, std::map<DWORD, R> VelDevStoreData::*Records, DWORD VelDevStoreData::*Next,
          std::vector<VelDevChange<R>> VelDevStoreChanges::*Found, bool (*Reader)(const Section&, R*, std::wstring*),
          void (*Writer)(CSimpleIniW&, const wchar_t*, const R&)>
struct KindTraits {
    static const Kind kind = K;
    static std::map<DWORD, R>& Map(VelDevStoreData& data) { return data.*Records; }
    static DWORD& NextId(VelDevStoreData& data) { return data.*Next; }
    static bool Read(const Section& section, R* record, std::wstring* why) { return Reader(section, record, why); }
    static void Write(CSimpleIniW& ini, const wchar_t* section, const R& record) { Writer(ini, section, record); }
    static std::vector<VelDevChange<R>>& Changes(VelDevStoreChanges& changes) { return changes.*Found; }
};

template <class R>
struct KindOf;
template <>
struct KindOf<VelDevContact>
    : KindTraits<VelDevContact, kContacts, &VelDevStoreData::contacts, &VelDevStoreData::nextContactId,
                 &VelDevStoreChanges::contacts, &ReadContact, &WriteContact> {
};
template <>
struct KindOf<VelDevCall> : KindTraits<VelDevCall, kCalls, &VelDevStoreData::calls, &VelDevStoreData::nextCallId,
                                       &VelDevStoreChanges::calls, &ReadCall, &WriteCall> {
};
template <>
struct KindOf<VelDevMessage>
    : KindTraits<VelDevMessage, kMessages, &VelDevStoreData::messages, &VelDevStoreData::nextMessageId,
                 &VelDevStoreChanges::messages, &ReadMessage, &WriteMessage> {
};

template <class R>
unsigned KindBit()
{
    return 1u << KindOf<R>::kind;
}

typedef std::deque<std::pair<DWORD, DWORD>> Deletions;  // id, process, oldest first

template <class R>
bool SameContent(const R& stored, R wanted)
{
    wanted.id = stored.id;
    wanted.revision = stored.revision;
    wanted.writer = stored.writer;
    return stored == wanted;
}

// One record file as last read or written.
template <class R>
struct FileState {
    Stamp stamp;
    std::map<DWORD, boost::shared_ptr<const R>> records;
    Deletions deletions;
    DWORD nextId = 1;  // past every id the file has named, deleted and damaged ones too
    bool damaged = false;
};

template <class R>
struct KindState {
    typedef boost::shared_ptr<const R> Ptr;
    struct Entry {
        Ptr record;
        DWORD file;
    };
    std::map<DWORD, FileState<R>> files;
    std::map<DWORD, Entry> all;     // every record of every file
    std::map<DWORD, Ptr> notified;  // what the listeners were told
    std::set<DWORD> dirty;          // ids that may differ from notified
    // The files as a first listener found them, parsed when the kind is
    // first used: file -> its stamp and bytes.
    std::map<DWORD, std::pair<Stamp, std::string>> unparsed;
};

}  // namespace veldev

class VelDevStoreImpl {
public:
    typedef veldev::Kind Kind;
    template <class R>
    using KindState = veldev::KindState<R>;
    template <class R>
    using FileState = veldev::FileState<R>;

    explicit VelDevStoreImpl(const std::wstring& folder);
    ~VelDevStoreImpl();

    std::wstring m_folder;
    HANDLE m_mutex;
    HANDLE m_mapping;
    veldev::SharedChanges* m_shared;
    standin::Lock m_lock;  // the state below, within this process
    KindState<VelDevContact> m_contacts;
    KindState<VelDevCall> m_calls;
    KindState<VelDevMessage> m_messages;
    bool m_loaded[veldev::kKindCount];  // a kind is read when first asked for
    bool m_missing;                     // as of the last look at every file
    unsigned m_tracked;                 // kinds whose changes listeners are told of
    unsigned m_unparsed;                // kinds read by a first listener and not parsed yet
    DWORD m_lastSweep[veldev::kKindCount];
    LONG m_sequenceSeen;
    LONG m_slotsSeen[veldev::kKindCount][veldev::kTrackedFiles + 1];
    volatile LONG m_messagesListed;  // for the messages.delay fault

    standin::Lock m_delivery;  // listeners
    std::map<DWORD, VelDevStoreListener> m_listeners;
    DWORD m_nextCookie;
    HANDLE m_thread, m_stop, m_kick;
    DWORD m_threadId;
    volatile LONG m_orphaned;  // the store went away while its watcher was delivering

    template <class R>
    KindState<R>& State();
    std::wstring PathOf(Kind kind, DWORD n) const { return veldev::JoinPath(m_folder, veldev::FileName(kind, n)); }
    bool Missing() const { return VelDevFault(L"store.missing") || !veldev::FolderExists(m_folder); }

    // Files and records (VelDevStoreFiles.cpp).
    template <class R>
    bool Parse(const std::string& bytes, const std::wstring& fileName, FileState<R>* out);
    // Under a WriteHold.
    template <class R>
    bool SaveFile(DWORD n, FileState<R>& file);

    // The engine (VelDevStoreEngine.cpp). Reading: callers hold m_lock.
    // Brings the kinds asked for (bits 1 << Kind) up to date: what the
    // shared table says changed, and every file when asked or when the last
    // look at every file is older than kSweepMs.
    void Freshen(bool everyFile, unsigned kinds = veldev::kAllKinds);
    void FreshenChanged();
    void ReloadChangedSlots(int k);
    void Sweep(unsigned kinds);
    template <class R>
    void SweepKind();
    template <class R>
    void ReloadFile(DWORD n);
    template <class R>
    void Adopt(DWORD n, FileState<R>& fresh);
    template <class R>
    DWORD NextId();
    template <class R>
    void Fill(std::map<DWORD, R>& out);
    // Writing: Add, Change and Transact take a WriteHold, Publish and Commit run under it.
    void Publish(Kind kind, DWORD n);
    template <class R>
    DWORD Add(const R& record);
    // An empty change deletes the record; removed gets what was deleted.
    template <class R>
    bool Change(DWORD id, const boost::function<bool(R&)>& change, boost::shared_ptr<const R>* removed = 0);
    template <class R>
    bool Commit(const std::map<DWORD, R>& wanted, bool* failed);
    bool Transact(const boost::function<bool(VelDevStoreData&)>& change);

    // Change delivery and the watcher (VelDevStoreDelivery.cpp).
    // A first listener's kind: its files read as they are now, in one hold
    // of the mutex, and parsed when the kind is first used.
    template <class R>
    void ReadUnparsed();
    template <class R>
    void ParseUnparsed();
    void ParseUnparsed(unsigned kinds);
    template <class R>
    void StartTracking();
    template <class R>
    void StartListening();
    template <class R>
    void Collect(VelDevStoreChanges* out);
    DWORD AddListener(const VelDevStoreListener& listener, unsigned kinds);
    void RemoveListener(DWORD cookie);
    void Deliver(bool everyFile);
    void StartWatcher();
    static DWORD WINAPI WatcherMain(void* self);
};

template <>
inline veldev::KindState<VelDevContact>& VelDevStoreImpl::State<VelDevContact>()
{
    return m_contacts;
}
template <>
inline veldev::KindState<VelDevCall>& VelDevStoreImpl::State<VelDevCall>()
{
    return m_calls;
}
template <>
inline veldev::KindState<VelDevMessage>& VelDevStoreImpl::State<VelDevMessage>()
{
    return m_messages;
}

// m_lock and the store's mutex for one write; Held() is false when the mutex
// could not be had, and the write must not go on.
class WriteHold {
public:
    explicit WriteHold(VelDevStoreImpl& store) : m_guard(store.m_lock), m_mutex(store.m_mutex) {}
    bool Held() const { return m_mutex.Held(); }

private:
    standin::Guard m_guard;
    standin::MutexHold m_mutex;
};

// Each kind of record, for the explicit instantiations of the engine's templates.
#define VELDEV_FOR_EACH_KIND(X) X(VelDevContact) X(VelDevCall) X(VelDevMessage)
