#include "VelDevInternal.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <boost/weak_ptr.hpp>
#include <deque>
#include <set>

using namespace veldev;

namespace {

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

// File 0 keeps the name a store has always had; file n is "<stem>-<n>.ini".
std::wstring FileName(Kind kind, DWORD value)
{
    return value == 0 ? std::wstring(kFileStems[kind]) + L".ini"
                      : std::wstring(kFileStems[kind]) + L"-" + FormatNumber(value) + L".ini";
}

bool ParseFileName(Kind kind, const std::wstring& name, DWORD* value)
{
    std::wstring stem = kFileStems[kind];
    if (name.size() < stem.size() + 4 || _wcsnicmp(name.c_str(), stem.c_str(), stem.size()) != 0 ||
        _wcsicmp(name.c_str() + name.size() - 4, L".ini") != 0) {
        return false;
    }
    std::wstring middle = name.substr(stem.size(), name.size() - stem.size() - 4);
    if (middle.empty()) {
        *value = 0;
        return true;
    }
    // One spelling per file: no sign, no leading zero.
    if (middle[0] != L'-' || middle.size() < 2 || middle[1] == L'0')
        return false;
    return ParseNumber(middle.substr(1), value) && *value <= kNoMoreIds / kIdsPerFile;
}

DWORD FileFor(DWORD id) { return id / kIdsPerFile; }
DWORD SlotFor(DWORD value) { return value < kTrackedFiles ? value : kTrackedFiles; }

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

void FillStamp(HANDLE handle, Stamp* stamp)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info))
        return;
    stamp->exists = true;
    stamp->volume = info.dwVolumeSerialNumber;
    stamp->indexHigh = info.nFileIndexHigh;
    stamp->indexLow = info.nFileIndexLow;
    stamp->sizeLow = info.nFileSizeLow;
    stamp->written = info.ftLastWriteTime;
}

// Reads a file and its stamp through one handle, so they agree. A file that
// is not there reads as empty.
bool ReadStamped(const std::wstring& path, std::string* bytes, Stamp* stamp)
{
    *stamp = Stamp();
    bytes->clear();
    HANDLE handle = OpenShared(path, GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    FillStamp(handle, stamp);
    bool ok = stamp->exists;
    if (ok) {
        // One read for the size the file has; a file that grew meanwhile is read on.
        DWORD want = stamp->sizeLow + 1, got = 0;
        bytes->resize(want);
        ok = ReadFile(handle, &(*bytes)[0], want, &got, 0) != 0;
        bytes->resize(ok ? got : 0);
        std::string rest;
        if (ok && got == want && ReadHandle(handle, &rest))
            bytes->append(rest);
        else if (ok && got == want)
            ok = false;
    }
    CloseHandle(handle);
    return ok;
}

Stamp StampOf(const std::wstring& path)
{
    Stamp stamp;
    HANDLE handle = OpenShared(path, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return stamp;
    FillStamp(handle, &stamp);
    CloseHandle(handle);
    return stamp;
}

// The file's text as UTF-8: a UTF-8 signature is dropped, a UTF-16 file
// (someone saved it with another editor) is converted.
std::string AsUtf8(const std::string& bytes, const wchar_t* fileName)
{
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return bytes.substr(3);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        VelDevDebugPrint(L"VelDevStore: %ls is UTF-16, read as such.\n", fileName);
        std::wstring wide(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        return VelDevToUtf8(wide);
    }
    return bytes;
}

struct Chunk {
    std::string header;  // the section line, empty for lines before the first section
    size_t begin = 0;    // every line of the record, header included: [begin, end) of the text
    size_t end = 0;
    bool malformed = false;
};

bool IsTrimmed(char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; }

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Splits at section lines so that one record's damage cannot spill into the
// next; a line that is no ini line at all marks its record damaged.
std::vector<Chunk> SplitRecords(const std::string& text)
{
    std::vector<Chunk> chunks(1);
    const char* data = text.data();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        size_t first = pos, last = end;
        while (first < last && IsTrimmed(data[first]))
            ++first;
        while (last > first && IsTrimmed(data[last - 1]))
            --last;
        const char* line = data + first;
        const size_t length = last - first;
        if (length > 0 && line[0] == '[') {
            chunks.back().end = pos;
            chunks.push_back(Chunk());
            chunks.back().header.assign(line, length);
            chunks.back().begin = pos;
            if (length < 3 || line[length - 1] != ']')
                chunks.back().malformed = true;
        } else if (length > 0 && line[0] != ';' && line[0] != '#' && !memchr(line, '=', length)) {
            chunks.back().malformed = true;
        } else if (memchr(line, '\0', length)) {
            chunks.back().malformed = true;
        }
        pos = end + 1;
    }
    chunks.back().end = text.size();
    return chunks;
}

// A record's lines as UTF-16; false when they are not UTF-8.
bool WideText(const std::string& text, const Chunk& chunk, std::wstring* wide)
{
    wide->clear();
    const int bytes = static_cast<int>(chunk.end - chunk.begin);
    if (bytes == 0)
        return true;
    const char* from = text.data() + chunk.begin;
    int chars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, from, bytes, 0, 0);
    if (chars <= 0)
        return false;
    wide->resize(chars);
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, from, bytes, &(*wide)[0], chars) == chars;
}

std::wstring SectionName(const std::string& header)
{
    if (header.size() < 2)
        return std::wstring();
    return VelDevFromUtf8(Trim(header.substr(1, header.size() - 2)));
}

std::string ShortForLog(const std::string& header)
{
    return header.size() > 40 ? header.substr(0, 40) + "..." : header;
}

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

void RaiseNext(DWORD* next, ULONGLONG seen)
{
    ULONGLONG after = seen + 1;
    DWORD capped = after >= kNoMoreIds ? kNoMoreIds : static_cast<DWORD>(after);
    if (capped > *next)
        *next = capped;
}

std::wstring NormalisedFolder(const std::wstring& folder)
{
    wchar_t buf[MAX_PATH * 2];
    DWORD value = GetFullPathNameW(folder.c_str(), MAX_PATH * 2, buf, 0);
    std::wstring full = (value > 0 && value < MAX_PATH * 2) ? std::wstring(buf, value) : folder;
    while (full.size() > 3 && (full[full.size() - 1] == L'\\' || full[full.size() - 1] == L'/')) {
        full.erase(full.size() - 1);
    }
    return full;
}

// One name per folder, whatever process or module opens it.
std::wstring ObjectName(const std::wstring& folder)
{
    std::wstring upper = folder;
    CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    unsigned long long hash = 1469598103934665603ULL;
    for (wchar_t ch : upper) {
        if (ch == L'/')
            ch = L'\\';
        hash = (hash ^ static_cast<unsigned short>(ch)) * 1099511628211ULL;
    }
    wchar_t name[64];
    _snwprintf(name, 64, L"VelDeviceStore-%08lx%08lx", static_cast<unsigned long>(hash >> 32),
               static_cast<unsigned long>(hash));
    name[63] = 0;
    return name;
}

