#include "VelRequestQueue.h"
#include "VelScopedLock.h"

VelRequestQueue::VelRequestQueue() : m_coreTargetId(0) {}

VelRequestQueue::~VelRequestQueue()
{
    VelScopedLock lock(&m_lock);
    for (VelRequestRecord* record : m_live)
        Free(record);
    m_live.clear();
}

void VelRequestQueue::Post(HWND window, int code, int targetId, INT_PTR argument)
{
    VelRequestRecord* record = new VelRequestRecord{argument, code, targetId};
    {
        VelScopedLock lock(&m_lock);
        m_live.insert(record);
    }
    if (window && ::PostMessageW(window, kMessage, reinterpret_cast<WPARAM>(record), 0))
        return;
    // Not posted: nobody else will free it.
    if (Take(record))
        Free(record);
}

bool VelRequestQueue::Take(VelRequestRecord* record)
{
    VelScopedLock lock(&m_lock);
    return m_live.erase(record) != 0;
}

void VelRequestQueue::Free(VelRequestRecord* record)
{
    if (record->targetId == m_coreTargetId && record->code >= kInvalidateWindowRegion &&
        record->code <= kInvalidateControl)
        delete reinterpret_cast<VelRegionRequest*>(record->argument);
    delete record;
}

void VelRequestQueue::Drain(HWND window)
{
    // A filtered peek still hands out the thread's quit: keep it for the loop.
    MSG msg;
    bool quit = false;
    WPARAM exitCode = 0;
    while (::PeekMessageW(&msg, window, kMessage, kMessage, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            exitCode = msg.wParam;
            continue;
        }
        VelRequestRecord* record = reinterpret_cast<VelRequestRecord*>(msg.wParam);
        if (Take(record))
            Free(record);
    }
    if (quit)
        ::PostQuitMessage(int(exitCode));
}

size_t VelRequestQueue::GetLiveCount()
{
    VelScopedLock lock(&m_lock);
    return m_live.size();
}
