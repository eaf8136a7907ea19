// The phone library over the device store's call log: record 0 from the
// beginning is the most recent call. Each open handle reads the log as it was
// when opened, so that calls logged meanwhile cannot shift or repeat its
// records. Placing a call logs what was dialled in the store's dialled.log
// and adds the outgoing call to the log, as a phone does.
#include "Phone.h"

#include "StandInLock.h"
#include "VelDevStore.h"

#include <boost/shared_ptr.hpp>

#include <new>
#include <set>
#include <vector>

namespace {

const wchar_t kDialledLog[] = L"dialled.log";

struct CallLog {
    std::vector<VelDevCallRef> calls;  // newest first, as of the open
    DWORD index = 0;                   // from the beginning
    DWORD unreadable = 0;              // for tests: the oid whose entry cannot be read
};

struct Handles {
    standin::Lock lock;
    std::set<CallLog*> open;
};

Handles& Registry()
{
    static Handles* handles = new Handles;  // never destroyed: see StandInLock.h
    return *handles;
}

// Holds the registry's lock for one operation on a handle, so that a close on
// another thread cannot pull the handle away meanwhile.
class HandleScope {
public:
    explicit HandleScope(HANDLE handle) : m_guard(Registry().lock), m_log(0)
    {
        CallLog* log = static_cast<CallLog*>(handle);
        if (Registry().open.count(log))
            m_log = log;
    }
    CallLog* get() const { return m_log; }

private:
    standin::Guard m_guard;
    CallLog* m_log;
};

// The store of the configured folder, kept between handles: a log opened
// again reads what the store already holds instead of loading it anew.
boost::shared_ptr<VelDevStore> Store()
{
    static boost::shared_ptr<VelDevStore>* kept = new boost::shared_ptr<VelDevStore>();  // never destroyed
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    {
        standin::Guard guard(Registry().lock);
        *kept = store;
    }
    return store;
}

HRESULT FaultResult(const wchar_t* name)
{
    HRESULT hr = static_cast<HRESULT>(VelDevFaultValue(name, static_cast<DWORD>(E_FAIL)));
    return FAILED(hr) ? hr : E_FAIL;
}

LPWSTR LocalCopy(const VelDevOptText& text, bool* failed)
{
    if (!text.present)
        return 0;
    size_t bytes = (text.text.size() + 1) * sizeof(wchar_t);
    LPWSTR copy = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, bytes));
    if (!copy) {
        *failed = true;
        return 0;
    }
    memcpy(copy, text.text.c_str(), bytes);
    return copy;
}

std::wstring Field(const wchar_t* key, LPCWSTR value)
{
    if (!value)
        return std::wstring();
    std::wstring v = value;
    for (wchar_t& ch : v) {
        if (ch == L'\t')
            ch = L' ';
    }
    return std::wstring(L"\t") + key + L"=" + v;
}

}  // namespace

extern "C" {

HRESULT WINAPI PhoneOpenCallLog(HANDLE* log)
{
    if (!log)
        return E_POINTER;
    *log = 0;
    if (VelDevFault(L"phone.open"))
        return FaultResult(L"phone.open");
    boost::shared_ptr<VelDevStore> store = Store();
    if (store->IsMissing())
        return E_FAIL;
    CallLog* callLog = new (std::nothrow) CallLog;
    if (!callLog)
        return E_OUTOFMEMORY;
    callLog->calls = store->CallLog();
    callLog->unreadable = VelDevFaultValue(L"phone.entry", 0);
    {
        standin::Guard guard(Registry().lock);
        Registry().open.insert(callLog);
    }
    *log = callLog;
    return S_OK;
}

HRESULT WINAPI PhoneCloseCallLog(HANDLE log)
{
    CallLog* callLog = 0;
    {
        HandleScope scope(log);
        callLog = scope.get();
        if (!callLog)
            return E_HANDLE;
        Registry().open.erase(callLog);
    }
    delete callLog;
    return S_OK;
}

HRESULT WINAPI PhoneSeekCallLog(HANDLE log, DWORD seek, DWORD record, LPDWORD resultIndex)
{
    HandleScope scope(log);
    CallLog* callLog = scope.get();
    if (!callLog)
        return E_HANDLE;
    if (seek != kCallLogSeekBegin && seek != kCallLogSeekEnd)
        return E_INVALIDARG;
    DWORD count = static_cast<DWORD>(callLog->calls.size());
    // An empty log has no first or last record: a seek there fails.
    if (record >= count)
        return E_FAIL;
    callLog->index = seek == kCallLogSeekBegin ? record : count - 1 - record;
    if (resultIndex)
        *resultIndex = callLog->index;
    return S_OK;
}

HRESULT WINAPI PhoneGetCallLogEntry(HANDLE log, CallLogEntry* entry)
{
    HandleScope scope(log);
    CallLog* callLog = scope.get();
    if (!callLog)
        return E_HANDLE;
    if (!entry)
        return E_POINTER;
    if (entry->cbSize != sizeof(CallLogEntry))
        return E_INVALIDARG;
    if (callLog->index >= callLog->calls.size())
        return E_FAIL;
    const VelDevCall& call = *callLog->calls[callLog->index];
    if (callLog->unreadable != 0 && callLog->unreadable == call.id)
        return FaultResult(L"phone.entry.result");
    bool failed = false;
    LPWSTR number = LocalCopy(call.number, &failed);
    LPWSTR name = LocalCopy(call.name, &failed);
    LPWSTR nameType = LocalCopy(call.nameType, &failed);
    LPWSTR note = LocalCopy(call.note, &failed);
    if (failed) {
        LocalFree(number);
        LocalFree(name);
        LocalFree(nameType);
        LocalFree(note);
        return E_OUTOFMEMORY;
    }
    entry->startTime = call.start;
    entry->endTime = call.end;
    entry->direction = call.direction;
    entry->flags = call.flags;
    entry->callerIdType = call.callerIdType;
    entry->number = number;
    entry->name = name;
    entry->nameType = nameType;
    entry->note = note;
    ++callLog->index;
    return S_OK;
}

LONG WINAPI PhoneMakeCall(PhoneMakeCallInfo* info)
{
    if (!info)
        return E_POINTER;
    if (info->cbSize != sizeof(PhoneMakeCallInfo))
        return E_INVALIDARG;
    if (!info->destination || !info->destination[0])
        return E_INVALIDARG;
    if (VelDevFault(L"phone.makecall"))
        return FaultResult(L"phone.makecall");
    boost::shared_ptr<VelDevStore> store = Store();
    wchar_t flags[16];
    _snwprintf(flags, 16, L"%lu", static_cast<unsigned long>(info->dwFlags));
    flags[15] = 0;
    std::wstring line = VelDevFormatTime(VelDevNow()) + Field(L"number", info->destination) +
                        Field(L"calledParty", info->calledParty) + Field(L"flags", flags) +
                        Field(L"app", info->application) + Field(L"comment", info->comment);
    if (!store->AppendLog(kDialledLog, line))
        return E_FAIL;

    VelDevCall call;
    call.start = call.end = VelDevNow();
    call.direction = kDevCallOutgoing;
    call.flags = kCallEnded;
    call.number = VelDevOptText(info->destination);
    call.name = VelDevOptText(info->calledParty);
    if (!store->AddCall(call)) {
        // A call that leaves no trace in the log is not reported as placed.
        VelDevDebugPrint(L"phone: the dialled call could not be logged.\n");
        return E_FAIL;
    }
    return 0;
}

}  // extern "C"