// The first "<file>.damaged", "<file>.damaged-2", ... not yet taken.
std::wstring FreeDamagedName(const std::wstring& path)
{
    std::wstring name = path + L".damaged";
    for (DWORD i = 2; GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) {
        name = path + L".damaged-" + FormatNumber(i);
    }
    return name;
}

}  // namespace

class VelDevStoreImpl {
public:
    explicit VelDevStoreImpl(const std::wstring& folder);
    ~VelDevStoreImpl();

    std::wstring m_folder;
    HANDLE m_mutex;
    HANDLE m_mapping;
    SharedChanges* m_shared;
    CRITICAL_SECTION m_lock;  // the state below, within this process
    KindState<VelDevContact> m_contacts;
    KindState<VelDevCall> m_calls;
    KindState<VelDevMessage> m_messages;
    bool m_loaded[kKindCount];  // a kind is read when first asked for
    bool m_missing;             // as of the last look at every file
    unsigned m_tracked;         // kinds whose changes listeners are told of
    unsigned m_unparsed;        // kinds read by a first listener and not parsed yet
    DWORD m_lastSweep[kKindCount];
    LONG m_sequenceSeen;
    LONG m_slotsSeen[kKindCount][kTrackedFiles + 1];
    volatile LONG m_messagesListed;  // for the messages.delay fault

    CRITICAL_SECTION m_delivery;  // listeners
    std::map<DWORD, VelDevStoreListener> m_listeners;
    DWORD m_nextCookie;
    HANDLE m_thread, m_stop, m_kick;
    DWORD m_threadId;
    volatile LONG m_orphaned;  // the store went away while its watcher was delivering

    template <class R>
    KindState<R>& State();
    std::wstring PathOf(Kind kind, DWORD n) const { return JoinPath(m_folder, FileName(kind, n)); }
    bool Missing() const { return VelDevFault(L"store.missing") || !FolderExists(m_folder); }

    // Reading: callers hold m_lock.
    // Brings the kinds asked for (bits 1 << Kind) up to date: what the
    // shared table says changed, and every file when asked or when the last
    // look at every file is older than kSweepMs.
    void Freshen(bool everyFile, unsigned kinds = kAllKinds);
    void FreshenChanged();
    void ReloadChangedSlots(int k);
    // A first listener's kind: its files read as they are now, in one hold
    // of the mutex, and parsed when the kind is first used.
    template <class R>
    void ReadUnparsed();
    template <class R>
    void ParseUnparsed();
    void ParseUnparsed(unsigned kinds);
    void Sweep(unsigned kinds);
    template <class R>
    void SweepKind();
    template <class R>
    void ReloadFile(DWORD n);
    template <class R>
    bool Parse(const std::string& bytes, const std::wstring& fileName, FileState<R>* out);
    template <class R>
    void Adopt(DWORD n, FileState<R>& fresh);
    template <class R>
    DWORD NextId();

    // Writing: under WriteLock.
    bool WriteLock();
    void WriteUnlock();
    template <class R>
    bool SaveFile(DWORD n, FileState<R>& file);
    void Publish(Kind kind, DWORD n);
    template <class R>
    DWORD Add(const R& record);
    // An empty change deletes the record; removed gets what was deleted.
    template <class R>
    bool Change(DWORD id, const boost::function<bool(R&)>& change, boost::shared_ptr<const R>* removed = 0);
    template <class R>
    bool Commit(const std::map<DWORD, R>& wanted, bool* failed);
    bool Transact(const boost::function<bool(VelDevStoreData&)>& change);

    template <class R>
    void Fill(std::map<DWORD, R>& out);
    template <class R>
    void StartTracking();
    template <class R>
    void StartListening();
    template <class R>
    void Collect(VelDevStoreChanges* out);
    void Deliver(bool everyFile);
    void StartWatcher();
    static DWORD WINAPI WatcherMain(void* self);
};

template <>
KindState<VelDevContact>& VelDevStoreImpl::State<VelDevContact>()
{
    return m_contacts;
}
template <>
KindState<VelDevCall>& VelDevStoreImpl::State<VelDevCall>()
{
    return m_calls;
}
template <>
KindState<VelDevMessage>& VelDevStoreImpl::State<VelDevMessage>()
{
    return m_messages;
}

