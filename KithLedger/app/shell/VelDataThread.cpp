#include "VelDataThread.h"

#include <CeCore.h>

#include <algorithm>
#include <new>

#include "VelCallListView.h"
#include "VelControlCore.h"
#include "VelCreateDataTable.h"
#include "VelDataTable.h"
#include "VelDataThreadContext.h"
#include "VelDebugLog.h"
#include "VelKlApplication.h"
#include "VelListLoader.h"
#include "VelPhoneState.h"
#include "VelLiveRows.h"
#include "VelScopedLock.h"

namespace {

const DWORD kWakeOnAnyInput = 0x7F;
const DWORD kNoThread = 0xFFFFFFFF;
const UINT kDataRequestMessage = VelKlApplication::kDataRequestMessage;
const UINT kRetiredTableMessage = 0x8003;

DWORD WINAPI DataThreadEntry(LPVOID parameter)
{
    try {
        return static_cast<VelKlApplication*>(parameter)->DataThreadMain();
    } catch (...) {
        VelDebugLog(L"VelKlApplication::DataThreadMain: an exception ended the data thread.\n");
        return 0xFFFFFFFF;
    }
}

HANDLE NewEvent() { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }

}  // namespace

VelDataThread::VelDataThread(VelKlApplication& app)
    : m_app(app), m_context(nullptr), m_threadId(kNoThread), m_contactsAnnounced(false), m_storesAnnounced(false),
      m_windowMade(NewEvent()), m_wired(NewEvent())
{
    m_firstTables[0] = m_firstTables[1] = nullptr;
}

VelDataThread::~VelDataThread()
{
    Stop();
    DrainRequests();
}

bool VelDataThread::Start()
{
    m_thread.Reset(::CreateThread(nullptr, 0, &DataThreadEntry, &m_app, 0, &m_threadId));
    if (m_thread)
        return true;
    m_threadId = kNoThread;
    return false;
}

void VelDataThread::WindowMade() { ::SetEvent(m_windowMade.Get()); }

void VelDataThread::Wired() { ::SetEvent(m_wired.Get()); }

void VelDataThread::Stop()
{
    if (!m_thread)
        return;
    // Let a thread still waiting for the window or its slots go on to its end.
    ::SetEvent(m_windowMade.Get());
    ::SetEvent(m_wired.Get());
    // A thread still opening its stores may have no queue to take the quit
    // yet; it holds the application, so it must end before the application does.
    while (!::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0) &&
           ::WaitForSingleObject(m_thread.Get(), 10) == WAIT_TIMEOUT) {
    }
    ::WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
    m_threadId = kNoThread;
}

// ---------------------------------------------------------------- handshake

void VelDataThread::AnnounceContactsOpen()
{
    if (m_contactsAnnounced.exchange(true))
        return;
    VelControlCore::Instance->PostUserMessage(VelKlApplication::kRequestContactsOpen, &m_app, 0);
}

void VelDataThread::AnnounceStoresOpen()
{
    if (m_storesAnnounced.exchange(true))
        return;
    VelControlCore::Instance->PostUserMessage(VelKlApplication::kRequestStoresOpen, &m_app, 0);
}

void VelDataThread::OpenFirstTables()
{
    VelScopedLock lock(&m_firstTablesLock);
    if (m_app.IsClosing())
        return;
    m_firstTables[0] = CreateDataTable(VelListKind::kCalls);
    m_firstTables[1] = CreateDataTable(VelListKind::kMessages);
}

void VelDataThread::DeleteFirstTables()
{
    VelScopedLock lock(&m_firstTablesLock);
    for (VelDataTable*& table : m_firstTables) {
        delete table;
        table = nullptr;
    }
}

void VelDataThread::TakeFirstTables(VelDataTable* tables[2])
{
    VelScopedLock lock(&m_firstTablesLock);
    for (int slot = 0; slot < 2; ++slot) {
        tables[slot] = m_firstTables[slot];
        m_firstTables[slot] = nullptr;
    }
}

// ---------------------------------------------------------------- requests

void VelDataThread::PostRequest(uint32_t kind, VelKlView* view, uint32_t code, uint32_t recordId)
{
    if (m_threadId == kNoThread)
        return;
    VelDataRequest* request = new (std::nothrow) VelDataRequest{kind, view, code, recordId};
    if (!request)
        return;
    {
        VelScopedLock lock(&m_requestLock);
        m_liveRequests.insert(request);
    }
    if (::PostThreadMessageW(m_threadId, kDataRequestMessage, 0, reinterpret_cast<LPARAM>(request)))
        return;
    // Not posted: nobody else will free it.
    if (TakeRequest(request))
        delete request;
}

bool VelDataThread::TakeRequest(VelDataRequest* request)
{
    VelScopedLock lock(&m_requestLock);
    return m_liveRequests.erase(request) != 0;
}

void VelDataThread::DrainRequests()
{
    VelScopedLock lock(&m_requestLock);
    for (VelDataRequest* request : m_liveRequests)
        delete request;
    m_liveRequests.clear();
}

