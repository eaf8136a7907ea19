#include "VelInvalidation.h"
#include "VelAbstractControl.h"
#include "VelCanvas.h"
#include "VelControlCore.h"
#include "VelRequestQueue.h"
#include "VelRootControl.h"
#include "VelScopedLock.h"

void VelInvalidation::PostRegionRequest(int code, VelAbstractControl* target, const VelRegion& region, bool merge)
{
    VelRegionRequest* argument = new VelRegionRequest{region, target->GetId(), BYTE(merge ? 1 : 0)};
    m_core.PostRequest(code, target, reinterpret_cast<INT_PTR>(argument));
}

VelRegion VelInvalidation::ExposedIn(VelAbstractControl* control, const VelAbstractControl* into)
{
    VelRegion region;
    VelAbstractControl* native = VelControlCore::GetNativeAncestor(control);
    if (!native)
        return region;
    VelScopedLock lock(&m_core.m_lock);
    if (const VelWindowPaintState* state = m_core.FindPaintState(native->GetId())) {
        region = state->GetExposed(control->GetId());
        VelControlCore::MapRegion(native, into, region);
    }
    return region;
}

void VelInvalidation::InvalidateControl(VelAbstractControl* control, const VelRegion& region)
{
    if (control->GetOwnerThreadId() != ::GetCurrentThreadId()) {
        // Posted without the core lock: the owner may be painting, the core
        // lock held, and waiting for a lock of the caller's. The owner looks
        // the control up when the request arrives.
        VelAbstractControl* native = VelControlCore::GetNativeAncestor(control);
        HWND window = native && native->GetHandle() ? native->GetHandle() : m_core.m_callbackWindow;
        VelRegionRequest* argument = new VelRegionRequest{region, control->GetId(), 0};
        m_core.m_requests.Post(window, VelRequestQueue::kInvalidateControl, m_core.m_root->GetId(),
                               reinterpret_cast<INT_PTR>(argument));
        return;
    }
    if (!m_core.FindControl(control->GetId()))
        return;
    const VelRegion area = region.IsEmpty() ? VelRegion(control->GetClientRect()) : region;
    if (VelCanvas* canvas = control->GetCanvasOwnership() == VelCanvasOwnership::Own ? control->GetCanvas() : nullptr) {
        if (VelAbstractControl* parent = control->GetParent()) {
            VelRegion inParent(area);
            VelControlCore::MapRegion(control, parent, inParent);
            inParent.Intersect(ExposedIn(control, parent));
            if (!inParent.IsEmpty())
                InvalidateInParent(parent, inParent, true);
        }
        if (area.IsEmpty())
            return;
        canvas->AddClip(area);
        if (!control->GetParent())
            InvalidateWindowRegion(control, VelRegion());
        else if (control->HasNativeWindow())
            // A child window paints itself: the parent's invalidation does not reach it.
            InvalidateWindowRegion(control, area);
        return;
    }
    VelAbstractControl* holder = VelControlCore::GetCanvasHolder(control);
    if (!holder)
        return;
    VelRegion inHolder(area);
    VelControlCore::MapRegion(control, holder, inHolder);
    VelRegion drawable;
    if (VelAbstractControl* native = VelControlCore::GetNativeAncestor(control)) {
        VelScopedLock lock(&m_core.m_lock);
        if (const VelWindowPaintState* state = m_core.FindPaintState(native->GetId()))
            drawable = state->GetCanvasArea(control->GetId());
    }
    inHolder.Intersect(drawable);
    if (inHolder.IsEmpty())
        return;
    holder->GetCanvas()->AddClip(inHolder);
    VelRegion shown = ExposedIn(control, holder);
    VelRegion cut(area);
    VelControlCore::MapRegion(control, holder, cut);
    shown.Intersect(cut);
    if (!shown.IsEmpty())
        InvalidateWindowRegion(holder, shown);
}

void VelInvalidation::InvalidateWindowRegion(VelAbstractControl* control, const VelRegion& region)
{
    VelRegion area = region.IsEmpty() ? VelRegion(control->GetClientRect()) : region;
    VelAbstractControl* native = VelControlCore::GetNativeAncestor(control);
    if (!native || !native->GetHandle())
        return;
    if (native != control) {
        VelControlCore::MapRegion(control, native, area);
        if (area.IsEmpty())
            return;
    }
    if (IsPaintingWindow(native->GetId()))
        PostRegionRequest(VelRequestQueue::kInvalidateWindowRegion, native, area, false);
    else
        ::InvalidateRgn(native->GetHandle(), area.GetHandle(), TRUE);
}

void VelInvalidation::InvalidateInParent(VelAbstractControl* control, const VelRegion& region, bool merge)
{
    VelAbstractControl* native = VelControlCore::GetNativeAncestor(control);
    if (native && IsPaintingWindow(native->GetId())) {
        PostRegionRequest(VelRequestQueue::kInvalidateInParent, control, region, merge);
        return;
    }
    if (merge)
        InvalidateWindowRegion(control, region);
    VelAbstractControl* holder = VelControlCore::GetCanvasHolder(control);
    if (!holder)
        return;
    VelRegion inHolder(region);
    VelControlCore::MapRegion(control, holder, inHolder);
    holder->GetCanvas()->AddClip(inHolder);
}

void VelInvalidation::BeginWindowPaint(int windowId)
{
    VelScopedLock lock(&m_core.m_lock);
    m_painting[::GetCurrentThreadId()] = windowId;
}

void VelInvalidation::EndWindowPaint()
{
    VelScopedLock lock(&m_core.m_lock);
    m_painting[::GetCurrentThreadId()] = 0;
}

bool VelInvalidation::IsPaintingWindow(int windowId)
{
    VelScopedLock lock(&m_core.m_lock);
    auto it = m_painting.find(::GetCurrentThreadId());
    return it != m_painting.end() && it->second == windowId && windowId != 0;
}

void VelInvalidation::ExecuteRequest(int code, INT_PTR argument)
{
    if (code < VelRequestQueue::kInvalidateWindowRegion || code > VelRequestQueue::kInvalidateControl)
        return;
    VelRegionRequest* request = reinterpret_cast<VelRegionRequest*>(argument);
    {
        VelScopedLock lock(&m_core.m_lock);
        if (VelAbstractControl* control = m_core.FindControl(request->controlId)) {
            if (code == VelRequestQueue::kInvalidateWindowRegion)
                InvalidateWindowRegion(control, request->region);
            else if (code == VelRequestQueue::kInvalidateInParent)
                InvalidateInParent(control, request->region, request->merge != 0);
            else
                InvalidateControl(control, request->region);
        }
    }
    delete request;
}
