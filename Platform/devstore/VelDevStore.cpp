#include "VelDevInternal.h"

#include <algorithm>
#include <boost/weak_ptr.hpp>
#include <deque>

using namespace veldev;

namespace {

const DWORD kWatchPollMs = 250;
const size_t kDeletionsKept = 64;
const wchar_t kMetaSection[] = L"store";
const wchar_t kDeletedSection[] = L"deleted";

enum Kind { kContacts, kCalls, kMessages, kKindCount };
const wchar_t* const kFileNames[kKindCount] = {L"contacts.ini", L"calllog.ini", L"messages.ini"};

// Identity of a file's content as last read: a replacing move gives a new
// file index even when size and time happen to match.
struct Stamp {
    bool exists = false;
    DWORD volume = 0, indexHigh = 0, indexLow = 0, sizeLow = 0;
    FILETIME written = {0, 0};
    bool operator==(const Stamp& o) const {
        return exists == o.exists && volume == o.volume && indexHigh == o.indexHigh && indexLow == o.indexLow &&
               sizeLow == o.sizeLow && CompareFileTime(&written, &o.written) == 0;
    }
};

void FillStamp(HANDLE f, Stamp* stamp) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(f, &info)) return;
    stamp->exists = true;
    stamp->volume = info.dwVolumeSerialNumber;
    stamp->indexHigh = info.nFileIndexHigh;
    stamp->indexLow = info.nFileIndexLow;
    stamp->sizeLow = info.nFileSizeLow;
    stamp->written = info.ftLastWriteTime;
}

// Reads a file and its stamp through one handle, so they agree. A file that
// is not there reads as empty.
bool ReadStamped(const std::wstring& path, std::string* bytes, Stamp* stamp) {
    *stamp = Stamp();
    bytes->clear();
    HANDLE f = OpenShared(path, GENERIC_READ);
    if (f == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    FillStamp(f, stamp);
    bool ok = stamp->exists && ReadHandle(f, bytes);
    CloseHandle(f);
    return ok;
}

Stamp StampOf(const std::wstring& path) {
    Stamp s;
    HANDLE f = OpenShared(path, 0);
    if (f == INVALID_HANDLE_VALUE) return s;
    FillStamp(f, &s);
    CloseHandle(f);
    return s;
}

bool ValidUtf8(const std::string& bytes) {
    if (bytes.empty()) return true;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), 0, 0) > 0;
}

// The file's text as UTF-8: a UTF-8 signature is dropped, a UTF-16 file
// (someone saved it with another editor) is converted.
std::string AsUtf8(const std::string& bytes, const wchar_t* fileName) {
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return bytes.substr(3);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        VelDevDebugPrint(L"VelDevStore: %ls is UTF-16, read as such.\n", fileName);
        std::wstring wide(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        return VelDevToUtf8(wide);
    }
    return bytes;
}

struct Chunk {
    std::string header;   // the section line, empty for lines before the first section
    std::string body;     // every line of the record, header included
    bool malformed = false;
};

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// Splits at section lines so that one record's damage cannot spill into the
// next; a line that is no ini line at all marks its record damaged.
std::vector<Chunk> SplitRecords(const std::string& text) {
    std::vector<Chunk> chunks(1);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        std::string t = Trim(line);
        if (!t.empty() && t[0] == '[') {
            chunks.push_back(Chunk());
            chunks.back().header = t;
            if (t.size() < 3 || t[t.size() - 1] != ']') chunks.back().malformed = true;
        } else if (!t.empty() && t[0] != ';' && t[0] != '#' && t.find('=') == std::string::npos) {
            chunks.back().malformed = true;
        } else if (t.find('\0') != std::string::npos) {
            chunks.back().malformed = true;
        }
        chunks.back().body += line;
        chunks.back().body += '\n';
    }
    return chunks;
}

std::wstring SectionName(const std::string& header) {
    return VelDevFromUtf8(Trim(header.substr(1, header.size() - 2)));
}

std::string ShortForLog(const std::string& header) {
    return header.size() > 40 ? header.substr(0, 40) + "..." : header;
}

