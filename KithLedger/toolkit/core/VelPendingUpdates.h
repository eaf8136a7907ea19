#pragma once
#include "VelCriticalSection.h"

#include <map>
#include <utility>
#include <vector>

class VelAbstractControl;

// What a change costs a window's bookkeeping: its regions computed again, or
// its list of controls rebuilt first (a control came, went or moved in the tree).
enum class VelUpdate : BYTE { Regions = 0, Rebuild = 1 };

// The updates each thread defers while it dispatches, merged per window so
// that a handler's many changes cost one computation at the flush.
class VelPendingUpdates {
public:
    struct Entry {
        VelAbstractControl* control;
        VelUpdate update;
    };

    VelPendingUpdates() = default;
    VelPendingUpdates(const VelPendingUpdates&) = delete;
    VelPendingUpdates& operator=(const VelPendingUpdates&) = delete;

    // Dispatch nesting is kept per thread: the data thread's callback window is
    // dispatched too, and one shared counter would let either thread flush in
    // the middle of the other's handler. Leaving says whether the outermost ended.
    static void EnterDispatch();
    static bool LeaveDispatch();
    static bool IsDispatching();

    // Queues the update for the calling thread; `window` is the control's native ancestor.
    void Add(VelAbstractControl* control, VelAbstractControl* window, VelUpdate update);
    // Every thread's entries for a control that goes move to `heir`, or are dropped without one.
    void Reassign(VelAbstractControl* control, VelAbstractControl* heir);
    // The calling thread's entries, handed out once.
    std::vector<Entry> Take();
    std::vector<std::pair<VelAbstractControl*, BYTE>> Snapshot();

private:
    VelCriticalSection m_lock;                      // taken last: guards only the map
    std::map<DWORD, std::vector<Entry>> m_entries;  // by thread id
};
