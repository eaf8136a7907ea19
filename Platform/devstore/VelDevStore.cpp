// The store as its users see it: opening one per folder, the lists and
// lookups, the writes by kind, contacts' pictures and the logs beside the
// records. The work is the engine's (VelDevEngine.h).
#include "VelDevEngine.h"

#include <algorithm>
#include <boost/weak_ptr.hpp>

using namespace veldev;

namespace {

struct SharedStores {
    standin::Lock lock;
    std::map<std::wstring, boost::weak_ptr<VelDevStore>> stores;
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
    standin::Guard guard(impl->m_lock);
    impl->Freshen(false, KindBit<R>());
    if (impl->m_missing)
        return false;
    const auto& all = impl->State<R>().all;
    auto it = all.find(id);
    if (it == all.end())
        return false;
    if (out)
        *out = *it->second.record;
    return true;
}

template <class R>
std::vector<boost::shared_ptr<const R>> SharedOf(VelDevStoreImpl* impl)
{
    std::vector<boost::shared_ptr<const R>> out;
    if (impl->Missing())
        return out;
    standin::Guard guard(impl->m_lock);
    impl->Freshen(true, KindBit<R>());
    const auto& all = impl->State<R>().all;
    out.reserve(all.size());
    for (const auto& kv : all)
        out.push_back(kv.second.record);
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
    standin::Guard guard(sharedStores.lock);
    boost::shared_ptr<VelDevStore> store = sharedStores.stores[key].lock();
    if (!store) {
        store.reset(new VelDevStore(full));
        sharedStores.stores[key] = store;
    }
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
    standin::Guard guard(m_impl->m_lock);
    m_impl->Freshen(true);
    m_impl->Fill<VelDevContact>(copy.contacts);
    m_impl->Fill<VelDevCall>(copy.calls);
    m_impl->Fill<VelDevMessage>(copy.messages);
    copy.nextContactId = m_impl->NextId<VelDevContact>();
    copy.nextCallId = m_impl->NextId<VelDevCall>();
    copy.nextMessageId = m_impl->NextId<VelDevMessage>();
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
    {
        standin::Guard guard(m_impl->m_lock);
        m_impl->Freshen(true, KindBit<VelDevCall>());
        out.reserve(m_impl->m_calls.all.size());
        for (const auto& kv : m_impl->m_calls.all)
            out.push_back(kv.second.record);
    }
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
    bool found = false;
    {
        standin::Guard guard(m_impl->m_lock);
        m_impl->Freshen(false, KindBit<VelDevContact>());
        if (!m_impl->m_missing) {
            const auto& all = m_impl->m_contacts.all;
            auto it = all.find(id);
            found = it != all.end();
            if (found)
                contact.picture = it->second.record->picture;
        }
    }
    if (!found)
        return false;
    std::wstring path = PicturePath(contact);
    return !path.empty() && VelDevReadFile(path, bytes, kMaxPictureBytes);
}

bool VelDevStore::AppendLog(const std::wstring& fileName, const std::wstring& line)
{
    if (VelDevFault(L"store.missing") || !MakeFolders(m_impl->m_folder))
        return false;
    WriteHold hold(*m_impl);
    if (!hold.Held())
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
    return m_impl->AddListener(listener, kinds);
}

void VelDevStore::RemoveListener(DWORD cookie) { m_impl->RemoveListener(cookie); }

void VelDevStore::Refresh() { m_impl->Deliver(true); }