// Per kind: where its records live and how one is read and written.
template <class R, Kind K, std::map<DWORD, R> VelDevStoreData::*Records, DWORD VelDevStoreData::*Next,
          std::vector<VelDevChange<R> > VelDevStoreChanges::*Found,
          bool (*Reader)(const Section&, R*, std::wstring*),
          void (*Writer)(CSimpleIniW&, const wchar_t*, const R&)>
struct KindTraits {
    static const Kind kind = K;
    static std::map<DWORD, R>& Map(VelDevStoreData& d) { return d.*Records; }
    static DWORD& NextId(VelDevStoreData& d) { return d.*Next; }
    static bool Read(const Section& s, R* r, std::wstring* why) { return Reader(s, r, why); }
    static void Write(CSimpleIniW& ini, const wchar_t* sec, const R& r) { Writer(ini, sec, r); }
    static std::vector<VelDevChange<R> >& Changes(VelDevStoreChanges& c) { return c.*Found; }
};

template <class R> struct KindOf;
template <> struct KindOf<VelDevContact>
    : KindTraits<VelDevContact, kContacts, &VelDevStoreData::contacts, &VelDevStoreData::nextContactId,
                 &VelDevStoreChanges::contacts, &ReadContact, &WriteContact> {};
template <> struct KindOf<VelDevCall>
    : KindTraits<VelDevCall, kCalls, &VelDevStoreData::calls, &VelDevStoreData::nextCallId,
                 &VelDevStoreChanges::calls, &ReadCall, &WriteCall> {};
template <> struct KindOf<VelDevMessage>
    : KindTraits<VelDevMessage, kMessages, &VelDevStoreData::messages, &VelDevStoreData::nextMessageId,
                 &VelDevStoreChanges::messages, &ReadMessage, &WriteMessage> {};

typedef std::deque<std::pair<DWORD, DWORD> > Deletions;   // id, process, oldest first

template <class R>
bool SameContent(const R& a, R b) {
    b.id = a.id;
    b.revision = a.revision;
    b.writer = a.writer;
    return a == b;
}

std::wstring NormalisedFolder(const std::wstring& folder) {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetFullPathNameW(folder.c_str(), MAX_PATH * 2, buf, 0);
    std::wstring full = (n > 0 && n < MAX_PATH * 2) ? std::wstring(buf, n) : folder;
    while (full.size() > 3 && (full[full.size() - 1] == L'\\' || full[full.size() - 1] == L'/')) {
        full.erase(full.size() - 1);
    }
    return full;
}

// One mutex per folder, whatever process or module opens it.
std::wstring MutexName(const std::wstring& folder) {
    std::wstring upper = folder;
    CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    unsigned long long hash = 1469598103934665603ULL;
    for (wchar_t c : upper) {
        if (c == L'/') c = L'\\';
        hash = (hash ^ static_cast<unsigned short>(c)) * 1099511628211ULL;
    }
    wchar_t name[64];
    _snwprintf(name, 64, L"VelDeviceStore-%08lx%08lx", static_cast<unsigned long>(hash >> 32),
               static_cast<unsigned long>(hash));
    name[63] = 0;
    return name;
}

}  // namespace

class VelDevStoreImpl {
public:
    explicit VelDevStoreImpl(const std::wstring& folder);
    ~VelDevStoreImpl();

    std::wstring m_folder;
    HANDLE m_mutex;
    CRITICAL_SECTION m_lock;        // the data below, within this process
    VelDevStoreData m_data;
    Stamp m_stamps[kKindCount];
    bool m_damaged[kKindCount];
    Deletions m_deletions[kKindCount];

    CRITICAL_SECTION m_delivery;    // listeners and what they saw
    std::map<DWORD, VelDevStoreListener> m_listeners;
    DWORD m_nextCookie;
    VelDevStoreData m_notified;
    HANDLE m_thread, m_stop, m_kick;
    DWORD m_threadId;
    volatile LONG m_orphaned;       // the store went away while its watcher was delivering

