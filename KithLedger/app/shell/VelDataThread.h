#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <set>

#include "VelCriticalSection.h"
#include "VelUniqueHandle.h"

class VelDataTable;
class VelKlApplication;
class VelKlView;
struct VelDataThreadContext;

// The thread message 0x8002 to the data thread: add the newest call when a
// call record was created. Made by PostDataRequest, freed by the data thread.
struct VelDataRequest {
    uint32_t kind;
    VelKlView* view;
    uint32_t code;
    uint32_t recordId;
};
static_assert(sizeof(VelDataRequest) == (sizeof(void*) == 4 ? 16 : 24), "the data-thread request's layout");

// The data thread: its start; the handshake by which it waits for the main
// window before it opens the stores and for the wiring before it delivers a
// notification, and announces the contacts session and then the other
// stores; the 0x8002 requests; the finished tables it deletes; its stop.
//
// Locks: m_requestLock guards the live requests and the retired tables,
// m_firstTablesLock the first tables. Each is taken alone; nothing is called
// with it held but the deletes of what it guards.
class VelDataThread {
public:
    explicit VelDataThread(VelKlApplication& app);
    ~VelDataThread();
    VelDataThread(const VelDataThread&) = delete;
    VelDataThread& operator=(const VelDataThread&) = delete;

    // False when no thread could be made.
    bool Start();
    // The thread's body.
    DWORD Main();
    // Ends the thread and waits for it; it holds the application.
    void Stop();
    DWORD GetThreadId() const { return m_threadId; }
    // The main window is made: the stores may open.
    void WindowMade();
    // The application's slots are connected: notifications may come.
    void Wired();
    // The calls' and the messages' first tables, now the caller's.
    void TakeFirstTables(VelDataTable* tables[2]);

    void PostRequest(uint32_t kind, VelKlView* view, uint32_t code, uint32_t recordId);
    // Requests never handled go.
    void DrainRequests();
    // A finished load's table goes on the data thread: letting go of a whole
    // store's rows takes milliseconds. Here when the data thread is gone.
    void RetireTable(VelDataTable* table);

private:
    // On the data thread, once each: the contacts session, then the other
    // stores, are open (or will never be).
    void AnnounceContactsOpen();
    void AnnounceStoresOpen();
    // On the data thread, before it announces the other stores: their first
    // tables, whose opening reads the whole store.
    void OpenFirstTables();
    void DeleteFirstTables();
    void HandleRequest(VelDataRequest* request);
    bool TakeRequest(VelDataRequest* request);
    bool TakeRetiredTable(VelDataTable* table);
    void DeleteRetiredTables();

    VelKlApplication& m_app;
    VelDataThreadContext* m_context;
    VelKernelHandle m_thread;
    DWORD m_threadId;
    // Set by the data thread once its stores are open; the UI thread reads
    // them only after the message that follows.
    std::atomic<bool> m_contactsAnnounced;
    std::atomic<bool> m_storesAnnounced;
    // Set once the main window is made: the data thread opens its stores
    // after that, so that opening them does not slow the window's making.
    VelKernelHandle m_windowMade;
    // Set once the application's slots are connected: until then the data
    // thread delivers no notification.
    VelKernelHandle m_wired;
    // The calls' and the messages' first tables, opened by the data thread
    // and taken by the UI thread's first loads.
    VelDataTable* m_firstTables[2];
    VelCriticalSection m_firstTablesLock;
    // Requests made and not yet handled: a 0x8002 with any other pointer is
    // not ours and is left alone.
    std::set<VelDataRequest*> m_liveRequests;
    // Tables posted to the data thread and not yet deleted: a 0x8003 with any
    // other pointer is not ours either.
    std::set<VelDataTable*> m_retiredTables;
    VelCriticalSection m_requestLock;
};
