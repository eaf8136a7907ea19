#include "VelControlCore.h"
#include "VelAbstractControl.h"
#include "VelCanvas.h"
#include "VelDebugLog.h"
#include "VelGDICanvas.h"
#include "VelGDIRenderer.h"
#include "VelRootControl.h"
#include "VelScopedLock.h"
#include "VelScreenMetrics.h"

#include <algorithm>
#include <exception>

namespace {

const wchar_t kWindowClass[] = L"_VELWINDOW_WC_";
const wchar_t kCallbackClass[] = L"_VELAPPLICATION_CALLBACK_WC_";
const DWORD kFullScreenFlags = 0x2A;

VelControlCore::TickSource s_tickSource = &::GetTickCount;

POINT Delta(const VelAbstractControl* from, const VelAbstractControl* to)
{
    POINT a{0, 0}, b{0, 0};
    if (from) {
        const VelRect r = from->GetAbsoluteBounds();
        a = POINT{r.left, r.top};
    }
    if (to) {
        const VelRect r = to->GetAbsoluteBounds();
        b = POINT{r.left, r.top};
    }
    return POINT{a.x - b.x, a.y - b.y};
}

}  // namespace

VelControlCore::VelControlCore()
    : VelObject(nullptr, std::string()), m_module(::GetModuleHandleW(nullptr)), m_captured(nullptr), m_focused(nullptr),
      m_renderer(nullptr), m_root(nullptr), m_callbackWindow(nullptr), m_messages(*this), m_invalidation(*this),
      m_runLoop(*this, kWindowClass), m_ignoreMouse(false), m_lastInputTick(s_tickSource())
{
    m_root = new VelRootControl(this, "RootControl");
    m_requests.SetCoreTargetId(m_root->GetId());
    m_renderer = new VelGDIRenderer();
}

VelControlCore::~VelControlCore()
{
    {
        VelScopedLock lock(&m_lock);
        if (m_callbackWindow)
            ::DestroyWindow(m_callbackWindow);
        m_callbackWindow = nullptr;
        ::UnregisterClassW(kWindowClass, m_module);
        ::UnregisterClassW(kCallbackClass, m_module);
        // The renderer made the cached canvases: they go first.
        m_canvasCache.Clear();
        delete m_renderer;
        m_renderer = nullptr;
    }
}

const wchar_t* VelControlCore::GetClassName() const { return L"VelControlCore"; }

void VelControlCore::CreateCallbackWindow()
{
    m_callbackWindow = ::CreateWindowExW(0, kCallbackClass, L"", 0, 0, 0, 0, 0, nullptr, nullptr, m_module, m_root);
}

void VelControlCore::SetTickSource(TickSource source) { s_tickSource = source ? source : &::GetTickCount; }

DWORD VelControlCore::GetTick() { return s_tickSource(); }

// ---------------------------------------------------------------- registry