    bool Lock();
    void Unlock();
    void ReloadAll();
    template <class R> void Reload();
    template <class R> bool Save(const VelDevStoreData& data);
    template <class R> void CommitKind(const VelDevStoreData& before, VelDevStoreData& after, bool* changed);
    template <class R> void Diff(const VelDevStoreData& now, const Deletions* deletions, VelDevStoreChanges* out);
    bool Transact(const boost::function<bool (VelDevStoreData&)>& change);
    void Deliver();
    void StartWatcher();
    static DWORD WINAPI WatcherMain(void* self);
    std::wstring PathOf(Kind k) const { return JoinPath(m_folder, kFileNames[k]); }
    bool Missing() const { return VelDevFault(L"store.missing") || !FolderExists(m_folder); }
};

VelDevStoreImpl::VelDevStoreImpl(const std::wstring& folder)
    : m_folder(folder), m_nextCookie(1), m_thread(0), m_stop(0), m_kick(0), m_threadId(0), m_orphaned(0) {
    m_mutex = CreateMutexW(0, FALSE, MutexName(folder).c_str());
    InitializeCriticalSection(&m_lock);
    InitializeCriticalSection(&m_delivery);
    for (int k = 0; k < kKindCount; ++k) m_damaged[k] = false;
}

VelDevStoreImpl::~VelDevStoreImpl() {
    if (m_thread) CloseHandle(m_thread);
    if (m_stop) CloseHandle(m_stop);
    if (m_kick) CloseHandle(m_kick);
    if (m_mutex) CloseHandle(m_mutex);
    DeleteCriticalSection(&m_delivery);
    DeleteCriticalSection(&m_lock);
}

bool VelDevStoreImpl::Lock() {
    EnterCriticalSection(&m_lock);
    // An abandoned mutex is still ours: every save was atomic, so the files are whole.
    DWORD r = m_mutex ? WaitForSingleObject(m_mutex, INFINITE) : WAIT_FAILED;
    if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) {
        LeaveCriticalSection(&m_lock);
        return false;
    }
    return true;
}

void VelDevStoreImpl::Unlock() {
    ReleaseMutex(m_mutex);
    LeaveCriticalSection(&m_lock);
}

template <class R>
void VelDevStoreImpl::Reload() {
    const Kind k = KindOf<R>::kind;
    std::wstring path = PathOf(k);
    if (StampOf(path) == m_stamps[k] && m_stamps[k].exists) return;
    std::string bytes;
    Stamp stamp;
    if (!ReadStamped(path, &bytes, &stamp)) {
        VelDevDebugPrint(L"VelDevStore: %ls cannot be read (%lu).\n", kFileNames[k], GetLastError());
        return;   // keep what was read before
    }
    if (stamp == m_stamps[k]) return;

    std::map<DWORD, R> records;
    DWORD nextId = 1;
    Deletions deletions;
    bool damaged = false;
    std::vector<Chunk> chunks = SplitRecords(AsUtf8(bytes, kFileNames[k]));
    for (const Chunk& chunk : chunks) {
        if (chunk.header.empty()) {
            if (chunk.malformed) {
                VelDevDebugPrint(L"VelDevStore: %ls: text before the first record skipped.\n", kFileNames[k]);
                damaged = true;
            }
            continue;
        }
        std::wstring why;
        std::wstring name;
        CSimpleIniW ini;
        ini.SetUnicode(true);
        if (chunk.malformed) {
            why = L"malformed line";
        } else if (!ValidUtf8(chunk.body)) {
            why = L"not UTF-8";
        } else if (ini.LoadData(chunk.body.data(), chunk.body.size()) < 0) {
            why = L"unreadable";
        } else {
            name = SectionName(chunk.header);
            Section s = {name, &ini};
            if (_wcsicmp(name.c_str(), kMetaSection) == 0) {
                DWORD n = 0;
                const wchar_t* v = s.Get(L"nextId");
                if (v && ParseNumber(v, &n) && n > nextId) nextId = n;
                continue;
            }
            if (_wcsicmp(name.c_str(), kDeletedSection) == 0) {
                CSimpleIniW::TNamesDepend keys;
                ini.GetAllKeys(name.c_str(), keys);
                keys.sort(CSimpleIniW::Entry::LoadOrder());
                for (const auto& key : keys) {
                    DWORD id = 0, pid = 0;
                    const wchar_t* v = s.Get(key.pItem);
                    if (ParseNumber(key.pItem, &id) && v && ParseNumber(v, &pid)) deletions.push_back({id, pid});
                }
                continue;
            }
            R r;
            DWORD id = 0;
            const wchar_t* rev = s.Get(L"revision");
            const wchar_t* writer = s.Get(L"writer");
            if (!ParseNumber(name, &id) || id == 0 || id == 0xFFFFFFFF) {
                why = L"bad id";
            } else if (records.count(id)) {
                why = L"duplicate id";
            } else if (!rev || !ParseNumber(rev, &r.revision)) {
                why = L"no revision (cut short?)";
            } else if (writer && !ParseNumber(writer, &r.writer)) {
                why = L"bad writer";
            } else if (KindOf<R>::Read(s, &r, &why)) {
                r.id = id;
                records[id] = r;
                if (id >= nextId) nextId = id + 1;
                continue;
            }
        }
        std::string shown = ShortForLog(chunk.header);
        VelDevDebugPrint(L"VelDevStore: %ls: record %hs skipped: %ls.\n", kFileNames[k], shown.c_str(), why.c_str());
        damaged = true;
    }
    KindOf<R>::Map(m_data).swap(records);
    KindOf<R>::NextId(m_data) = nextId;
    m_deletions[k].swap(deletions);
    m_stamps[k] = stamp;
    m_damaged[k] = damaged;
}

