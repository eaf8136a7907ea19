#pragma once
#include "VelCriticalSection.h"
#include "VelRegion.h"

#include <set>

// The record posted with WM_USER+1; the receiving thread frees it.
struct VelRequestRecord {
    INT_PTR argument;  // a request argument, or the value given to PostUserMessage; may carry a pointer
    INT32 code;
    INT32 targetId;  // the root control's id marks a core request
};
static_assert(sizeof(VelRequestRecord) == (sizeof(void*) == 4 ? 12 : 16), "the posted request's layout");

// The argument of the invalidation requests 16, 17 and 18.
struct VelRegionRequest {
    VelRegion region;
    int controlId;
    BYTE merge;
};

// The requests one core posts to the windows of any thread. Only records this
// queue posted and has not yet handed out are live: anything else arriving as
// WM_USER+1 is not ours to free.
class VelRequestQueue {
public:
    enum : UINT { kMessage = WM_USER + 1 };
    enum : int { kInvalidateWindowRegion = 16, kInvalidateInParent = 17, kInvalidateControl = 18 };

    VelRequestQueue();
    ~VelRequestQueue();
    VelRequestQueue(const VelRequestQueue&) = delete;
    VelRequestQueue& operator=(const VelRequestQueue&) = delete;

    // Requests to this target id are the core's own: their region arguments are freed with them.
    void SetCoreTargetId(int id) { m_coreTargetId = id; }

    void Post(HWND window, int code, int targetId, INT_PTR argument);
    // Hands the record out once; false for a record that is not live.
    bool Take(VelRequestRecord* record);
    void Free(VelRequestRecord* record);
    // Frees what is still queued for a window that goes away.
    void Drain(HWND window);
    size_t GetLiveCount();

private:
    std::set<VelRequestRecord*> m_live;
    // Guards only the set above and is never held while another lock is
    // taken, so any thread may post while the owner paints under the core lock.
    VelCriticalSection m_lock;
    int m_coreTargetId;
};
