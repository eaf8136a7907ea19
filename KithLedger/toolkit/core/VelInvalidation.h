#pragma once
#include "VelRegion.h"

#include <map>

class VelAbstractControl;
class VelControlCore;

// Marks what must be painted again: in the canvases of the controls (their
// clip regions) and in the platform's windows. While a thread paints a
// window, invalidations of that window are posted to run after the paint.
// The painting record is guarded by the core lock.
class VelInvalidation {
public:
    explicit VelInvalidation(VelControlCore& core) : m_core(core) {}
    VelInvalidation(const VelInvalidation&) = delete;
    VelInvalidation& operator=(const VelInvalidation&) = delete;

    void InvalidateControl(VelAbstractControl* control, const VelRegion& region);
    void InvalidateWindowRegion(VelAbstractControl* control, const VelRegion& region);
    void InvalidateInParent(VelAbstractControl* control, const VelRegion& region, bool merge);
    // What of the control shows in its window, in `into`'s coordinates.
    VelRegion ExposedIn(VelAbstractControl* control, const VelAbstractControl* into);

    // Runs an invalidation request posted while its window painted, and frees its argument.
    void ExecuteRequest(int code, INT_PTR argument);

    void BeginWindowPaint(int windowId);
    void EndWindowPaint();
    bool IsPaintingWindow(int windowId);

private:
    void PostRegionRequest(int code, VelAbstractControl* target, const VelRegion& region, bool merge);

    VelControlCore& m_core;
    std::map<DWORD, int> m_painting;  // thread id -> window control id
};