void VelDevStoreImpl::ReloadAll() {
    Reload<VelDevContact>();
    Reload<VelDevCall>();
    Reload<VelDevMessage>();
}

template <class R>
bool VelDevStoreImpl::Save(const VelDevStoreData& constData) {
    const Kind k = KindOf<R>::kind;
    VelDevStoreData& data = const_cast<VelDevStoreData&>(constData);
    CSimpleIniW ini;
    ini.SetUnicode(true);
    ini.SetValue(kMetaSection, L"nextId", FormatNumber(KindOf<R>::NextId(data)).c_str());
    for (const auto& kv : KindOf<R>::Map(data)) {
        std::wstring section = FormatNumber(kv.first);
        KindOf<R>::Write(ini, section.c_str(), kv.second);
        ini.SetValue(section.c_str(), L"writer", FormatNumber(kv.second.writer).c_str());
        ini.SetValue(section.c_str(), L"revision", FormatNumber(kv.second.revision).c_str());
    }
    for (const auto& d : m_deletions[k]) {
        ini.SetValue(kDeletedSection, FormatNumber(d.first).c_str(), FormatNumber(d.second).c_str());
    }
    std::string text;
    if (ini.Save(text, false) < 0) return false;
    std::wstring path = PathOf(k);
    if (m_damaged[k]) {
        // What was skipped is not lost for good: the damaged file stays beside.
        CopyFileW(path.c_str(), (path + L".damaged").c_str(), FALSE);
        m_damaged[k] = false;
    }
    if (!WriteFileAtomically(path, text)) {
        VelDevDebugPrint(L"VelDevStore: %ls cannot be written (%lu).\n", kFileNames[k], GetLastError());
        return false;
    }
    m_stamps[k] = StampOf(path);
    return true;
}

template <class R>
void VelDevStoreImpl::CommitKind(const VelDevStoreData& beforeConst, VelDevStoreData& after, bool* changed) {
    const Kind k = KindOf<R>::kind;
    VelDevStoreData& before = const_cast<VelDevStoreData&>(beforeConst);
    std::map<DWORD, R>& now = KindOf<R>::Map(after);
    const std::map<DWORD, R>& old = KindOf<R>::Map(before);
    const DWORD pid = GetCurrentProcessId();
    *changed = false;
    DWORD maxId = 0;
    for (auto& kv : now) {
        R& r = kv.second;
        r.id = kv.first;
        maxId = std::max(maxId, r.id);
        typename std::map<DWORD, R>::const_iterator was = old.find(kv.first);
        if (was == old.end()) {
            r.revision = 1;
            r.writer = pid;
            *changed = true;
        } else if (!SameContent(was->second, r)) {
            r.revision = was->second.revision + 1;
            r.writer = pid;
            *changed = true;
        } else {
            r.revision = was->second.revision;
            r.writer = was->second.writer;
        }
    }
    for (const auto& kv : old) {
        if (!now.count(kv.first)) {
            m_deletions[k].push_back({kv.first, pid});
            if (m_deletions[k].size() > kDeletionsKept) m_deletions[k].pop_front();
            *changed = true;
        }
    }
    DWORD& next = KindOf<R>::NextId(after);
    next = std::max(std::max(next, KindOf<R>::NextId(before)), maxId + 1);
}

