// The store engine: what this process holds of each kind, brought up to date
// from the files, and the writes that change them.
#include "VelDevEngine.h"

#include <algorithm>
#include <boost/make_shared.hpp>

using namespace veldev;

namespace {

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

}  // namespace

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
        standin::MutexHold hold(m_mutex);
        // A file not held yet is read at once: a missing one reads as empty.
        bool same = known != state.files.end() && StampOf(path) == known->second.stamp;
        if (same)
            return;
        read = ReadStamped(path, &bytes, &fresh.stamp);
        error = read ? 0 : GetLastError();
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
    standin::MutexHold hold(first ? nullptr : m_mutex);
    if (changed)
        FreshenChanged();
    if (sweep)
        Sweep(sweep);
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
    if (VelDevFault(L"store.missing") || !MakeFolders(m_folder))
        return 0;
    WriteHold hold(*this);
    if (!hold.Held())
        return 0;
    Freshen(false, KindBit<R>());
    DWORD id = NextId<R>();
    if (id != kNoMoreIds) {
        ReloadFile<R>(FileFor(id));  // the one file written may have been edited by hand
        id = NextId<R>();
    }
    if (id == kNoMoreIds) {
        VelDevDebugPrint(L"VelDevStore: %ls: every id has been given out.\n", kFileStems[KindOf<R>::kind]);
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
    return ok ? id : 0;
}

template <class R>
bool VelDevStoreImpl::Change(DWORD id, const boost::function<bool(R&)>& change, boost::shared_ptr<const R>* removed)
{
    if (VelDevFault(L"store.missing") || !MakeFolders(m_folder))
        return false;
    WriteHold hold(*this);
    if (!hold.Held())
        return false;
    Freshen(false, KindBit<R>());
    KindState<R>& state = State<R>();
    typename std::map<DWORD, typename KindState<R>::Entry>::iterator at = state.all.find(id);
    if (at != state.all.end()) {
        ReloadFile<R>(at->second.file);
        at = state.all.find(id);
    }
    if (at == state.all.end())
        return false;
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
    if (VelDevFault(L"store.missing") || !MakeFolders(m_folder))
        return false;
    WriteHold hold(*this);
    if (!hold.Held())
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
    return ok;
}

template <class R>
void VelDevStoreImpl::Fill(std::map<DWORD, R>& out)
{
    out.clear();
    for (const auto& kv : State<R>().all)
        out.insert(out.end(), std::make_pair(kv.first, *kv.second.record));
}

#define VELDEV_INSTANTIATE(R)                                                                                          \
    template void VelDevStoreImpl::Adopt<R>(DWORD, FileState<R>&);                                                     \
    template DWORD VelDevStoreImpl::NextId<R>();                                                                       \
    template DWORD VelDevStoreImpl::Add<R>(const R&);                                                                  \
    template bool VelDevStoreImpl::Change<R>(DWORD, const boost::function<bool(R&)>&, boost::shared_ptr<const R>*);    \
    template void VelDevStoreImpl::Fill<R>(std::map<DWORD, R>&);
VELDEV_FOR_EACH_KIND(VELDEV_INSTANTIATE)