VelAbstractControl* VelControlCore::FindControl(int id)
{
    VelScopedLock lock(&m_lock);
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

bool VelControlCore::IsAncestor(const VelAbstractControl* ancestor, const VelAbstractControl* control)
{
    for (const VelAbstractControl* p = control ? control->GetParent() : nullptr; p; p = p->GetParent())
        if (p == ancestor)
            return true;
    return false;
}

VelAbstractControl* VelControlCore::GetNativeAncestor(VelAbstractControl* control)
{
    return control ? control->GetWindowControl() : nullptr;
}

VelAbstractControl* VelControlCore::GetCanvasHolder(VelAbstractControl* control)
{
    for (VelAbstractControl* c = control; c; c = c->GetParent())
        if (c->GetCanvasOwnership() == VelCanvasOwnership::Own && c->GetCanvas())
            return c;
    return nullptr;
}

// ---------------------------------------------------------------- windows

void VelControlCore::CreateNativeWindow(VelAbstractControl* control)
{
    VelAbstractControl* parent = control->GetParent();
    if (!parent)
        control->SetHasNativeWindow(true);
    {
        VelScopedLock lock(&m_lock);
        m_controls[control->GetId()] = control;
        (parent ? parent : m_root)->AddChildControl(control);
    }
    control->SetOwnerThreadId(::GetCurrentThreadId());

    if (control->HasNativeWindow() && parent && !parent->HasNativeWindow())
        control->SetHasNativeWindow(false);

    if (control->HasNativeWindow()) {
        const VelRect bounds = control->GetBounds();
        if (control->GetCanvasOwnership() == VelCanvasOwnership::Shared)
            control->SetCanvasState(VelCanvasOwnership::Own, VelPicture::Clipped);
        HWND parentWindow = parent ? parent->GetHandle() : nullptr;
        // Top-level windows are popups: style 0 gets a caption on the desktop.
        DWORD style = parentWindow ? WS_CHILD : WS_POPUP;
        if (control->IsVisible())
            style |= WS_VISIBLE;
        int x = bounds.left, y = bounds.top, cx = bounds.GetWidth(), cy = bounds.GetHeight();
        if (bounds.left == bounds.right && bounds.top == bounds.bottom) {
            // The platform's default size does not apply to popups: take the screen.
            x = 0;
            y = 0;
            cx = VelScreenMetrics::GetWidth();
            cy = VelScreenMetrics::GetHeight();
        }
        HWND window = ::CreateWindowExW(0, kWindowClass, m_applicationName.c_str(), style, x, y, cx, cy, parentWindow,
                                        nullptr, m_module, control);
        if (!window) {
            // No window, so no canvas: nothing may treat it as a canvas owner.
            control->SetCanvasState(VelCanvasOwnership::Shared, VelPicture::Clipped);
            VelDebugLog(L"VelControlCore::CreateNativeWindow: CreateWindowExW failed.\n");
        }
    } else {
        if (control->GetCanvasOwnership() == VelCanvasOwnership::Own)
            AttachCanvas(control, false);
        VelCreateEventArgs args;
        control->OnCreate(&args);
    }
    UpdateControl(control, VelUpdate::Rebuild);
    if (!control->HasNativeWindow() && VelPendingUpdates::IsDispatching() && control->IsVisible())
        // Inside a handler the bookkeeping learns of the control only at the
        // flush and would drop an invalidation of it: dirty its place instead.
        InvalidateInParent(parent, VelRegion(control->GetBounds()), true);
    else if (!control->HasNativeWindow())
        InvalidateControl(control, VelRegion());
    else if (parent)
        // The enclosing window's list must take in the child it composites.
        UpdateControl(parent, VelUpdate::Rebuild);
}

void VelControlCore::ForgetControl(VelAbstractControl* control)
{
    if (m_captured == control) {
        // The platform's capture would keep sending the pointer to its window.
        m_captured = nullptr;
        ::ReleaseCapture();
    }
    if (m_focused == control)
        m_focused = nullptr;
    // Pending entries of every thread move to the nearest ancestor still alive.
    VelAbstractControl* heir = control->GetParent();
    while (heir && !m_controls.count(heir->GetId()))
        heir = heir->GetParent();
    m_pendingUpdates.Reassign(control, heir);
}

void VelControlCore::DestroyNativeWindow(VelAbstractControl* control)
{
    InvalidateControl(control, VelRegion());
    VelAbstractControl* parent = control->GetParent();
    bool lastWindowGone = false;
    {
        VelScopedLock lock(&m_lock);
        m_controls.erase(control->GetId());
        ForgetControl(control);
        const int id = control->GetId();
        if (control->HasNativeWindow())
            m_paintStates.erase(id);
        // The enclosing window's lists name this control: they must be rebuilt.
        if (VelAbstractControl* outer = GetNativeAncestor(parent))
            m_paintStates[outer->GetId()].ForgetControl(id);
        if (parent) {
            parent->RemoveChildControl(control);
        } else {
            m_root->RemoveChildControl(control);
            lastWindowGone = m_root->GetChildren().empty();
        }
    }
    if (control->GetHandle()) {
        ::DestroyWindow(control->GetHandle());
        control->SetHandle(nullptr);
    }
    DetachCanvas(control, false);
    if (parent)
        UpdateControl(parent, VelUpdate::Rebuild);
    if (lastWindowGone)
        AllWindowsClosed.Invoke(this, nullptr);
}

void VelControlCore::SetBounds(VelAbstractControl* control, const RECT& rect)
{
    const VelRect old = control->GetBounds();
    if (old == rect)
        return;
    const VelRect next(rect);
    control->SetBoundsField(next);
    if (control->HasNativeWindow() && control->GetHandle()) {
        ::MoveWindow(control->GetHandle(), next.left, next.top, next.GetWidth(), next.GetHeight(), TRUE);
        RepaintChildWindowPlace(control, old, VelUpdate::Regions);
    } else {
        UpdateControl(control, VelUpdate::Regions);
        if (control->IsVisible() && control->GetParent()) {
            VelRegion area(old);
            area.Union(VelRegion(next));
            InvalidateInParent(control->GetParent(), area, true);
        }
        NotifyBoundsChanged(control, old, next);
    }
    VelCanvas* canvas = control->GetCanvas();
    if (canvas && (canvas->GetWidth() != next.GetWidth() || canvas->GetHeight() != next.GetHeight()))
        RefreshControl(control);
}

void VelControlCore::NotifyBoundsChanged(VelAbstractControl* control, const RECT& oldRect, const RECT& newRect)
{
    const VelRect o(oldRect), n(newRect);
    VelMoveEventArgs move(n.left, n.top);
    control->OnMove(&move);
    if (o.GetWidth() != n.GetWidth() || o.GetHeight() != n.GetHeight()) {
        VelSizeEventArgs size(n.GetWidth(), n.GetHeight());
        control->OnSize(&size);
    }
}

void VelControlCore::RepaintChildWindowPlace(VelAbstractControl* control, const VelRect& old, VelUpdate update)
{
    // The enclosing window composites a child window into its own canvas: when
    // the child moves, resizes, shows or hides, that window's bookkeeping must
    // follow, and the place it left and the place it took are painted again there.
    VelAbstractControl* parent = control->GetParent();
    if (!parent)
        return;
    VelRegion area(old);
    area.Union(VelRegion(control->GetBounds()));
    InvalidateInParent(parent, area, true);
    UpdateControl(parent, update);
}

void VelControlCore::RefreshControl(VelAbstractControl* control)
{
    const VelCanvasOwnership ownership = control->GetCanvasOwnership();
    const VelPicture picture = control->GetPicture();
    DetachCanvas(control, false);
    control->SetCanvasState(ownership, picture);
    AttachCanvas(control, false);
}

void VelControlCore::OnParentChanged(VelAbstractControl*, VelAbstractControl*) {}

void VelControlCore::SetVisible(VelAbstractControl* control)
{
    if (control->HasNativeWindow()) {
        if (control->GetHandle())
            ::ShowWindow(control->GetHandle(), control->IsVisible() ? SW_SHOW : SW_HIDE);
        RepaintChildWindowPlace(control, control->GetBounds(), VelUpdate::Rebuild);
    } else if (!control->IsVisible()) {
        if (control->GetParent())
            InvalidateInParent(control->GetParent(), VelRegion(control->GetBounds()), true);
        UpdateControl(control, VelUpdate::Rebuild);
    } else {
        BringToFront(control, false);
    }
}

void VelControlCore::OnControlStateChanged(VelAbstractControl* control)
{
    if (control->HasNativeWindow() || !control->IsVisible())
        return;
    InvalidateControl(control, VelRegion());
    UpdateControl(control, VelUpdate::Rebuild);
}

void VelControlCore::BringToFront(VelAbstractControl* control, bool recursive)
{
    Restack(control, recursive, Stacking::Top);
}

void VelControlCore::SendToBack(VelAbstractControl* control, bool recursive)
{
    Restack(control, recursive, Stacking::Bottom);
}

void VelControlCore::Restack(VelAbstractControl* control, bool recursive, Stacking place)
{
    const bool top = place == Stacking::Top;
    VelAbstractControl* level = control;
    VelAbstractControl* last = control;
    while (level) {
        last = level;
        VelAbstractControl* parent = level->GetParent();
        if (!parent) {
            {
                VelScopedLock lock(&m_lock);
                top ? m_root->RaiseChild(level) : m_root->LowerChild(level);
            }
            if (level->GetHandle() && top)
                ::BringWindowToTop(level->GetHandle());
            else if (level->GetHandle())
                ::SetWindowPos(level->GetHandle(), HWND_BOTTOM, 0, 0, 0, 0,
                               SWP_NOSIZE | SWP_NOMOVE | SWP_NOOWNERZORDER);
            break;
        }
        top ? parent->RaiseChild(level) : parent->LowerChild(level);
        InvalidateInParent(parent, VelRegion(level->GetBounds()), true);
        if (!recursive)
            break;
        level = parent;
    }
    UpdateControl(last, VelUpdate::Rebuild);
}

void VelControlCore::SetForegroundWindow(VelAbstractControl* control)
{
    if (!control->GetParent()) {
        HWND window = nullptr;
        {
            // The data thread adds and removes its callback window meanwhile.
            VelScopedLock lock(&m_lock);
            const std::vector<VelAbstractControl*>& top = m_root->GetChildren();
            if (std::find(top.begin(), top.end(), control) != top.end())
                window = control->GetHandle();
        }
        if (window)
            ::SetForegroundWindow(window);
    } else {
        BringToFront(control, true);
    }
}

void VelControlCore::SetFullScreen(VelAbstractControl* control, DWORD flags)
{
    if (!control || !control->GetHandle() || !(flags & kFullScreenFlags))
        return;
    SetForegroundWindow(control);
    if (m_shell.FullScreen(control->GetHandle(), flags))
        control->SetBounds(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
}

// ---------------------------------------------------------------- capture, focus, timers

void VelControlCore::SetCapture(VelAbstractControl* control)
{
    m_captured = control;
    if (VelAbstractControl* window = GetNativeAncestor(control))
        ::SetCapture(window->GetHandle());
}

void VelControlCore::ReleaseCapture()
{
    m_captured = nullptr;
    ::ReleaseCapture();
}

void VelControlCore::SetFocus(VelAbstractControl* control)
{
    m_focused = control;
    if (VelAbstractControl* window = GetNativeAncestor(control))
        ::SetFocus(window->GetHandle());
}

VelAbstractControl* VelControlCore::GetFocus() { return m_focused; }

int VelControlCore::SetTimer(int ownerId, UINT timerId, UINT intervalMs)
{
    HWND window = m_callbackWindow;
    if (VelAbstractControl* control = FindControl(ownerId))
        if (VelAbstractControl* native = GetNativeAncestor(control))
            window = native->GetHandle();
    if (!window || !::SetTimer(window, timerId, intervalMs, nullptr))
        return 0;
    m_timers.Add(timerId, ownerId, window);
    return 1;
}

void VelControlCore::KillTimer(int, UINT timerId)
{
    if (HWND window = m_timers.Remove(timerId))
        ::KillTimer(window, timerId);
}

// ---------------------------------------------------------------- deferred updates

void VelControlCore::SetDispatching(bool enter)
{
    if (enter)
        VelPendingUpdates::EnterDispatch();
    else if (VelPendingUpdates::LeaveDispatch())
        FlushPendingUpdates();
}

void VelControlCore::UpdateControl(VelAbstractControl* control, BYTE update, bool now)
{
    UpdateControl(control, update ? VelUpdate::Rebuild : VelUpdate::Regions, now);
}

void VelControlCore::UpdateControl(VelAbstractControl* control, VelUpdate update, bool now)
{
    if (!control)
        return;
    VelAbstractControl* window = GetNativeAncestor(control);
    if (VelPendingUpdates::IsDispatching() && !now) {
        m_pendingUpdates.Add(control, window, update);
        return;
    }
    VelScopedLock lock(&m_lock);
    if (!window || !m_controls.count(window->GetId()))
        return;
    ComputeDirtyRegions(window, VelRegion(window->GetClientRect()), update == VelUpdate::Rebuild);
    m_paintStates[window->GetId()].DropPaintList();
}

void VelControlCore::ComputeDirtyRegions(VelAbstractControl* window, const VelRegion& dirty, bool rebuild)
{
    VelScopedLock lock(&m_lock);
    m_paintStates[window->GetId()].ComputeDirtyRegions(window, dirty, rebuild);
}

void VelControlCore::FlushPendingUpdates()
{
    for (const VelPendingUpdates::Entry& e : m_pendingUpdates.Take())
        UpdateControl(e.control, e.update, true);
}

void VelControlCore::UpdateNow(VelAbstractControl* control, bool invalidate)
{
    FlushPendingUpdates();
    if (invalidate)
        InvalidateControl(control, VelRegion());
    if (VelAbstractControl* window = GetNativeAncestor(control))
        if (window->GetHandle())
            ::UpdateWindow(window->GetHandle());
}

// ---------------------------------------------------------------- requests

void VelControlCore::PostUserMessage(int code, VelObject* target, INT_PTR argument)
{
    HWND window = m_callbackWindow;
    if (target)
        if (VelAbstractControl* control = FindControl(target->GetId()))
            if (VelAbstractControl* native = GetNativeAncestor(control))
                window = native->GetHandle();
    m_requests.Post(window, code, target ? target->GetId() : 0, argument);
}

void VelControlCore::PostRequest(int code, VelAbstractControl* control, INT_PTR argument)
{
    HWND window = m_callbackWindow;
    if (control && FindControl(control->GetId()))
        if (VelAbstractControl* native = GetNativeAncestor(control))
            window = native->GetHandle();
    m_requests.Post(window, code, m_root->GetId(), argument);
}

void VelControlCore::ExecuteRequest(int code, INT_PTR argument) { m_invalidation.ExecuteRequest(code, argument); }

LRESULT VelControlCore::OnRequest(VelRequestRecord* record)
{
    // A WM_USER+1 that is not one of ours is left alone.
    if (!m_requests.Take(record))
        return -1;
    VelDispatchScope dispatch(this);
    const VelRequestRecord request = *record;
    delete record;
    if (request.targetId == m_root->GetId()) {
        ExecuteRequest(request.code, request.argument);
    } else if (VelObject* target = VelObject::FindById(request.targetId)) {
        VelUserMessageEventArgs args{request.code, request.argument};
        target->OnUserMessage(&args);
    }
    return -1;
}

// ---------------------------------------------------------------- dispatch

LRESULT CALLBACK VelControlCore::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    VelControlCore* core = Instance;
    try {
        if (message == WM_CREATE && core) {
            const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            VelAbstractControl* control = static_cast<VelAbstractControl*>(cs->lpCreateParams);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
            if (control)
                core->m_messages.HandleCreate(control, window, wParam, lParam);
            return 0;
        }
        VelAbstractControl* control = reinterpret_cast<VelAbstractControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        // Before WM_CREATE and after WM_NCDESTROY the window has no control.
        if (!control || !core)
            return ::DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            // Requests still queued for a window that goes away would leak with it.
            core->m_requests.Drain(window);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        const int id = control->GetId();
        const LRESULT result = core->m_messages.Handle(control, window, message, wParam, lParam);
        if (result != -1)
            return result;
        // A handler may destroy its own control; ids are never reused.
        if (VelObject::FindById(id) != control)
            return ::DefWindowProcW(window, message, wParam, lParam);
        return control->DefWindowProc(message, wParam, lParam);
    } catch (const std::exception&) {
        VelDebugLog(L"VelControlCore::WindowProc: a handler threw.\n");
    } catch (...) {
        VelDebugLog(L"VelControlCore::WindowProc: a handler threw.\n");
    }
    return 0;
}

// ---------------------------------------------------------------- mapping

void VelControlCore::MapRectToAncestor(const VelAbstractControl* from, const VelAbstractControl* to, RECT& rect)
{
    const POINT d = Delta(from, to);
    ::OffsetRect(&rect, d.x, d.y);
}

void VelControlCore::MapRegion(const VelAbstractControl* from, const VelAbstractControl* to, VelRegion& region)
{
    const POINT d = Delta(from, to);
    region.Offset(d.x, d.y);
}

void VelControlCore::MapPointToControl(const VelAbstractControl* from, const VelAbstractControl* to, VelPoint& point)
{
    const POINT d = Delta(from, to);
    point.x += d.x;
    point.y += d.y;
}

void VelControlCore::MapPoints(const VelAbstractControl* from, const VelAbstractControl* to,
                               std::vector<VelPoint>& points)
{
    for (VelPoint& p : points)
        MapPointToControl(from, to, p);
}

// ---------------------------------------------------------------- canvases

VelCanvas* VelControlCore::AcquireCanvas(int width, int height)
{
    if (VelCanvas* canvas = m_canvasCache.Take(width, height))
        return canvas;
    return m_renderer->CreateCanvas(width, height);
}

void VelControlCore::ReleaseCanvas(VelCanvas* canvas) { m_canvasCache.Put(canvas); }

void VelControlCore::AttachCanvas(VelAbstractControl* control, bool copy)
{
    if (control->GetCanvas())
        DetachCanvas(control, false);
    const VelRect bounds = control->GetBounds();
    VelCanvas* canvas = AcquireCanvas(bounds.GetWidth(), bounds.GetHeight());
    if (!canvas)
        return;
    // The renderer makes GDI canvases only; a cached one may have served another window.
    static_cast<VelGDICanvas*>(canvas)->SetWindow(control->HasNativeWindow() ? control->GetHandle() : nullptr);
    VelRegion dirty(control->GetClientRect());
    VelAbstractControl* parent = control->GetParent();
    VelAbstractControl* sourceHolder = parent ? GetCanvasHolder(parent) : nullptr;
    if (copy && parent && sourceHolder) {
        VelRegion shown;
        if (VelAbstractControl* native = GetNativeAncestor(control)) {
            VelScopedLock lock(&m_lock);
            if (const VelWindowPaintState* state = FindPaintState(native->GetId()))
                shown = state->GetSubtree(control->GetId());
            MapRegion(native, control, shown);
        }
        if (!shown.IsEmpty()) {
            // Carry over the part that showed, so only the rest is dirty.
            canvas->SelectClipRegion(shown);
            VelRect box = control->GetClientRect();
            MapRectToAncestor(control, sourceHolder, box);
            sourceHolder->GetCanvas()->CopyToCanvas(canvas, POINT{0, 0}, SIZE{box.GetWidth(), box.GetHeight()},
                                                    POINT{box.left, box.top}, SRCCOPY);
            dirty.Subtract(shown);
        }
    }
    canvas->SetClip(dirty);
    control->SetCanvasState(VelCanvasOwnership::Own, control->GetPicture());
    canvas->SetAuxiliaryValue(control->GetSecondStateFlag());
    control->SetCanvas(canvas);
    UpdateControl(control, VelUpdate::Rebuild);
}

void VelControlCore::DetachCanvas(VelAbstractControl* control, bool repaint)
{
    VelCanvas* canvas = control->GetCanvas();
    if (!canvas)
        return;
    const VelRegion dirty(canvas->GetClipRegion());
    control->SetCanvas(nullptr);
    control->SetCanvasState(VelCanvasOwnership::Shared, VelPicture::Clipped);
    ReleaseCanvas(canvas);
    if (!repaint)
        return;
    VelRegion shown = m_invalidation.ExposedIn(control, control);
    shown.Intersect(dirty);
    if (!shown.IsEmpty())
        InvalidateInParent(control, shown, true);
    UpdateControl(control, VelUpdate::Rebuild);
}

// ---------------------------------------------------------------- invalidation

VelWindowPaintState* VelControlCore::FindPaintState(int windowId)
{
    auto it = m_paintStates.find(windowId);
    return it == m_paintStates.end() ? nullptr : &it->second;
}

void VelControlCore::InvalidateControl(VelAbstractControl* control, const VelRegion& region)
{
    m_invalidation.InvalidateControl(control, region);
}

void VelControlCore::InvalidateWindowRegion(VelAbstractControl* control, const VelRegion& region)
{
    m_invalidation.InvalidateWindowRegion(control, region);
}

void VelControlCore::InvalidateWindowRect(VelAbstractControl* control, const RECT& rect)
{
    m_invalidation.InvalidateWindowRegion(control, VelRegion(rect));
}

void VelControlCore::InvalidateInParent(VelAbstractControl* control, const VelRegion& region, bool merge)
{
    m_invalidation.InvalidateInParent(control, region, merge);
}

void VelControlCore::BeginWindowPaint(int windowId) { m_invalidation.BeginWindowPaint(windowId); }

void VelControlCore::EndWindowPaint() { m_invalidation.EndWindowPaint(); }

bool VelControlCore::IsPaintingWindow(int windowId) { return m_invalidation.IsPaintingWindow(windowId); }

// ---------------------------------------------------------------- painting

void VelControlCore::PaintControlNow(VelAbstractControl* control, const VelRegion& region)
{
    FlushPendingUpdates();
    VelCanvas* canvas = control->GetCanvas();
    if (!canvas)
        return;
    VelRegion dirty(canvas->GetClipRegion());
    if (!region.IsEmpty())
        dirty.Intersect(region);
    if (!dirty.IsEmpty())
        PaintWindow(control, dirty);
}

void VelControlCore::PaintWindow(VelAbstractControl* control, const VelRegion& region)
{
    VelAbstractControl* native = GetNativeAncestor(control);
    if (!native || !native->GetCanvas())
        return;
    VelRegion area(region);
    if (native != control)
        MapRegion(control, native, area);
    PaintRegion(native, native->GetCanvas(), native->GetAbsoluteBounds(), area);
    // Outside WM_PAINT nothing may be invalid yet: what was painted is, so that
    // the present copies that and no more.
    if (HWND window = native->GetHandle())
        if (!area.IsEmpty())
            ::InvalidateRgn(window, area.GetHandle(), FALSE);
    native->GetCanvas()->Present(0, 0);
}

void VelControlCore::PaintRegion(VelAbstractControl* window, VelCanvas* canvas, const RECT& origin,
                                 const VelRegion& region)
{
    VelScopedLock lock(&m_lock);
    PaintControlTree(window, canvas, origin, region);
}

void VelControlCore::PaintControlTree(VelAbstractControl* window, VelCanvas* canvas, const RECT& origin,
                                      const VelRegion& region)
{
    VelScopedLock lock(&m_lock);
    m_paintStates[window->GetId()].Paint(window, canvas, origin, region);
}

VelRegion VelControlCore::GetExposedArea(VelAbstractControl* control)
{
    VelAbstractControl* native = GetNativeAncestor(control);
    VelScopedLock lock(&m_lock);
    const VelWindowPaintState* state = native ? FindPaintState(native->GetId()) : nullptr;
    return state ? state->GetExposed(control->GetId()) : VelRegion();
}

// ---------------------------------------------------------------- run loop

int VelControlCore::Run(VelApplication* application, bool show, DWORD fullScreenFlags)
{
    return m_runLoop.Run(application, show, fullScreenFlags);
}

int VelControlCore::RunModal(VelAbstractControl* popup) { return m_runLoop.RunModal(popup); }

void VelControlCore::PostQuit(int exitCode) { m_runLoop.PostQuit(exitCode); }