bool VelDevStoreImpl::Transact(const boost::function<bool (VelDevStoreData&)>& change) {
    if (VelDevFault(L"store.missing")) return false;
    if (!MakeFolders(m_folder)) return false;
    if (!Lock()) return false;
    ReloadAll();
    VelDevStoreData work = m_data;
    bool ok = false;
    try {
        ok = change(work);
    } catch (...) {
        ok = false;
    }
    if (ok) {
        Deletions savedDeletions[kKindCount];
        for (int k = 0; k < kKindCount; ++k) savedDeletions[k] = m_deletions[k];
        bool changed[kKindCount];
        CommitKind<VelDevContact>(m_data, work, &changed[kContacts]);
        CommitKind<VelDevCall>(m_data, work, &changed[kCalls]);
        CommitKind<VelDevMessage>(m_data, work, &changed[kMessages]);
        if (changed[kContacts]) ok = Save<VelDevContact>(work) && ok;
        if (changed[kCalls]) ok = Save<VelDevCall>(work) && ok;
        if (changed[kMessages]) ok = Save<VelDevMessage>(work) && ok;
        if (ok) {
            m_data = work;
        } else {
            for (int k = 0; k < kKindCount; ++k) m_deletions[k] = savedDeletions[k];
            for (int k = 0; k < kKindCount; ++k) m_stamps[k] = Stamp();   // read again next time
        }
    }
    Unlock();
    if (ok && m_kick) SetEvent(m_kick);
    return ok;
}

template <class R>
void VelDevStoreImpl::Diff(const VelDevStoreData& nowConst, const Deletions* deletions, VelDevStoreChanges* out) {
    const Kind k = KindOf<R>::kind;
    VelDevStoreData& now = const_cast<VelDevStoreData&>(nowConst);
    const std::map<DWORD, R>& seen = KindOf<R>::Map(m_notified);
    const std::map<DWORD, R>& current = KindOf<R>::Map(now);
    const DWORD pid = GetCurrentProcessId();
    std::vector<VelDevChange<R> >& changes = KindOf<R>::Changes(*out);
    for (const auto& kv : current) {
        typename std::map<DWORD, R>::const_iterator was = seen.find(kv.first);
        if (was != seen.end() && was->second == kv.second) continue;
        VelDevChange<R> c;
        c.type = was == seen.end() ? kDevCreated : kDevChanged;
        c.id = kv.first;
        c.ownProcess = kv.second.writer == pid;
        if (was != seen.end()) c.before.reset(new R(was->second));
        c.after.reset(new R(kv.second));
        changes.push_back(c);
    }
    for (const auto& kv : seen) {
        if (current.count(kv.first)) continue;
        VelDevChange<R> c;
        c.type = kDevDeleted;
        c.id = kv.first;
        c.ownProcess = false;
        for (const auto& d : deletions[k]) {
            if (d.first == kv.first) c.ownProcess = d.second == pid;
        }
        c.before.reset(new R(kv.second));
        changes.push_back(c);
    }
}