VelDevStoreImpl::VelDevStoreImpl(const std::wstring& folder)
    : m_folder(folder), m_mapping(0), m_shared(0), m_missing(false), m_tracked(0), m_unparsed(0), m_sequenceSeen(0),
      m_messagesListed(0), m_nextCookie(1), m_thread(0), m_stop(0), m_kick(0), m_threadId(0), m_orphaned(0)
{
    std::wstring name = ObjectName(folder);
    m_mutex = CreateMutexW(0, FALSE, name.c_str());
    m_mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, 0, PAGE_READWRITE, 0, sizeof(SharedChanges),
                                   (name + L"-changes").c_str());
    if (m_mapping)
        m_shared = static_cast<SharedChanges*>(MapViewOfFile(m_mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (!m_shared)
        VelDevDebugPrint(L"VelDevStore: no shared change table (%lu); every read looks at the files.\n",
                         GetLastError());
    memset(m_slotsSeen, 0, sizeof m_slotsSeen);
    for (int k = 0; k < kKindCount; ++k) {
        m_loaded[k] = false;
        m_lastSweep[k] = 0;
    }
    InitializeCriticalSection(&m_lock);
    InitializeCriticalSection(&m_delivery);
}

VelDevStoreImpl::~VelDevStoreImpl()
{
    if (m_thread)
        CloseHandle(m_thread);
    if (m_stop)
        CloseHandle(m_stop);
    if (m_kick)
        CloseHandle(m_kick);
    if (m_shared)
        UnmapViewOfFile(m_shared);
    if (m_mapping)
        CloseHandle(m_mapping);
    if (m_mutex)
        CloseHandle(m_mutex);
    DeleteCriticalSection(&m_delivery);
    DeleteCriticalSection(&m_lock);
}

bool VelDevStoreImpl::WriteLock()
{
    EnterCriticalSection(&m_lock);
    // An abandoned mutex is still ours: every save was atomic, so the files are whole.
    DWORD value = m_mutex ? WaitForSingleObject(m_mutex, INFINITE) : WAIT_FAILED;
    if (value != WAIT_OBJECT_0 && value != WAIT_ABANDONED) {
        LeaveCriticalSection(&m_lock);
        return false;
    }
    return true;
}

void VelDevStoreImpl::WriteUnlock()
{
    ReleaseMutex(m_mutex);
    LeaveCriticalSection(&m_lock);
}

template <class R>
bool VelDevStoreImpl::Parse(const std::string& bytes, const std::wstring& fileName, FileState<R>* out)
{
    bool damaged = false;
    const std::string text = AsUtf8(bytes, fileName.c_str());
    std::vector<Chunk> chunks = SplitRecords(text);
    std::wstring wide;
    Section section;
    for (const Chunk& chunk : chunks) {
        if (chunk.header.empty()) {
            if (chunk.malformed) {
                VelDevDebugPrint(L"VelDevStore: %ls: text before the first record skipped.\n", fileName.c_str());
                damaged = true;
            }
            continue;
        }
        std::wstring why;
        std::wstring name = SectionName(chunk.header);
        DWORD id = 0;
        // An id named anywhere, even in a record that cannot be read, is never given out again.
        if (ParseNumber(name, &id))
            RaiseNext(&out->nextId, id);
        if (chunk.malformed) {
            why = L"malformed line";
        } else if (!WideText(text, chunk, &wide)) {
            why = L"not UTF-8";
        } else {
            ParseSection(wide.data(), wide.size(), name, &section);
            if (_wcsicmp(name.c_str(), kMetaSection) == 0) {
                DWORD next = 0;
                const wchar_t* value = section.Get(L"nextId");
                if (value && ParseNumber(value, &next) && next > out->nextId)
                    out->nextId = next;
                continue;
            }
            if (_wcsicmp(name.c_str(), kDeletedSection) == 0) {
                for (const SectionValue& entry : section.values) {
                    DWORD deleted = 0, pid = 0;
                    if (!ParseNumber(entry.key, &deleted))
                        continue;
                    RaiseNext(&out->nextId, deleted);
                    if (ParseNumber(entry.value, &pid))
                        out->deletions.push_back({deleted, pid});
                }
                continue;
            }
            R r;
            const wchar_t* rev = section.Get(L"revision");
            const wchar_t* writer = section.Get(L"writer");
            if (!ParseNumber(name, &id) || id == 0 || id == kNoMoreIds) {
                why = L"bad id";
            } else if (out->records.count(id)) {
                why = L"duplicate id";
            } else if (!rev || !ParseNumber(rev, &r.revision)) {
                why = L"no revision (cut short?)";
            } else if (writer && !ParseNumber(writer, &r.writer)) {
                why = L"bad writer";
            } else if (KindOf<R>::Read(section, &r, &why)) {
                if (!why.empty()) {
                    // Read, less what it could not keep: the file is kept aside on the next save.
                    std::string shown = ShortForLog(chunk.header);
                    VelDevDebugPrint(L"VelDevStore: %ls: record %hs: %ls.\n", fileName.c_str(), shown.c_str(),
                                     why.c_str());
                    damaged = true;
                }
                r.id = id;
                out->records[id] = boost::make_shared<const R>(r);
                continue;
            }
        }
        std::string shown = ShortForLog(chunk.header);
        VelDevDebugPrint(L"VelDevStore: %ls: record %hs skipped: %ls.\n", fileName.c_str(), shown.c_str(), why.c_str());
        damaged = true;
    }
    out->damaged = damaged;
    return true;
}

template <class R>
void VelDevStoreImpl::Adopt(DWORD n, FileState<R>& fresh)
{
    KindState<R>& state = State<R>();
    typename std::map<DWORD, FileState<R>>::iterator old = state.files.find(n);
    if (old != state.files.end()) {
        for (const auto& kv : old->second.records) {
            typename std::map<DWORD, typename KindState<R>::Entry>::iterator at = state.all.find(kv.first);
            if (at == state.all.end() || at->second.file != n)
                continue;
            state.all.erase(at);
            if (m_tracked & KindBit<R>())
                state.dirty.insert(kv.first);
        }
    }
    std::vector<DWORD> elsewhere;
    for (const auto& kv : fresh.records) {
        typename std::map<DWORD, typename KindState<R>::Entry>::iterator at = state.all.find(kv.first);
        if (at != state.all.end()) {
            elsewhere.push_back(kv.first);
            continue;
        }
        typename KindState<R>::Entry e = {kv.second, n};
        state.all[kv.first] = e;
        if (m_tracked & KindBit<R>())
            state.dirty.insert(kv.first);
    }
    for (DWORD id : elsewhere) {
        VelDevDebugPrint(L"VelDevStore: %ls: record [%lu] skipped: duplicate id.\n",
                         FileName(KindOf<R>::kind, n).c_str(), static_cast<unsigned long>(id));
        fresh.records.erase(id);
        fresh.damaged = true;
    }
    if (!fresh.stamp.exists && fresh.records.empty()) {
        if (old != state.files.end())
            state.files.erase(old);
        return;
    }
    FileState<R>& kept = state.files[n];
    kept = fresh;
}

template <class R>
void VelDevStoreImpl::ReloadFile(DWORD n)
{
    const Kind kind = KindOf<R>::kind;
    KindState<R>& state = State<R>();
    typename std::map<DWORD, FileState<R>>::iterator known = state.files.find(n);
    std::wstring path = PathOf(kind, n);
    std::string bytes;
    FileState<R> fresh;
    bool read = false;
    DWORD error = 0;
    {
        // An open file cannot be replaced: a file is opened only while no one
        // writes, and let go before it is parsed.
        DWORD waited = m_mutex ? WaitForSingleObject(m_mutex, INFINITE) : WAIT_FAILED;
        // A file not held yet is read at once: a missing one reads as empty.
        bool same = known != state.files.end() && StampOf(path) == known->second.stamp;
        if (!same) {
            read = ReadStamped(path, &bytes, &fresh.stamp);
            error = read ? 0 : GetLastError();
        }
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
            ReleaseMutex(m_mutex);
        if (same)
            return;
    }
    if (!read) {
        // Keep what was read before; a store whose folder went away says nothing.
        if (error != ERROR_PATH_NOT_FOUND) {
            VelDevDebugPrint(L"VelDevStore: %ls cannot be read (%lu).\n", FileName(kind, n).c_str(), error);
        }
        return;
    }
    if (known != state.files.end() && fresh.stamp == known->second.stamp)
        return;
    Parse<R>(bytes, FileName(kind, n), &fresh);
    Adopt<R>(n, fresh);
}

template <class R>
void VelDevStoreImpl::SweepKind()
{
    const Kind kind = KindOf<R>::kind;
    KindState<R>& state = State<R>();
    std::set<DWORD> listed;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(JoinPath(m_folder, std::wstring(kFileStems[kind]) + L"*.ini").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND)
        return;  // gone: keep what was read
    if (find != INVALID_HANDLE_VALUE) {
        do {
            DWORD n = 0;
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !ParseFileName(kind, fd.cFileName, &n))
                continue;
            listed.insert(n);
            // The listing tells size and time of every file at once; only a file
            // that differs in either is opened.
            typename std::map<DWORD, FileState<R>>::const_iterator known = state.files.find(n);
            if (known != state.files.end() && known->second.stamp.exists && fd.nFileSizeHigh == 0 &&
                fd.nFileSizeLow == known->second.stamp.sizeLow &&
                CompareFileTime(&fd.ftLastWriteTime, &known->second.stamp.written) == 0) {
                continue;
            }
            ReloadFile<R>(n);
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    std::vector<DWORD> gone;
    for (const auto& kv : state.files) {
        if (!listed.count(kv.first))
            gone.push_back(kv.first);
    }
    for (DWORD n : gone)
        ReloadFile<R>(n);
}

void VelDevStoreImpl::Sweep(unsigned kinds)
{
    const DWORD now = GetTickCount();
    m_missing = Missing();
    for (int k = 0; k < kKindCount; ++k) {
        if (!(kinds & (1u << k)))
            continue;
        if (m_shared) {
            for (DWORD slot = 0; slot <= kTrackedFiles; ++slot)
                m_slotsSeen[k][slot] = m_shared->files[k][slot];
        }
        m_lastSweep[k] = now;
        m_loaded[k] = true;
        if (k == kContacts)
            SweepKind<VelDevContact>();
        else if (k == kCalls)
            SweepKind<VelDevCall>();
        else
            SweepKind<VelDevMessage>();
    }
}

void VelDevStoreImpl::Freshen(bool everyFile, unsigned kinds)
{
    if (m_unparsed & kinds)
        ParseUnparsed(m_unparsed & kinds);
    const DWORD now = GetTickCount();
    unsigned sweep = 0;
    for (int k = 0; k < kKindCount; ++k) {
        if ((kinds & (1u << k)) && (everyFile || !m_shared || !m_loaded[k] || now - m_lastSweep[k] >= kSweepMs)) {
            sweep |= 1u << k;
        }
    }
    const bool changed = m_shared && m_shared->sequence != m_sequenceSeen;
    if (!sweep && !changed)
        return;
    bool first = false;
    for (int k = 0; k < kKindCount; ++k)
        first = first || ((sweep & (1u << k)) && !m_loaded[k]);
    // Writers wait while we look (each file is also held on its own while it
    // is read); a first read of a big store holds them only file by file.
    DWORD waited = !first && m_mutex ? WaitForSingleObject(m_mutex, INFINITE) : WAIT_FAILED;
    if (changed)
        FreshenChanged();
    if (sweep)
        Sweep(sweep);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        ReleaseMutex(m_mutex);
}

// Kinds not read yet are left for their first look at every file.
void VelDevStoreImpl::FreshenChanged()
{
    LONG sequence = m_shared->sequence;
    if (sequence == m_sequenceSeen)
        return;
    m_sequenceSeen = sequence;
    for (int k = 0; k < kKindCount; ++k) {
        if (m_loaded[k])
            ReloadChangedSlots(k);
    }
}

void VelDevStoreImpl::ReloadChangedSlots(int k)
{
    if (!m_shared)
        return;
    for (DWORD slot = 0; slot <= kTrackedFiles; ++slot) {
        LONG value = m_shared->files[k][slot];
        if (value == m_slotsSeen[k][slot])
            continue;
        m_slotsSeen[k][slot] = value;
        if (slot == kTrackedFiles) {
            Sweep(1u << k);
            break;
        }
        if (k == kContacts)
            ReloadFile<VelDevContact>(slot);
        else if (k == kCalls)
            ReloadFile<VelDevCall>(slot);
        else
            ReloadFile<VelDevMessage>(slot);
    }
}

template <class R>
void VelDevStoreImpl::ReadUnparsed()
{
    const Kind kind = KindOf<R>::kind;
    KindState<R>& state = State<R>();
    state.unparsed.clear();
    DWORD waited = m_mutex ? WaitForSingleObject(m_mutex, INFINITE) : WAIT_FAILED;
    m_missing = Missing();
    if (m_shared) {
        for (DWORD slot = 0; slot <= kTrackedFiles; ++slot)
            m_slotsSeen[kind][slot] = m_shared->files[kind][slot];
    }
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(JoinPath(m_folder, std::wstring(kFileStems[kind]) + L"*.ini").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            DWORD n = 0;
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !ParseFileName(kind, fd.cFileName, &n))
                continue;
            std::pair<Stamp, std::string> file;
            if (!ReadStamped(PathOf(kind, n), &file.second, &file.first)) {
                DWORD error = GetLastError();
                if (error != ERROR_PATH_NOT_FOUND)
                    VelDevDebugPrint(L"VelDevStore: %ls cannot be read (%lu).\n", FileName(kind, n).c_str(), error);
                continue;
            }
            if (file.first.exists)
                state.unparsed[n].swap(file);
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        ReleaseMutex(m_mutex);
    m_unparsed |= KindBit<R>();
}

template <class R>
void VelDevStoreImpl::ParseUnparsed()
{
    const Kind kind = KindOf<R>::kind;
    KindState<R>& state = State<R>();
    for (auto& kv : state.unparsed) {
        FileState<R> fresh;
        fresh.stamp = kv.second.first;
        Parse<R>(kv.second.second, FileName(kind, kv.first), &fresh);
        Adopt<R>(kv.first, fresh);
    }
    state.unparsed.clear();
    m_unparsed &= ~KindBit<R>();
    m_loaded[kind] = true;
    // What the listener found is what it was told; whatever changed since
    // is heard of from here on.
    if (m_tracked & KindBit<R>())
        StartTracking<R>();
    ReloadChangedSlots(kind);
    m_lastSweep[kind] = GetTickCount() - kSweepMs;
}

void VelDevStoreImpl::ParseUnparsed(unsigned kinds)
{
    if (kinds & KindBit<VelDevContact>())
        ParseUnparsed<VelDevContact>();
    if (kinds & KindBit<VelDevCall>())
        ParseUnparsed<VelDevCall>();
    if (kinds & KindBit<VelDevMessage>())
        ParseUnparsed<VelDevMessage>();
}

template <class R>
DWORD VelDevStoreImpl::NextId()
{
    DWORD next = 1;
    KindState<R>& state = State<R>();
    for (const auto& kv : state.files)
        next = std::max(next, kv.second.nextId);
    if (!state.all.empty())
        RaiseNext(&next, state.all.rbegin()->first);
    return next;
}

template <class R>
bool VelDevStoreImpl::SaveFile(DWORD n, FileState<R>& file)
{
    const Kind kind = KindOf<R>::kind;
    CSimpleIniW ini;
    ini.SetUnicode(true);
    ini.SetValue(kMetaSection, L"nextId", FormatNumber(file.nextId).c_str());
    for (const auto& kv : file.records) {
        std::wstring section = FormatNumber(kv.first);
        KindOf<R>::Write(ini, section.c_str(), *kv.second);
        ini.SetValue(section.c_str(), L"writer", FormatNumber(kv.second->writer).c_str());
        ini.SetValue(section.c_str(), L"revision", FormatNumber(kv.second->revision).c_str());
    }
    for (const auto& deletion : file.deletions) {
        ini.SetValue(kDeletedSection, FormatNumber(deletion.first).c_str(), FormatNumber(deletion.second).c_str());
    }
    std::string text;
    if (ini.Save(text, false) < 0)
        return false;
    std::wstring path = PathOf(kind, n);
    typename std::map<DWORD, FileState<R>>::iterator known = State<R>().files.find(n);
    if (known != State<R>().files.end() && known->second.damaged) {
        // What was skipped is not lost for good: each damaged file stays beside, under a name of its own.
        std::wstring aside = FreeDamagedName(path);
        if (!CopyFileW(path.c_str(), aside.c_str(), TRUE)) {
            VelDevDebugPrint(L"VelDevStore: %ls cannot be kept aside (%lu).\n", FileName(kind, n).c_str(),
                             GetLastError());
            return false;
        }
    }
    if (!WriteFileAtomically(path, text)) {
        VelDevDebugPrint(L"VelDevStore: %ls cannot be written (%lu).\n", FileName(kind, n).c_str(), GetLastError());
        if (known != State<R>().files.end())
            known->second.stamp = Stamp();  // read again next time
        return false;
    }
    file.stamp = StampOf(path);
    file.damaged = false;
    return true;
}

void VelDevStoreImpl::Publish(Kind kind, DWORD value)
{
    if (!m_shared)
        return;
    // Under the store's mutex no other writer is between our last look and now.
    m_slotsSeen[kind][SlotFor(value)] = InterlockedIncrement(&m_shared->files[kind][SlotFor(value)]);
    m_sequenceSeen = InterlockedIncrement(&m_shared->sequence);
    if (m_kick)
        SetEvent(m_kick);
}

template <class R>
DWORD VelDevStoreImpl::Add(const R& record)
{
    if (VelDevFault(L"store.missing") || !MakeFolders(m_folder) || !WriteLock())
        return 0;
    Freshen(false, KindBit<R>());
    DWORD id = NextId<R>();
    if (id != kNoMoreIds) {
        ReloadFile<R>(FileFor(id));  // the one file written may have been edited by hand
        id = NextId<R>();
    }
    if (id == kNoMoreIds) {
        VelDevDebugPrint(L"VelDevStore: %ls: every id has been given out.\n", kFileStems[KindOf<R>::kind]);
        WriteUnlock();
        return 0;
    }
    const DWORD n = FileFor(id);
    FileState<R> file;
    typename std::map<DWORD, FileState<R>>::iterator known = State<R>().files.find(n);
    if (known != State<R>().files.end())
        file = known->second;
    R stored = record;
    stored.id = id;
    stored.revision = 1;
    stored.writer = GetCurrentProcessId();
    file.records[id] = boost::make_shared<const R>(stored);
    RaiseNext(&file.nextId, id);
    bool ok = SaveFile<R>(n, file);
    if (ok) {
        Adopt<R>(n, file);
        Publish(KindOf<R>::kind, n);
    }
    WriteUnlock();
    return ok ? id : 0;
}

template <class R>
bool VelDevStoreImpl::Change(DWORD id, const boost::function<bool(R&)>& change, boost::shared_ptr<const R>* removed)
{
    if (VelDevFault(L"store.missing") || !MakeFolders(m_folder) || !WriteLock())
        return false;
    Freshen(false, KindBit<R>());
    KindState<R>& state = State<R>();
    typename std::map<DWORD, typename KindState<R>::Entry>::iterator at = state.all.find(id);
    if (at != state.all.end()) {
        ReloadFile<R>(at->second.file);
        at = state.all.find(id);
    }
    if (at == state.all.end()) {
        WriteUnlock();
        return false;
    }
    const DWORD n = at->second.file;
    boost::shared_ptr<const R> was = at->second.record;
    FileState<R> file = state.files[n];
    bool ok = false, changed = true;
    if (!change) {  // a deletion
        if (removed)
            *removed = was;
        file.records.erase(id);
        file.deletions.push_back({id, GetCurrentProcessId()});
        if (file.deletions.size() > kDeletionsKept)
            file.deletions.pop_front();
        ok = true;
    } else {
        R now = *was;
        try {
            ok = change(now);
        } catch (...) {
            ok = false;
        }
        changed = ok && !SameContent(*was, now);
        if (changed) {
            now.id = id;
            now.revision = was->revision + 1;
            now.writer = GetCurrentProcessId();
            file.records[id] = boost::make_shared<const R>(now);
        }
    }
    if (ok && changed) {
        ok = SaveFile<R>(n, file);
        if (ok) {
            Adopt<R>(n, file);
            Publish(KindOf<R>::kind, n);
        }
    }
    WriteUnlock();
    return ok;
}

// Writes every file in which wanted differs from what is held, the way
// Add and Change write one.
template <class R>
bool VelDevStoreImpl::Commit(const std::map<DWORD, R>& wanted, bool* failed)
{
    KindState<R>& state = State<R>();
    const DWORD pid = GetCurrentProcessId();
    std::map<DWORD, FileState<R>> touched;
    auto fileOf = [&](DWORD n) -> FileState<R>& {
        typename std::map<DWORD, FileState<R>>::iterator held = touched.find(n);
        if (held != touched.end())
            return held->second;
        FileState<R>& file = touched[n];
        typename std::map<DWORD, FileState<R>>::iterator known = state.files.find(n);
        if (known != state.files.end())
            file = known->second;
        return file;
    };
    for (const auto& kv : wanted) {
        if (kv.first == 0 || kv.first == kNoMoreIds)
            continue;
        typename std::map<DWORD, typename KindState<R>::Entry>::iterator at = state.all.find(kv.first);
        R record = kv.second;
        record.id = kv.first;
        record.writer = pid;
        if (at == state.all.end()) {
            record.revision = 1;
            FileState<R>& file = fileOf(FileFor(kv.first));
            file.records[kv.first] = boost::make_shared<const R>(record);
            RaiseNext(&file.nextId, kv.first);
        } else if (!SameContent(*at->second.record, record)) {
            record.revision = at->second.record->revision + 1;
            fileOf(at->second.file).records[kv.first] = boost::make_shared<const R>(record);
        }
    }
    for (const auto& kv : state.all) {
        if (wanted.count(kv.first))
            continue;
        FileState<R>& file = fileOf(kv.second.file);
        file.records.erase(kv.first);
        file.deletions.push_back({kv.first, pid});
        if (file.deletions.size() > kDeletionsKept)
            file.deletions.pop_front();
    }
    for (auto& kv : touched) {
        if (!SaveFile<R>(kv.first, kv.second)) {
            *failed = true;
            return false;
        }
        Adopt<R>(kv.first, kv.second);
        Publish(KindOf<R>::kind, kv.first);
    }
    return true;
}

bool VelDevStoreImpl::Transact(const boost::function<bool(VelDevStoreData&)>& change)
{
    if (VelDevFault(L"store.missing") || !MakeFolders(m_folder) || !WriteLock())
        return false;
    Freshen(true);
    VelDevStoreData work;
    Fill<VelDevContact>(work.contacts);
    Fill<VelDevCall>(work.calls);
    Fill<VelDevMessage>(work.messages);
    work.nextContactId = NextId<VelDevContact>();
    work.nextCallId = NextId<VelDevCall>();
    work.nextMessageId = NextId<VelDevMessage>();
    bool ok = false;
    try {
        ok = change(work);
    } catch (...) {
        ok = false;
    }
    bool failed = false;
    if (ok) {
        ok = Commit<VelDevContact>(work.contacts, &failed) && Commit<VelDevCall>(work.calls, &failed) &&
             Commit<VelDevMessage>(work.messages, &failed);
    }
    WriteUnlock();
    return ok;
}

template <class R>
void VelDevStoreImpl::Fill(std::map<DWORD, R>& out)
{
    out.clear();
    for (const auto& kv : State<R>().all)
        out.insert(out.end(), std::make_pair(kv.first, *kv.second.record));
}

template <class R>
void VelDevStoreImpl::StartTracking()
{
    KindState<R>& state = State<R>();
    state.notified.clear();
    state.dirty.clear();
    for (const auto& kv : state.all)
        state.notified.insert(state.notified.end(), std::make_pair(kv.first, kv.second.record));
}

// Under m_lock, with the kind's bit set in m_tracked.
template <class R>
void VelDevStoreImpl::StartListening()
{
    const Kind k = KindOf<R>::kind;
    if (!m_loaded[k] && !(m_unparsed & KindBit<R>())) {
        ReadUnparsed<R>();
        return;
    }
    Freshen(true, KindBit<R>());
    StartTracking<R>();
}

template <class R>
void VelDevStoreImpl::Collect(VelDevStoreChanges* out)
{
    KindState<R>& state = State<R>();
    const DWORD pid = GetCurrentProcessId();
    std::vector<VelDevChange<R>>& changes = KindOf<R>::Changes(*out);
    for (DWORD id : state.dirty) {
        typename std::map<DWORD, typename KindState<R>::Entry>::const_iterator now = state.all.find(id);
        typename std::map<DWORD, boost::shared_ptr<const R>>::iterator was = state.notified.find(id);
        bool isNow = now != state.all.end(), wasThere = was != state.notified.end();
        if (!isNow && !wasThere)
            continue;
        if (isNow && wasThere && (now->second.record == was->second || *now->second.record == *was->second))
            continue;
        VelDevChange<R> change;
        change.id = id;
        if (isNow) {
            change.type = wasThere ? kDevChanged : kDevCreated;
            change.ownProcess = now->second.record->writer == pid;
            if (wasThere)
                change.before = was->second;
            change.after = now->second.record;
            state.notified[id] = now->second.record;
        } else {
            change.type = kDevDeleted;
            change.ownProcess = false;
            const DWORD homes[2] = {FileFor(id), 0};
            for (DWORD n : homes) {
                typename std::map<DWORD, FileState<R>>::const_iterator file = state.files.find(n);
                if (file == state.files.end())
                    continue;
                for (const auto& deletion : file->second.deletions) {
                    if (deletion.first == id)
                        change.ownProcess = deletion.second == pid;
                }
            }
            change.before = was->second;
            state.notified.erase(was);
        }
        changes.push_back(change);
    }
    state.dirty.clear();
}

void VelDevStoreImpl::Deliver(bool everyFile)
{
    EnterCriticalSection(&m_delivery);
    if (m_listeners.empty()) {
        LeaveCriticalSection(&m_delivery);
        return;
    }
    VelDevStoreChanges changes;
    EnterCriticalSection(&m_lock);
    // A store that is gone has nothing to tell until it is back.
    if (!Missing()) {
        Freshen(everyFile, m_tracked);
        Collect<VelDevContact>(&changes);
        Collect<VelDevCall>(&changes);
        Collect<VelDevMessage>(&changes);
    }
    LeaveCriticalSection(&m_lock);
    if (!changes.Empty()) {
        std::vector<DWORD> cookies;
        for (const auto& kv : m_listeners)
            cookies.push_back(kv.first);
        for (DWORD cookie : cookies) {
            // A listener may remove itself or another one while we deliver.
            std::map<DWORD, VelDevStoreListener>::iterator it = m_listeners.find(cookie);
            if (it == m_listeners.end())
                continue;
            VelDevStoreListener listener = it->second;
            try {
                listener(changes);
            } catch (...) {
                VelDevDebugPrint(L"VelDevStore: a listener threw.\n");
            }
        }
    }
    LeaveCriticalSection(&m_delivery);
}

DWORD WINAPI VelDevStoreImpl::WatcherMain(void* param)
{
    VelDevStoreImpl* self = static_cast<VelDevStoreImpl*>(param);
    HANDLE change = INVALID_HANDLE_VALUE;
    for (;;) {
        if (change == INVALID_HANDLE_VALUE && FolderExists(self->m_folder)) {
            change = FindFirstChangeNotificationW(self->m_folder.c_str(), FALSE,
                                                  FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                                      FILE_NOTIFY_CHANGE_SIZE);
        }
        HANDLE handles[3] = {self->m_stop, self->m_kick, change};
        DWORD count = change == INVALID_HANDLE_VALUE ? 2 : 3;
        // The poll covers a folder made later and a change the notification missed.
        DWORD value = WaitForMultipleObjects(count, handles, FALSE, kWatchPollMs);
        if (value == WAIT_OBJECT_0 || self->m_orphaned)
            break;
        // An open watch keeps a removed folder in being until it is closed:
        // let it go at every quiet poll, and watch again while the folder exists.
        if ((value == WAIT_OBJECT_0 + 2 && !FindNextChangeNotification(change)) ||
            (value == WAIT_TIMEOUT && change != INVALID_HANDLE_VALUE)) {
            FindCloseChangeNotification(change);
            change = INVALID_HANDLE_VALUE;
        }
        self->Deliver(false);
        if (self->m_orphaned)
            break;
    }
    if (change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(change);
    if (self->m_orphaned)
        delete self;
    return 0;
}

void VelDevStoreImpl::StartWatcher()
{
    if (m_thread)
        return;
    m_stop = CreateEventW(0, TRUE, FALSE, 0);
    m_kick = CreateEventW(0, FALSE, FALSE, 0);
    m_thread = CreateThread(0, 0, &VelDevStoreImpl::WatcherMain, this, 0, &m_threadId);
    if (!m_thread)
        VelDevDebugPrint(L"VelDevStore: no watcher thread (%lu).\n", GetLastError());
}

// ---------------------------------------------------------------------------

namespace {

struct SharedStores {
    CRITICAL_SECTION lock;
    std::map<std::wstring, boost::weak_ptr<VelDevStore>> stores;
    SharedStores() { InitializeCriticalSection(&lock); }
};

// Never destroyed: watcher threads may still open stores while the process exits.
SharedStores& Shared()
{
    static SharedStores* sharedStores = new SharedStores;
    return *sharedStores;
}

std::wstring EnvironmentValue(const wchar_t* name)
{
    wchar_t buf[MAX_PATH * 2];
    DWORD value = GetEnvironmentVariableW(name, buf, MAX_PATH * 2);
    return value > 0 && value < MAX_PATH * 2 ? std::wstring(buf, value) : std::wstring();
}

const size_t kMaxPictureBytes = 4 * 1024 * 1024;
const size_t kMaxExtensionChars = 8;

bool PlainExtension(const std::wstring& extension)
{
    if (extension.size() > kMaxExtensionChars)
        return false;
    for (wchar_t ch : extension) {
        if (!((ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z') || (ch >= L'0' && ch <= L'9')))
            return false;
    }
    return true;
}

template <class R>
bool FindIn(VelDevStoreImpl* impl, DWORD id, R* out)
{
    EnterCriticalSection(&impl->m_lock);
    impl->Freshen(false, KindBit<R>());
    bool found = false;
    if (!impl->m_missing) {
        const auto& all = impl->State<R>().all;
        auto it = all.find(id);
        found = it != all.end();
        if (found && out)
            *out = *it->second.record;
    }
    LeaveCriticalSection(&impl->m_lock);
    return found;
}

template <class R>
std::vector<boost::shared_ptr<const R>> SharedOf(VelDevStoreImpl* impl)
{
    std::vector<boost::shared_ptr<const R>> out;
    if (impl->Missing())
        return out;
    EnterCriticalSection(&impl->m_lock);
    impl->Freshen(true, KindBit<R>());
    const auto& all = impl->State<R>().all;
    out.reserve(all.size());
    for (const auto& kv : all)
        out.push_back(kv.second.record);
    LeaveCriticalSection(&impl->m_lock);
    return out;
}

template <class R>
std::vector<R> AllOf(VelDevStoreImpl* impl)
{
    const std::vector<boost::shared_ptr<const R>> shared = SharedOf<R>(impl);
    std::vector<R> out;
    out.reserve(shared.size());
    for (const auto& record : shared)
        out.push_back(*record);
    return out;
}

}  // namespace

boost::shared_ptr<VelDevStore> VelDevStore::Open() { return OpenAt(ConfiguredFolder()); }

boost::shared_ptr<VelDevStore> VelDevStore::OpenAt(const std::wstring& folder)
{
    std::wstring full = NormalisedFolder(folder);
    std::wstring key = full;
    CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    SharedStores& sharedStores = Shared();
    EnterCriticalSection(&sharedStores.lock);
    boost::shared_ptr<VelDevStore> store = sharedStores.stores[key].lock();
    if (!store) {
        store.reset(new VelDevStore(full));
        sharedStores.stores[key] = store;
    }
    LeaveCriticalSection(&sharedStores.lock);
    return store;
}

std::wstring VelDevStore::ConfiguredFolder()
{
    std::wstring folder = EnvironmentValue(VEL_DEVICE_STORE_ENV);
    return folder.empty() ? DefaultFolder() : folder;
}

std::wstring VelDevStore::DefaultFolder()
{
    std::wstring base = EnvironmentValue(L"LOCALAPPDATA");
    if (base.empty())
        base = EnvironmentValue(L"USERPROFILE");
    if (base.empty())
        base = L"C:\\";
    return JoinPath(JoinPath(base, L"Velmora"), L"DeviceStore");
}

VelDevStore::VelDevStore(const std::wstring& folder) : m_impl(new VelDevStoreImpl(folder)) {}

VelDevStore::~VelDevStore()
{
    if (!m_impl->m_thread) {
        delete m_impl;
        return;
    }
    if (GetCurrentThreadId() == m_impl->m_threadId) {
        // Released from inside a delivery: the watcher frees itself when it returns.
        InterlockedExchange(&m_impl->m_orphaned, 1);
        return;
    }
    SetEvent(m_impl->m_stop);
    WaitForSingleObject(m_impl->m_thread, INFINITE);
    delete m_impl;
}

const std::wstring& VelDevStore::Folder() const { return m_impl->m_folder; }
bool VelDevStore::IsMissing() const { return m_impl->Missing(); }

VelDevStoreData VelDevStore::Snapshot()
{
    VelDevStoreData copy;
    if (m_impl->Missing())
        return copy;
    EnterCriticalSection(&m_impl->m_lock);
    m_impl->Freshen(true);
    m_impl->Fill<VelDevContact>(copy.contacts);
    m_impl->Fill<VelDevCall>(copy.calls);
    m_impl->Fill<VelDevMessage>(copy.messages);
    copy.nextContactId = m_impl->NextId<VelDevContact>();
    copy.nextCallId = m_impl->NextId<VelDevCall>();
    copy.nextMessageId = m_impl->NextId<VelDevMessage>();
    LeaveCriticalSection(&m_impl->m_lock);
    return copy;
}

std::vector<VelDevContact> VelDevStore::Contacts() { return AllOf<VelDevContact>(m_impl); }
std::vector<boost::shared_ptr<const VelDevContact>> VelDevStore::ContactList()
{
    return SharedOf<VelDevContact>(m_impl);
}
std::vector<VelDevMessage> VelDevStore::Messages()
{
    // A slow phone for tests: the first listing takes the fault's milliseconds,
    // without holding the store, so other threads go on meanwhile.
    if (InterlockedExchange(&m_impl->m_messagesListed, 1) == 0) {
        const DWORD delay = VelDevFaultValue(L"messages.delay", 0);
        if (delay)
            Sleep(delay < kLongestDelayMs ? delay : kLongestDelayMs);
    }
    return AllOf<VelDevMessage>(m_impl);
}

std::vector<VelDevCall> VelDevStore::CallsNewestFirst()
{
    std::vector<VelDevCallRef> refs = CallLog();
    std::vector<VelDevCall> out;
    out.reserve(refs.size());
    for (const VelDevCallRef& callRef : refs)
        out.push_back(*callRef);
    return out;
}

std::vector<VelDevCallRef> VelDevStore::CallLog()
{
    std::vector<VelDevCallRef> out;
    if (m_impl->Missing())
        return out;
    EnterCriticalSection(&m_impl->m_lock);
    m_impl->Freshen(true, KindBit<VelDevCall>());
    out.reserve(m_impl->m_calls.all.size());
    for (const auto& kv : m_impl->m_calls.all)
        out.push_back(kv.second.record);
    LeaveCriticalSection(&m_impl->m_lock);
    std::sort(out.begin(), out.end(), [](const VelDevCallRef& left, const VelDevCallRef& right) {
        int order = CompareFileTime(&left->start, &right->start);
        if (order != 0)
            return order > 0;
        return left->id > right->id;
    });
    return out;
}

bool VelDevStore::FindContact(DWORD id, VelDevContact* out) { return FindIn(m_impl, id, out); }
bool VelDevStore::FindCall(DWORD id, VelDevCall* out) { return FindIn(m_impl, id, out); }
bool VelDevStore::FindMessage(DWORD id, VelDevMessage* out) { return FindIn(m_impl, id, out); }

bool VelDevStore::Transact(const boost::function<bool(VelDevStoreData&)>& change) { return m_impl->Transact(change); }

namespace {

template <class R>
bool Overwrite(const R& wanted, R& stored)
{
    stored = wanted;
    return true;
}

}  // namespace

DWORD VelDevStore::AddContact(const VelDevContact& contact) { return m_impl->Add(contact); }
bool VelDevStore::UpdateContact(const VelDevContact& contact)
{
    return m_impl->Change<VelDevContact>(contact.id,
                                         [&contact](VelDevContact& stored) { return Overwrite(contact, stored); });
}
bool VelDevStore::ChangeContact(DWORD id, const boost::function<bool(VelDevContact&)>& change)
{
    return change && m_impl->Change(id, change);
}

bool VelDevStore::DeleteContact(DWORD id)
{
    boost::shared_ptr<const VelDevContact> removed;
    if (!m_impl->Change<VelDevContact>(id, boost::function<bool(VelDevContact&)>(), &removed))
        return false;
    std::wstring picture = removed ? PicturePath(*removed) : std::wstring();
    if (!picture.empty())
        DeleteFileW(picture.c_str());
    return true;
}

DWORD VelDevStore::AddCall(const VelDevCall& call) { return m_impl->Add(call); }
bool VelDevStore::UpdateCall(const VelDevCall& call)
{
    return m_impl->Change<VelDevCall>(call.id, [&call](VelDevCall& stored) { return Overwrite(call, stored); });
}
bool VelDevStore::ChangeCall(DWORD id, const boost::function<bool(VelDevCall&)>& change)
{
    return change && m_impl->Change(id, change);
}
bool VelDevStore::DeleteCall(DWORD id) { return m_impl->Change<VelDevCall>(id, boost::function<bool(VelDevCall&)>()); }
DWORD VelDevStore::AddMessage(const VelDevMessage& message) { return m_impl->Add(message); }
bool VelDevStore::UpdateMessage(const VelDevMessage& message)
{
    return m_impl->Change<VelDevMessage>(message.id,
                                         [&message](VelDevMessage& stored) { return Overwrite(message, stored); });
}
bool VelDevStore::ChangeMessage(DWORD id, const boost::function<bool(VelDevMessage&)>& change)
{
    return change && m_impl->Change(id, change);
}
bool VelDevStore::DeleteMessage(DWORD id)
{
    return m_impl->Change<VelDevMessage>(id, boost::function<bool(VelDevMessage&)>());
}

std::wstring VelDevStore::PicturePath(const VelDevContact& contact) const
{
    if (!VelDevPlainFileName(contact.picture))
        return std::wstring();
    return JoinPath(JoinPath(m_impl->m_folder, L"pictures"), contact.picture);
}

bool VelDevStore::SetContactPicture(DWORD id, const std::string& bytes, const std::wstring& extension)
{
    if (!PlainExtension(extension) || bytes.size() > kMaxPictureBytes)
        return false;
    std::wstring old;
    bool ok = m_impl->Change<VelDevContact>(id, [&](VelDevContact& contact) {
        // A new name per picture, so the record changes with the image.
        std::wstring name = FormatNumber(id) + L"-" + FormatNumber(contact.revision + 1);
        if (!extension.empty())
            name += L"." + extension;
        if (!MakeFolders(JoinPath(m_impl->m_folder, L"pictures")))
            return false;
        old = PicturePath(contact);
        contact.picture = name;
        return WriteFileAtomically(PicturePath(contact), bytes);
    });
    if (ok && !old.empty())
        DeleteFileW(old.c_str());
    return ok;
}

bool VelDevStore::ReadContactPicture(DWORD id, std::string* bytes)
{
    // Only the picture's name is taken from the record: most contacts have none.
    VelDevContact contact;
    EnterCriticalSection(&m_impl->m_lock);
    m_impl->Freshen(false, KindBit<VelDevContact>());
    bool found = false;
    if (!m_impl->m_missing) {
        const auto& all = m_impl->m_contacts.all;
        auto it = all.find(id);
        found = it != all.end();
        if (found)
            contact.picture = it->second.record->picture;
    }
    LeaveCriticalSection(&m_impl->m_lock);
    if (!found)
        return false;
    std::wstring path = PicturePath(contact);
    return !path.empty() && VelDevReadFile(path, bytes, kMaxPictureBytes);
}

bool VelDevStore::AppendLog(const std::wstring& fileName, const std::wstring& line)
{
    if (VelDevFault(L"store.missing") || !MakeFolders(m_impl->m_folder) || !m_impl->WriteLock())
        return false;
    std::string bytes = VelDevToUtf8(EscapeLine(line)) + "\n";
    HANDLE handle =
        CreateFileW(JoinPath(m_impl->m_folder, fileName).c_str(), FILE_APPEND_DATA,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    bool ok = false;
    if (handle != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ok = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, 0) && written == bytes.size();
        CloseHandle(handle);
    }
    m_impl->WriteUnlock();
    return ok;
}

std::vector<std::wstring> VelDevStore::ReadLog(const std::wstring& fileName)
{
    std::vector<std::wstring> lines;
    std::string bytes;
    if (!VelDevReadFile(JoinPath(m_impl->m_folder, fileName), &bytes))
        return lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            end = bytes.size();
        lines.push_back(Unescape(VelDevFromUtf8(bytes.substr(pos, end - pos))));
        pos = end + 1;
    }
    return lines;
}

DWORD VelDevStore::AddListener(const VelDevStoreListener& listener, unsigned kinds)
{
    EnterCriticalSection(&m_impl->m_delivery);
    // What the listeners so far have to hear of goes to them first.
    if (!m_impl->m_listeners.empty())
        m_impl->Deliver(false);
    EnterCriticalSection(&m_impl->m_lock);
    // A kind newly listened to is heard of from now on. One not read yet is
    // only read now and parsed when first used (the watcher's first look at
    // the latest), so that opening a big store costs little.
    const unsigned fresh = kinds & kAllKinds & ~m_impl->m_tracked;
    m_impl->m_tracked |= fresh;
    if (fresh & KindBit<VelDevContact>())
        m_impl->StartListening<VelDevContact>();
    if (fresh & KindBit<VelDevCall>())
        m_impl->StartListening<VelDevCall>();
    if (fresh & KindBit<VelDevMessage>())
        m_impl->StartListening<VelDevMessage>();
    LeaveCriticalSection(&m_impl->m_lock);
    DWORD cookie = m_impl->m_nextCookie++;
    m_impl->m_listeners[cookie] = listener;
    m_impl->StartWatcher();
    LeaveCriticalSection(&m_impl->m_delivery);
    return cookie;
}

void VelDevStore::RemoveListener(DWORD cookie)
{
    EnterCriticalSection(&m_impl->m_delivery);
    m_impl->m_listeners.erase(cookie);
    if (m_impl->m_listeners.empty()) {
        EnterCriticalSection(&m_impl->m_lock);
        m_impl->m_tracked = 0;
        m_impl->m_contacts.notified.clear();
        m_impl->m_contacts.dirty.clear();
        m_impl->m_calls.notified.clear();
        m_impl->m_calls.dirty.clear();
        m_impl->m_messages.notified.clear();
        m_impl->m_messages.dirty.clear();
        LeaveCriticalSection(&m_impl->m_lock);
    }
    LeaveCriticalSection(&m_impl->m_delivery);
}

void VelDevStore::Refresh() { m_impl->Deliver(true); }
