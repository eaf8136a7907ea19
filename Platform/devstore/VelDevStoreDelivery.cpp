// Change delivery: what each listener is told, the first listener's read of a
// kind, and the watcher thread that looks for changes from other processes.
#include "VelDevEngine.h"

using namespace veldev;

template <class R>
void VelDevStoreImpl::ReadUnparsed()
{
    const Kind kind = KindOf<R>::kind;
    KindState<R>& state = State<R>();
    state.unparsed.clear();
    {
        standin::MutexHold hold(m_mutex);
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
    }
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
    standin::Guard delivering(m_delivery);
    if (m_listeners.empty())
        return;
    VelDevStoreChanges changes;
    {
        standin::Guard guard(m_lock);
        // A store that is gone has nothing to tell until it is back.
        if (!Missing()) {
            Freshen(everyFile, m_tracked);
            Collect<VelDevContact>(&changes);
            Collect<VelDevCall>(&changes);
            Collect<VelDevMessage>(&changes);
        }
    }
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

DWORD VelDevStoreImpl::AddListener(const VelDevStoreListener& listener, unsigned kinds)
{
    standin::Guard delivering(m_delivery);
    // What the listeners so far have to hear of goes to them first.
    if (!m_listeners.empty())
        Deliver(false);
    {
        standin::Guard guard(m_lock);
        // A kind newly listened to is heard of from now on. One not read yet is
        // only read now and parsed when first used (the watcher's first look at
        // the latest), so that opening a big store costs little.
        const unsigned fresh = kinds & kAllKinds & ~m_tracked;
        m_tracked |= fresh;
        if (fresh & KindBit<VelDevContact>())
            StartListening<VelDevContact>();
        if (fresh & KindBit<VelDevCall>())
            StartListening<VelDevCall>();
        if (fresh & KindBit<VelDevMessage>())
            StartListening<VelDevMessage>();
    }
    DWORD cookie = m_nextCookie++;
    m_listeners[cookie] = listener;
    StartWatcher();
    return cookie;
}

void VelDevStoreImpl::RemoveListener(DWORD cookie)
{
    standin::Guard delivering(m_delivery);
    m_listeners.erase(cookie);
    if (m_listeners.empty()) {
        standin::Guard guard(m_lock);
        m_tracked = 0;
        m_contacts.notified.clear();
        m_contacts.dirty.clear();
        m_calls.notified.clear();
        m_calls.dirty.clear();
        m_messages.notified.clear();
        m_messages.dirty.clear();
    }
}