void VelDevStoreImpl::Deliver() {
    EnterCriticalSection(&m_delivery);
    if (m_listeners.empty()) {
        LeaveCriticalSection(&m_delivery);
        return;
    }
    VelDevStoreData now;
    Deletions deletions[kKindCount];
    // A store that is gone has nothing to tell until it is back.
    if (!Missing() && Lock()) {
        ReloadAll();
        now = m_data;
        for (int k = 0; k < kKindCount; ++k) deletions[k] = m_deletions[k];
        Unlock();
    } else {
        now = m_notified;
    }
    VelDevStoreChanges changes;
    Diff<VelDevContact>(now, deletions, &changes);
    Diff<VelDevCall>(now, deletions, &changes);
    Diff<VelDevMessage>(now, deletions, &changes);
    m_notified = now;
    if (!changes.Empty()) {
        std::vector<DWORD> cookies;
        for (const auto& kv : m_listeners) cookies.push_back(kv.first);
        for (DWORD cookie : cookies) {
            // A listener may remove itself or another one while we deliver.
            std::map<DWORD, VelDevStoreListener>::iterator it = m_listeners.find(cookie);
            if (it == m_listeners.end()) continue;
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

DWORD WINAPI VelDevStoreImpl::WatcherMain(void* param) {
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
        DWORD r = WaitForMultipleObjects(count, handles, FALSE, kWatchPollMs);
        if (r == WAIT_OBJECT_0 || self->m_orphaned) break;
        // An open watch keeps a removed folder in being until it is closed:
        // let it go at every quiet poll, and watch again while the folder exists.
        if ((r == WAIT_OBJECT_0 + 2 && !FindNextChangeNotification(change)) ||
            (r == WAIT_TIMEOUT && change != INVALID_HANDLE_VALUE)) {
            FindCloseChangeNotification(change);
            change = INVALID_HANDLE_VALUE;
        }
        self->Deliver();
        if (self->m_orphaned) break;
    }
    if (change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change);
    if (self->m_orphaned) delete self;
    return 0;
}

void VelDevStoreImpl::StartWatcher() {
    if (m_thread) return;
    m_stop = CreateEventW(0, TRUE, FALSE, 0);
    m_kick = CreateEventW(0, FALSE, FALSE, 0);
    m_thread = CreateThread(0, 0, &VelDevStoreImpl::WatcherMain, this, 0, &m_threadId);
    if (!m_thread) VelDevDebugPrint(L"VelDevStore: no watcher thread (%lu).\n", GetLastError());
}

// ---------------------------------------------------------------------------

namespace {

struct SharedStores {
    CRITICAL_SECTION lock;
    std::map<std::wstring, boost::weak_ptr<VelDevStore> > stores;
    SharedStores() { InitializeCriticalSection(&lock); }
};

// Never destroyed: watcher threads may still open stores while the process exits.
SharedStores& Shared() {
    static SharedStores* s = new SharedStores;
    return *s;
}

std::wstring EnvironmentValue(const wchar_t* name) {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buf, n) : std::wstring();
}

}  // namespace

boost::shared_ptr<VelDevStore> VelDevStore::Open() { return OpenAt(ConfiguredFolder()); }

boost::shared_ptr<VelDevStore> VelDevStore::OpenAt(const std::wstring& folder) {
    std::wstring full = NormalisedFolder(folder);
    std::wstring key = full;
    CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    SharedStores& s = Shared();
    EnterCriticalSection(&s.lock);
    boost::shared_ptr<VelDevStore> store = s.stores[key].lock();
    if (!store) {
        store.reset(new VelDevStore(full));
        s.stores[key] = store;
    }
    LeaveCriticalSection(&s.lock);
    return store;
}

std::wstring VelDevStore::ConfiguredFolder() {
    std::wstring folder = EnvironmentValue(VEL_DEVICE_STORE_ENV);
    return folder.empty() ? DefaultFolder() : folder;
}

std::wstring VelDevStore::DefaultFolder() {
    std::wstring base = EnvironmentValue(L"LOCALAPPDATA");
    if (base.empty()) base = EnvironmentValue(L"USERPROFILE");
    if (base.empty()) base = L"C:\\";
    return JoinPath(JoinPath(base, L"Velmora"), L"DeviceStore");
}

VelDevStore::VelDevStore(const std::wstring& folder) : m_impl(new VelDevStoreImpl(folder)) {}

VelDevStore::~VelDevStore() {
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

VelDevStoreData VelDevStore::Snapshot() {
    if (m_impl->Missing() || !m_impl->Lock()) return VelDevStoreData();
    m_impl->ReloadAll();
    VelDevStoreData copy = m_impl->m_data;
    m_impl->Unlock();
    return copy;
}

std::vector<VelDevContact> VelDevStore::Contacts() {
    VelDevStoreData d = Snapshot();
    std::vector<VelDevContact> out;
    for (const auto& kv : d.contacts) out.push_back(kv.second);
    return out;
}

std::vector<VelDevCall> VelDevStore::CallsNewestFirst() { return Snapshot().CallsNewestFirst(); }

std::vector<VelDevMessage> VelDevStore::Messages() {
    VelDevStoreData d = Snapshot();
    std::vector<VelDevMessage> out;
    for (const auto& kv : d.messages) out.push_back(kv.second);
    return out;
}

namespace {

template <class R>
bool FindIn(const std::map<DWORD, R>& records, DWORD id, R* out) {
    typename std::map<DWORD, R>::const_iterator it = records.find(id);
    if (it == records.end()) return false;
    if (out) *out = it->second;
    return true;
}

template <class R>
DWORD AddVia(VelDevStore& store, DWORD (VelDevStoreData::*add)(R), const R& r) {
    DWORD id = 0;
    store.Transact([&](VelDevStoreData& d) { id = (d.*add)(r); return true; });
    return id;
}

template <class R>
bool ChangeVia(VelDevStore& store, std::map<DWORD, R> VelDevStoreData::*records, DWORD id,
               const boost::function<bool (R&)>& change) {
    return store.Transact([&](VelDevStoreData& d) {
        typename std::map<DWORD, R>::iterator it = (d.*records).find(id);
        return it != (d.*records).end() && change(it->second);
    });
}

template <class R>
bool UpdateVia(VelDevStore& store, std::map<DWORD, R> VelDevStoreData::*records, const R& r) {
    return ChangeVia<R>(store, records, r.id, [&r](R& stored) {
        stored = r;
        return true;
    });
}

template <class R>
bool EraseVia(VelDevStore& store, std::map<DWORD, R> VelDevStoreData::*records, DWORD id) {
    return store.Transact([&](VelDevStoreData& d) { return (d.*records).erase(id) > 0; });
}

}  // namespace

bool VelDevStore::FindContact(DWORD id, VelDevContact* out) { return FindIn(Snapshot().contacts, id, out); }
bool VelDevStore::FindCall(DWORD id, VelDevCall* out) { return FindIn(Snapshot().calls, id, out); }
bool VelDevStore::FindMessage(DWORD id, VelDevMessage* out) { return FindIn(Snapshot().messages, id, out); }

bool VelDevStore::Transact(const boost::function<bool (VelDevStoreData&)>& change) {
    return m_impl->Transact(change);
}

DWORD VelDevStore::AddContact(const VelDevContact& c) { return AddVia(*this, &VelDevStoreData::AddContact, c); }
bool VelDevStore::UpdateContact(const VelDevContact& c) { return UpdateVia(*this, &VelDevStoreData::contacts, c); }
bool VelDevStore::ChangeContact(DWORD id, const boost::function<bool (VelDevContact&)>& change) {
    return ChangeVia(*this, &VelDevStoreData::contacts, id, change);
}

bool VelDevStore::DeleteContact(DWORD id) {
    std::wstring picture;
    bool ok = Transact([&](VelDevStoreData& d) {
        std::map<DWORD, VelDevContact>::iterator it = d.contacts.find(id);
        if (it == d.contacts.end()) return false;
        picture = PicturePath(it->second);
        d.contacts.erase(it);
        return true;
    });
    if (ok && !picture.empty()) DeleteFileW(picture.c_str());
    return ok;
}

DWORD VelDevStore::AddCall(const VelDevCall& c) { return AddVia(*this, &VelDevStoreData::AddCall, c); }
bool VelDevStore::UpdateCall(const VelDevCall& c) { return UpdateVia(*this, &VelDevStoreData::calls, c); }
bool VelDevStore::ChangeCall(DWORD id, const boost::function<bool (VelDevCall&)>& change) {
    return ChangeVia(*this, &VelDevStoreData::calls, id, change);
}
bool VelDevStore::DeleteCall(DWORD id) { return EraseVia(*this, &VelDevStoreData::calls, id); }
DWORD VelDevStore::AddMessage(const VelDevMessage& m) { return AddVia(*this, &VelDevStoreData::AddMessage, m); }
bool VelDevStore::UpdateMessage(const VelDevMessage& m) { return UpdateVia(*this, &VelDevStoreData::messages, m); }
bool VelDevStore::ChangeMessage(DWORD id, const boost::function<bool (VelDevMessage&)>& change) {
    return ChangeVia(*this, &VelDevStoreData::messages, id, change);
}
bool VelDevStore::DeleteMessage(DWORD id) { return EraseVia(*this, &VelDevStoreData::messages, id); }

std::wstring VelDevStore::PicturePath(const VelDevContact& c) const {
    if (c.picture.empty()) return std::wstring();
    return JoinPath(JoinPath(m_impl->m_folder, L"pictures"), c.picture);
}

bool VelDevStore::SetContactPicture(DWORD id, const std::string& bytes, const std::wstring& extension) {
    std::wstring old;
    bool ok = Transact([&](VelDevStoreData& d) {
        std::map<DWORD, VelDevContact>::iterator it = d.contacts.find(id);
        if (it == d.contacts.end()) return false;
        // A new name per picture, so the record changes with the image.
        std::wstring name = FormatNumber(id) + L"-" + FormatNumber(it->second.revision + 1);
        if (!extension.empty()) name += L"." + extension;
        if (!MakeFolders(JoinPath(m_impl->m_folder, L"pictures"))) return false;
        old = PicturePath(it->second);
        it->second.picture = name;
        return WriteFileAtomically(PicturePath(it->second), bytes);
    });
    if (ok && !old.empty()) DeleteFileW(old.c_str());
    return ok;
}

bool VelDevStore::ReadContactPicture(DWORD id, std::string* bytes) {
    VelDevContact c;
    if (!FindContact(id, &c) || c.picture.empty()) return false;
    return VelDevReadFile(PicturePath(c), bytes);
}

bool VelDevStore::AppendLog(const std::wstring& fileName, const std::wstring& line) {
    if (VelDevFault(L"store.missing") || !MakeFolders(m_impl->m_folder) || !m_impl->Lock()) return false;
    std::string bytes = VelDevToUtf8(EscapeLine(line)) + "\n";
    HANDLE f = CreateFileW(JoinPath(m_impl->m_folder, fileName).c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, 0);
    bool ok = false;
    if (f != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, 0) && written == bytes.size();
        CloseHandle(f);
    }
    m_impl->Unlock();
    return ok;
}

std::vector<std::wstring> VelDevStore::ReadLog(const std::wstring& fileName) {
    std::vector<std::wstring> lines;
    std::string bytes;
    if (!VelDevReadFile(JoinPath(m_impl->m_folder, fileName), &bytes)) return lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(Unescape(VelDevFromUtf8(bytes.substr(pos, end - pos))));
        pos = end + 1;
    }
    return lines;
}

DWORD VelDevStore::AddListener(const VelDevStoreListener& listener) {
    EnterCriticalSection(&m_impl->m_delivery);
    if (m_impl->m_listeners.empty()) {
        // A first listener hears of what happens from now on.
        if (m_impl->Lock()) {
            m_impl->ReloadAll();
            m_impl->m_notified = m_impl->m_data;
            m_impl->Unlock();
        }
    } else {
        m_impl->Deliver();
    }
    DWORD cookie = m_impl->m_nextCookie++;
    m_impl->m_listeners[cookie] = listener;
    m_impl->StartWatcher();
    LeaveCriticalSection(&m_impl->m_delivery);
    return cookie;
}

void VelDevStore::RemoveListener(DWORD cookie) {
    EnterCriticalSection(&m_impl->m_delivery);
    m_impl->m_listeners.erase(cookie);
    LeaveCriticalSection(&m_impl->m_delivery);
}

void VelDevStore::Refresh() { m_impl->Deliver(); }