void VelDataThread::RetireTable(VelDataTable* table)
{
    if (!table)
        return;
    if (m_threadId != kNoThread && !m_app.IsClosing()) {
        {
            VelScopedLock lock(&m_requestLock);
            m_retiredTables.insert(table);
        }
        if (::PostThreadMessageW(m_threadId, kRetiredTableMessage, 0, reinterpret_cast<LPARAM>(table)))
            return;
        if (!TakeRetiredTable(table))
            return;  // deleted already by a thread draining the set
    }
    delete table;
}

bool VelDataThread::TakeRetiredTable(VelDataTable* table)
{
    VelScopedLock lock(&m_requestLock);
    return m_retiredTables.erase(table) != 0;
}

void VelDataThread::DeleteRetiredTables()
{
    std::set<VelDataTable*> left;
    {
        VelScopedLock lock(&m_requestLock);
        left.swap(m_retiredTables);
    }
    for (VelDataTable* table : left)
        delete table;
}

void VelDataThread::HandleRequest(VelDataRequest* request)
{
    if (request->kind != VelListLoader::kCallLogRequest)
        return;
    VelCallListView* calls = m_app.GetCallListView();
    if (!calls || static_cast<VelKlView*>(calls) != request->view)
        return;
    // A burst of calls queues a request each: one pass serves them all.
    MSG queued;
    while (::PeekMessageW(&queued, nullptr, kDataRequestMessage, kDataRequestMessage, PM_REMOVE)) {
        VelDataRequest* more = reinterpret_cast<VelDataRequest*>(queued.lParam);
        if (!queued.hwnd && TakeRequest(more))
            delete more;
    }
    m_app.m_liveRows->SyncCalls(calls);
}

// ---------------------------------------------------------------- the thread

DWORD VelDataThread::Main()
{
    ::WaitForSingleObject(m_windowMade.Get(), INFINITE);
    m_context = new VelDataThreadContext{nullptr};
    try {
        CreateDataThreadContext(m_context);
        // The contacts list need not wait for the other stores.
        AnnounceContactsOpen();
        OpenOtherStores(m_context);
        OpenFirstTables();
    } catch (...) {
        // The first loads start all the same, over whatever did open.
        AnnounceContactsOpen();
        AnnounceStoresOpen();
        throw;
    }
    AnnounceStoresOpen();
    // No notification is delivered before the slots are connected.
    ::WaitForSingleObject(m_wired.Get(), INFINITE);

    VelRegChange watch = WatchMissedCallValue();
    HANDLE change = watch.Get();
    const bool watching = watch.IsValid();
    if (watching)
        VelControlCore::Instance->PostUserMessage(VelKlApplication::kRequestMissedCallWatch, &m_app, 0);

    DWORD exitCode = 0;
    bool running = true;
    while (running) {
        const DWORD woke =
            ::MsgWaitForMultipleObjectsEx(watching ? 1 : 0, watching ? &change : nullptr, INFINITE, kWakeOnAnyInput, 0);
        if (woke == WAIT_FAILED) {
            exitCode = 0xFFFFFFFF;
            break;
        }
        if (watching && woke == WAIT_OBJECT_0) {
            // Armed again before the read: a change between the two is
            // seen by the next wake, not lost.
            CeFindNextRegChange(change);
            m_app.ReadMissedCallCount();
            continue;
        }
        // Drained without blocking: a wake for a sent message leaves nothing
        // to get, and a blocking get would stop the watch until the next post.
        MSG msg = {};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                running = false;
                break;
            }
            if (msg.message == kDataRequestMessage && msg.hwnd == nullptr) {
                VelDataRequest* request = reinterpret_cast<VelDataRequest*>(msg.lParam);
                // Only what PostRequest made is read and freed.
                if (TakeRequest(request)) {
                    try {
                        HandleRequest(request);
                    } catch (...) {
                        VelDebugLog(L"VelKlApplication::DataThreadMain: a request failed.\n");
                    }
                    delete request;
                }
                continue;
            }
            if (msg.message == kRetiredTableMessage && msg.hwnd == nullptr) {
                VelDataTable* table = reinterpret_cast<VelDataTable*>(msg.lParam);
                if (TakeRetiredTable(table))
                    delete table;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    // Requests still queued behind the quit are ours to free.
    MSG left = {};
    while (::PeekMessageW(&left, nullptr, kDataRequestMessage, kDataRequestMessage, PM_REMOVE))
        if (left.hwnd == nullptr && TakeRequest(reinterpret_cast<VelDataRequest*>(left.lParam)))
            delete reinterpret_cast<VelDataRequest*>(left.lParam);
    watch.Reset();
    // Tables the UI thread never took, or handed back, go before their stores.
    DeleteFirstTables();
    DeleteRetiredTables();
    // Closed on this thread in every case, even after a failed wait.
    DestroyDataThreadContext(m_context);
    delete m_context;
    m_context = nullptr;
    return exitCode;
}
