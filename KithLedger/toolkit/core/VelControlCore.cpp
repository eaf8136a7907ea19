#include "VelControlCore.h"
#include "VelAbstractControl.h"
#include "VelApplication.h"
#include "VelCanvas.h"
#include "VelGDICanvas.h"
#include "VelGDIRenderer.h"
#include "VelRootControl.h"
#include "VelScopedLock.h"
#include "VelScreenMetrics.h"
#include "VelWinException.h"

#include <algorithm>
#include <exception>

namespace {

const wchar_t kWindowClass[] = L"_VELWINDOW_WC_";
const UINT kTableSize = 0x402;
const DWORD kSourceCopy = 0x00CC0020;
const DWORD kFullScreenFlags = 0x2A;

// Dispatch nesting is kept per thread: the data thread's callback window is
// dispatched too, and one shared counter would let either thread flush in the
// middle of the other's handler.
thread_local int t_dispatchDepth = 0;
thread_local bool t_inDispatch = false;

VelControlCore::TickSource s_tickSource = &::GetTickCount;

VelRect AbsoluteIn(const VelAbstractControl* control, const VelAbstractControl* into)
{
    VelRect r = control->GetAbsoluteBounds();
    if (into) {
        const VelRect o = into->GetAbsoluteBounds();
        r.Offset(-o.left, -o.top);
    }
    return r;
}

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

VelRegion Intersection(const VelRegion& a, const VelRegion& b)
{
    VelRegion r(a);
    r.Intersect(b);
    return r;
}

void Log(const wchar_t* text) { ::OutputDebugStringW(text); }

} // namespace

// Opens a dispatch for the lifetime of a handler.
class VelControlCore::Dispatch {
public:
    explicit Dispatch(VelControlCore* core) : m_core(core) { core->SetDispatching(true); }
    ~Dispatch()
    {
        try {
            m_core->SetDispatching(false);
        } catch (...) {
            Log(L"VelControlCore: exception while flushing updates.\n");
        }
    }

private:
    VelControlCore* m_core;
};

// The per-canvas regions one paint pass collects.
struct VelControlCore::PaintPass {
    VelCanvas* canvas;  // the window's own canvas
    RECT origin;        // the window control's absolute bounds
    VelRegion repaint;  // in the window control's coordinates
    std::map<VelCanvas*, VelRegion> painted;
    std::map<VelCanvas*, VelRegion> composite;
};

VelControlCore::VelControlCore()
    : VelObject(nullptr, std::string()), m_module(::GetModuleHandleW(nullptr)), m_captured(nullptr),
      m_focused(nullptr), m_renderer(nullptr), m_root(nullptr), m_callbackWindow(nullptr), m_timerCounter(5555),
      m_mutex(nullptr), m_mapping(nullptr), m_view(nullptr), m_runThreadId(0), m_ignoreMouse(0), m_lastInputTick(s_tickSource())
{
    m_root = new VelRootControl(this, "RootControl");
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
        ::UnregisterClassW(L"_VELAPPLICATION_CALLBACK_WC_", m_module);
        for (VelCanvas* canvas : m_canvasCache)
            delete canvas;
        m_canvasCache.clear();
        VelScopedLock requests(&m_requestLock);
        for (VelRequestRecord* record : m_liveRequests)
            FreeRequest(record);
        m_liveRequests.clear();
        CloseInstanceObjects();
        delete m_renderer;
        m_renderer = nullptr;
    }
}

const wchar_t* VelControlCore::GetClassName() const { return L"VelControlCore"; }

void VelControlCore::CreateCallbackWindow()
{
    m_callbackWindow = ::CreateWindowExW(0, L"_VELAPPLICATION_CALLBACK_WC_", L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                         m_module, m_root);
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
        if (c->GetStateFlag() && c->GetCanvas())
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
        if (!control->GetStateFlag())
            control->SetStateFlags(1, 0);
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
        HWND window = ::CreateWindowExW(0, kWindowClass, m_applicationName.c_str(), style, x, y, cx, cy,
                                        parentWindow, nullptr, m_module, control);
        if (!window) {
            // No window, so no canvas: nothing may treat it as a canvas owner.
            control->SetStateFlags(0, 0);
            Log(L"VelControlCore::CreateNativeWindow: CreateWindowExW failed.\n");
        }
    } else {
        if (control->GetStateFlag())
            AttachCanvas(control, false);
        VelCreateEventArgs args;
        control->OnCreate(&args);
    }
    UpdateControl(control, 1);
    if (!control->HasNativeWindow() && t_inDispatch && control->IsVisible())
        // Inside a handler the bookkeeping learns of the control only at the
        // flush and would drop an invalidation of it: dirty its place instead.
        InvalidateInParent(parent, VelRegion(control->GetBounds()), true);
    else if (!control->HasNativeWindow())
        InvalidateControl(control, VelRegion());
    else if (parent)
        // The enclosing window's list must take in the child it composites.
        UpdateControl(parent, 1);
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
    for (auto& pending : m_pendingUpdates) {
        std::vector<PendingUpdate>& entries = pending.second;
        for (size_t i = 0; i < entries.size();) {
            if (entries[i].control != control) {
                ++i;
            } else if (heir) {
                entries[i++].control = heir;
            } else {
                entries.erase(entries.begin() + i);
            }
        }
    }
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
        if (control->HasNativeWindow()) {
            m_exposedAreas.erase(id);
            m_subtreeAreas.erase(id);
            m_canvasAreas.erase(id);
            m_controlLists.erase(id);
            m_paintLists.erase(id);
        }
        // The enclosing window's lists name this control: they must be rebuilt.
        if (VelAbstractControl* outer = GetNativeAncestor(parent)) {
            const int outerId = outer->GetId();
            m_controlLists.erase(outerId);
            m_paintLists.erase(outerId);
            m_exposedAreas[outerId].erase(id);
            m_subtreeAreas[outerId].erase(id);
            m_canvasAreas[outerId].erase(id);
        }
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
        UpdateControl(parent, 1);
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
        RepaintChildWindowPlace(control, old, 0);
    } else {
        UpdateControl(control, 0);
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

void VelControlCore::RefreshControl(VelAbstractControl* control)
{
    const BYTE first = control->GetStateFlag();
    const BYTE second = control->GetSecondStateFlag();
    DetachCanvas(control, false);
    control->SetStateFlags(first, second);
    AttachCanvas(control, false);
}

void VelControlCore::OnParentChanged(VelAbstractControl*, VelAbstractControl*) {}

void VelControlCore::SetVisible(VelAbstractControl* control)
{
    if (control->HasNativeWindow()) {
        if (control->GetHandle())
            ::ShowWindow(control->GetHandle(), control->IsVisible() ? SW_SHOW : SW_HIDE);
        RepaintChildWindowPlace(control, control->GetBounds(), 1);
    } else if (!control->IsVisible()) {
        if (control->GetParent())
            InvalidateInParent(control->GetParent(), VelRegion(control->GetBounds()), true);
        UpdateControl(control, 1);
    } else {
        BringToFront(control, false);
    }
}

void VelControlCore::OnControlStateChanged(VelAbstractControl* control)
{
    if (control->HasNativeWindow() || !control->IsVisible())
        return;
    InvalidateControl(control, VelRegion());
    UpdateControl(control, 1);
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
    UpdateControl(last, 1);
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
    typedef BOOL (WINAPI* FullScreenCall)(HWND, DWORD);
    HMODULE shell = ::LoadLibraryW(L"aygshell.dll");
    FullScreenCall call = shell ? reinterpret_cast<FullScreenCall>(
                                      reinterpret_cast<void*>(::GetProcAddress(shell, MAKEINTRESOURCEA(65))))
                                : nullptr;
    if (call && call(control->GetHandle(), flags))
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

UINT VelControlCore::NextTimerId()
{
    VelScopedLock lock(&m_lock);
    return UINT(::InterlockedIncrement(&m_timerCounter));
}

int VelControlCore::SetTimer(int ownerId, UINT timerId, UINT intervalMs)
{
    HWND window = m_callbackWindow;
    if (VelAbstractControl* control = FindControl(ownerId))
        if (VelAbstractControl* native = GetNativeAncestor(control))
            window = native->GetHandle();
    if (!window || !::SetTimer(window, timerId, intervalMs, nullptr))
        return 0;
    VelScopedLock lock(&m_lock);
    m_timers[timerId] = std::make_pair(ownerId, window);
    return 1;
}

void VelControlCore::KillTimer(int, UINT timerId)
{
    HWND window = nullptr;
    {
        VelScopedLock lock(&m_lock);
        auto it = m_timers.find(timerId);
        if (it == m_timers.end())
            return;
        window = it->second.second;
        m_timers.erase(it);
    }
    ::KillTimer(window, timerId);
}

// ---------------------------------------------------------------- deferred updates

void VelControlCore::SetDispatching(bool enter)
{
    if (enter) {
        t_inDispatch = true;
        ++t_dispatchDepth;
        return;
    }
    if (--t_dispatchDepth > 0)
        return;
    t_dispatchDepth = 0;
    t_inDispatch = false;
    FlushPendingUpdates();
}

void VelControlCore::UpdateControl(VelAbstractControl* control, BYTE flag, bool now)
{
    if (!control)
        return;
    VelAbstractControl* window = GetNativeAncestor(control);
    VelScopedLock lock(&m_lock);
    if (t_inDispatch && !now) {
        std::vector<PendingUpdate>& entries = m_pendingUpdates[::GetCurrentThreadId()];
        for (PendingUpdate& e : entries) {
            if (e.control == control || IsAncestor(e.control, control)) {
                // e already covers the control
            } else if (IsAncestor(control, e.control)) {
                e.control = control;
            } else if (window && IsAncestor(window, e.control)) {
                e.control = window;
            } else {
                continue;
            }
            e.flag |= flag;
            return;
        }
        entries.push_back(PendingUpdate{control, flag});
        return;
    }
    if (!window || !m_controls.count(window->GetId()))
        return;
    const int id = window->GetId();
    ComputeDirtyRegions(window, VelRegion(window->GetClientRect()), m_exposedAreas[id], m_subtreeAreas[id],
                        m_canvasAreas[id], flag != 0);
    m_paintLists.erase(id);
}

void VelControlCore::FlushPendingUpdates()
{
    std::vector<PendingUpdate> entries;
    {
        VelScopedLock lock(&m_lock);
        auto it = m_pendingUpdates.find(::GetCurrentThreadId());
        if (it == m_pendingUpdates.end())
            return;
        entries.swap(it->second);
    }
    for (const PendingUpdate& e : entries)
        UpdateControl(e.control, e.flag, true);
}

std::vector<std::pair<VelAbstractControl*, BYTE>> VelControlCore::GetPendingUpdates()
{
    std::vector<std::pair<VelAbstractControl*, BYTE>> result;
    VelScopedLock lock(&m_lock);
    auto it = m_pendingUpdates.find(::GetCurrentThreadId());
    if (it != m_pendingUpdates.end())
        for (const PendingUpdate& e : it->second)
            result.push_back(std::make_pair(e.control, e.flag));
    return result;
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

VelRequestRecord* VelControlCore::NewRequest(int code, int targetId, INT_PTR argument)
{
    return new VelRequestRecord{argument, code, targetId};
}

void VelControlCore::Post(HWND window, VelRequestRecord* record)
{
    {
        VelScopedLock lock(&m_requestLock);
        m_liveRequests.insert(record);
    }
    if (window && ::PostMessageW(window, kRequestMessage, reinterpret_cast<WPARAM>(record), 0))
        return;
    // Not posted: nobody else will free it.
    if (TakeRequest(record))
        FreeRequest(record);
}

void VelControlCore::FreeRequest(VelRequestRecord* record)
{
    if (record->targetId == m_root->GetId() && record->code >= kRequestInvalidateWindowRegion &&
        record->code <= kRequestInvalidateControl)
        delete reinterpret_cast<VelRegionRequest*>(record->argument);
    delete record;
}

bool VelControlCore::TakeRequest(VelRequestRecord* record)
{
    VelScopedLock lock(&m_requestLock);
    return m_liveRequests.erase(record) != 0;
}

void VelControlCore::PostUserMessage(int code, VelObject* target, INT_PTR argument)
{
    HWND window = m_callbackWindow;
    if (target)
        if (VelAbstractControl* control = FindControl(target->GetId()))
            if (VelAbstractControl* native = GetNativeAncestor(control))
                window = native->GetHandle();
    Post(window, NewRequest(code, target ? target->GetId() : 0, argument));
}

void VelControlCore::PostRequest(int code, VelAbstractControl* control, INT_PTR argument)
{
    HWND window = m_callbackWindow;
    if (control && FindControl(control->GetId()))
        if (VelAbstractControl* native = GetNativeAncestor(control))
            window = native->GetHandle();
    Post(window, NewRequest(code, m_root->GetId(), argument));
}

void VelControlCore::PostRegionRequest(int code, VelAbstractControl* target, const VelRegion& region, bool merge)
{
    VelRegionRequest* argument = new VelRegionRequest{region, target->GetId(), BYTE(merge ? 1 : 0)};
    PostRequest(code, target, reinterpret_cast<INT_PTR>(argument));
}

void VelControlCore::ExecuteRequest(int code, INT_PTR argument)
{
    if (code < kRequestInvalidateWindowRegion || code > kRequestInvalidateControl)
        return;
    VelRegionRequest* request = reinterpret_cast<VelRegionRequest*>(argument);
    {
        VelScopedLock lock(&m_lock);
        if (VelAbstractControl* control = FindControl(request->controlId)) {
            if (code == kRequestInvalidateWindowRegion)
                InvalidateWindowRegion(control, request->region);
            else if (code == kRequestInvalidateInParent)
                InvalidateInParent(control, request->region, request->merge != 0);
            else
                InvalidateControl(control, request->region);
        }
    }
    delete request;
}

void VelControlCore::DrainRequests(HWND window)
{
    // Requests still queued for a window that goes away would leak with it.
    // A filtered peek still hands out the thread's quit: keep it for the loop.
    MSG msg;
    bool quit = false;
    WPARAM exitCode = 0;
    while (::PeekMessageW(&msg, window, kRequestMessage, kRequestMessage, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            exitCode = msg.wParam;
            continue;
        }
        VelRequestRecord* record = reinterpret_cast<VelRequestRecord*>(msg.wParam);
        if (TakeRequest(record))
            FreeRequest(record);
    }
    if (quit)
        ::PostQuitMessage(int(exitCode));
}

// ---------------------------------------------------------------- dispatch

const VelControlCore::Handler* VelControlCore::GetMessageTable()
{
    // Built on first use: the callback window is created by a static initialiser.
    static const std::vector<Handler> table = [] {
        std::vector<Handler> t(kTableSize, nullptr);
        t[WM_NULL] = &VelControlCore::HandleNull;
        t[WM_CREATE] = &VelControlCore::HandleCreate;
        t[WM_DESTROY] = &VelControlCore::HandleDestroy;
        t[WM_MOVE] = &VelControlCore::HandleMove;
        t[WM_SIZE] = &VelControlCore::HandleSize;
        t[WM_ACTIVATE] = &VelControlCore::HandleActivate;
        t[WM_SETFOCUS] = &VelControlCore::HandleSetFocus;
        t[WM_PAINT] = &VelControlCore::HandlePaint;
        t[WM_CLOSE] = &VelControlCore::HandleClose;
        t[WM_QUIT] = &VelControlCore::HandleQuit;
        t[WM_KEYDOWN] = &VelControlCore::HandleKeyDown;
        t[WM_KEYUP] = &VelControlCore::HandleKeyUp;
        t[WM_CHAR] = &VelControlCore::HandleChar;
        t[WM_TIMER] = &VelControlCore::HandleTimer;
        t[WM_MOUSEMOVE] = &VelControlCore::HandleMouseMove;
        t[WM_LBUTTONDOWN] = &VelControlCore::HandleMouseDown;
        t[WM_LBUTTONUP] = &VelControlCore::HandleMouseUp;
        t[WM_LBUTTONDBLCLK] = &VelControlCore::HandleMouseDoubleClick;
        t[WM_IME_SETCONTEXT] = &VelControlCore::HandleImeSetContext;
        t[kRequestMessage] = &VelControlCore::HandleRequest;
        return t;
    }();
    return table.data();
}

LRESULT CALLBACK VelControlCore::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    VelControlCore* core = Instance;
    try {
        if (message == WM_CREATE && core) {
            const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            VelAbstractControl* control = static_cast<VelAbstractControl*>(cs->lpCreateParams);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
            if (control)
                core->HandleCreate(control, window, wParam, lParam);
            return 0;
        }
        VelAbstractControl* control =
            reinterpret_cast<VelAbstractControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        // Before WM_CREATE and after WM_NCDESTROY the window has no control.
        if (!control || !core)
            return ::DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            core->DrainRequests(window);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        if (message < kTableSize) {
            if (Handler handler = GetMessageTable()[message]) {
                const LRESULT result = (core->*handler)(control, window, wParam, lParam);
                if (result != -1)
                    return result;
            }
        } else {
            Dispatch dispatch(core);
        }
        return control->DefWindowProc(message, wParam, lParam);
    } catch (const std::exception&) {
        Log(L"VelControlCore::WindowProc: a handler threw.\n");
    } catch (...) {
        Log(L"VelControlCore::WindowProc: a handler threw.\n");
    }
    return 0;
}

void VelAbstractControl::RegisterWndClass(const wchar_t* className, UINT classStyle)
{
    WNDCLASSW wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = &VelControlCore::WindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 4;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    if (!::RegisterClassW(&wc)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_CLASS_ALREADY_EXISTS)
            throw VelWinException(L"VelAbstractControl::RegisterWndClass", error);
    }
}

LRESULT VelControlCore::HandleNull(VelAbstractControl*, HWND, WPARAM, LPARAM) { return 0; }

LRESULT VelControlCore::HandleCreate(VelAbstractControl* control, HWND window, WPARAM, LPARAM lParam)
{
    Dispatch dispatch(this);
    const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    control->SetHandle(window);
    control->SetBoundsField(VelRect(cs->x, cs->y, cs->x + cs->cx, cs->y + cs->cy));
    if (control != m_root) {
        AttachCanvas(control, false);
        UpdateControl(control, 1);
    }
    VelCreateEventArgs args;
    control->OnCreate(&args);
    return -1;
}

LRESULT VelControlCore::HandleDestroy(VelAbstractControl*, HWND window, WPARAM, LPARAM)
{
    if (m_view && ReadInstanceWindow() == window) {
        if (m_callbackWindow)
            ::DestroyWindow(m_callbackWindow);
        m_callbackWindow = nullptr;
        ::PostQuitMessage(0);
    }
    return 0;
}

LRESULT VelControlCore::HandleMove(VelAbstractControl* control, HWND, WPARAM, LPARAM lParam)
{
    Dispatch dispatch(this);
    const int x = short(LOWORD(lParam)), y = short(HIWORD(lParam));
    // A child's WM_MOVE is already in its parent's client coordinates.
    const VelRect old = control->GetBounds();
    VelRect bounds = old;
    bounds.Offset(x - bounds.left, y - bounds.top);
    control->SetBoundsField(bounds);
    if (old != bounds)
        RepaintChildWindowPlace(control, old, 0);
    InvalidateControl(control, VelRegion());
    VelMoveEventArgs args(x, y);
    return control->OnMove(&args);
}

LRESULT VelControlCore::HandleSize(VelAbstractControl* control, HWND, WPARAM, LPARAM lParam)
{
    Dispatch dispatch(this);
    const int width = short(LOWORD(lParam)), height = short(HIWORD(lParam));
    const VelRect old = control->GetBounds();
    VelRect bounds = old;
    bounds.right = bounds.left + width;
    bounds.bottom = bounds.top + height;
    control->SetBoundsField(bounds);
    if (old != bounds)
        RepaintChildWindowPlace(control, old, 0);
    // A size the system chose still needs a canvas of that size.
    VelCanvas* canvas = control->GetCanvas();
    if (canvas && (canvas->GetWidth() != width || canvas->GetHeight() != height))
        RefreshControl(control);
    InvalidateControl(control, VelRegion());
    VelSizeEventArgs args(width, height);
    return control->OnSize(&args);
}

void VelControlCore::RepaintChildWindowPlace(VelAbstractControl* control, const VelRect& old, BYTE flag)
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
    UpdateControl(parent, flag);
}

LRESULT VelControlCore::HandleActivate(VelAbstractControl* control, HWND, WPARAM wParam, LPARAM)
{
    VelActivateEventArgs args(control, LOWORD(wParam), HIWORD(wParam) != 0);
    return control->OnActivate(&args);
}

LRESULT VelControlCore::HandleSetFocus(VelAbstractControl* control, HWND, WPARAM, LPARAM)
{
    VelEventArgs args;
    return control->OnSetFocus(&args);
}

LRESULT VelControlCore::HandlePaint(VelAbstractControl* control, HWND window, WPARAM, LPARAM)
{
    FlushPendingUpdates();
    Dispatch dispatch(this);
    if (!control->GetCanvas()) {
        ::ValidateRect(window, nullptr);
        return 0;
    }
    BeginWindowPaint(control->GetId());
    RECT update;
    ::GetUpdateRect(window, &update, FALSE);
    PaintWindow(control, VelRegion(update));
    EndWindowPaint();
    return 0;
}

LRESULT VelControlCore::HandleClose(VelAbstractControl* control, HWND, WPARAM, LPARAM)
{
    VelEventArgs args;
    return control->OnClose(&args);
}

LRESULT VelControlCore::HandleQuit(VelAbstractControl* control, HWND, WPARAM, LPARAM)
{
    VelEventArgs args;
    return control->OnQuit(&args);
}

LRESULT VelControlCore::RouteKey(WPARAM wParam, LPARAM lParam, bool down)
{
    m_lastInputTick = s_tickSource();
    if (down)
        m_ignoreMouse = 0;
    Dispatch dispatch(this);
    VelAbstractControl* focused = GetFocus();
    if (!focused)
        return -1;
    VelKeyEventArgs args(wParam, lParam);
    return down ? focused->OnKeyDown(&args) : focused->OnKeyUp(&args);
}

LRESULT VelControlCore::HandleKeyDown(VelAbstractControl*, HWND, WPARAM w, LPARAM l) { return RouteKey(w, l, true); }
LRESULT VelControlCore::HandleKeyUp(VelAbstractControl*, HWND, WPARAM w, LPARAM l) { return RouteKey(w, l, false); }

LRESULT VelControlCore::HandleChar(VelAbstractControl* control, HWND, WPARAM wParam, LPARAM lParam)
{
    VelCharEventArgs args(WCHAR(LOWORD(wParam)), int(lParam & 0x7FFF));
    return control->OnChar(&args);
}

LRESULT VelControlCore::HandleTimer(VelAbstractControl*, HWND, WPARAM wParam, LPARAM)
{
    Dispatch dispatch(this);
    const UINT timerId = UINT(wParam);
    VelObject* target = nullptr;
    HWND deadWindow = nullptr;
    {
        VelScopedLock lock(&m_lock);
        auto it = m_timers.find(timerId);
        if (it == m_timers.end())
            return -1;
        target = VelObject::FindById(it->second.first);
        if (!target) {
            // Ids are never reused: this timer can reach nobody again.
            deadWindow = it->second.second;
            m_timers.erase(it);
        }
    }
    if (!target) {
        ::KillTimer(deadWindow, timerId);
        return -1;
    }
    VelTimerEventArgs args(timerId);
    return target->OnTimer(&args);
}

LRESULT VelControlCore::RouteMouse(VelAbstractControl* window, WPARAM wParam, LPARAM lParam,
                                   MouseOperation operation, bool buttonDown)
{
    m_lastInputTick = s_tickSource();
    if (buttonDown)
        m_ignoreMouse = 0;
    else if (m_ignoreMouse)
        return 0;
    Dispatch dispatch(this);
    VelPoint point(short(LOWORD(lParam)), short(HIWORD(lParam)));
    VelAbstractControl* target = m_captured ? m_captured : window->ChildFromPoint(point, true);
    if (!target)
        target = window;
    else if (target != window)
        MapPointToControl(window, target, point);
    VelMouseEventArgs args(point, wParam);
    return (target->*operation)(&args);
}

LRESULT VelControlCore::HandleMouseMove(VelAbstractControl* c, HWND, WPARAM w, LPARAM l)
{
    return RouteMouse(c, w, l, &VelAbstractControl::OnMouseMove, false);
}

LRESULT VelControlCore::HandleMouseDown(VelAbstractControl* c, HWND, WPARAM w, LPARAM l)
{
    return RouteMouse(c, w, l, &VelAbstractControl::OnMouseDown, true);
}

LRESULT VelControlCore::HandleMouseUp(VelAbstractControl* c, HWND, WPARAM w, LPARAM l)
{
    return RouteMouse(c, w, l, &VelAbstractControl::OnMouseUp, false);
}

LRESULT VelControlCore::HandleMouseDoubleClick(VelAbstractControl* c, HWND, WPARAM w, LPARAM l)
{
    return RouteMouse(c, w, l, &VelAbstractControl::OnMouseDoubleClick, false);
}

LRESULT VelControlCore::HandleImeSetContext(VelAbstractControl* control, HWND, WPARAM wParam, LPARAM)
{
    Dispatch dispatch(this);
    if (wParam != 1)
        control->OnDeactivate(nullptr);
    return -1;
}

LRESULT VelControlCore::HandleRequest(VelAbstractControl*, HWND, WPARAM wParam, LPARAM)
{
    VelRequestRecord* record = reinterpret_cast<VelRequestRecord*>(wParam);
    // A WM_USER+1 that is not one of ours is left alone.
    if (!TakeRequest(record))
        return -1;
    Dispatch dispatch(this);
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
    {
        VelScopedLock lock(&m_lock);
        for (auto it = m_canvasCache.begin(); it != m_canvasCache.end(); ++it) {
            if ((*it)->GetWidth() == width && (*it)->GetHeight() == height) {
                VelCanvas* canvas = *it;
                m_canvasCache.erase(it);
                return canvas;
            }
        }
    }
    return m_renderer->CreateCanvas(width, height);
}

void VelControlCore::ReleaseCanvas(VelCanvas* canvas)
{
    VelScopedLock lock(&m_lock);
    if (m_canvasCache.size() >= 4) {
        delete m_canvasCache.front();
        m_canvasCache.pop_front();
    }
    m_canvasCache.push_back(canvas);
}

size_t VelControlCore::GetCachedCanvasCount()
{
    VelScopedLock lock(&m_lock);
    return m_canvasCache.size();
}

size_t VelControlCore::GetLiveRequestCount()
{
    VelScopedLock lock(&m_requestLock);
    return m_liveRequests.size();
}

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
            RegionMap& subtree = m_subtreeAreas[native->GetId()];
            auto it = subtree.find(control->GetId());
            if (it != subtree.end())
                shown = it->second;
            MapRegion(native, control, shown);
        }
        if (!shown.IsEmpty()) {
            // Carry over the part that showed, so only the rest is dirty.
            canvas->SelectClipRegion(shown);
            const VelRect box = AbsoluteIn(control, sourceHolder);
            sourceHolder->GetCanvas()->CopyToCanvas(canvas, POINT{0, 0}, SIZE{box.GetWidth(), box.GetHeight()},
                                                    POINT{box.left, box.top}, kSourceCopy);
            dirty.Subtract(shown);
        }
    }
    canvas->SetClip(dirty);
    control->SetStateFlags(1, control->GetSecondStateFlag());
    canvas->SetAuxiliaryValue(control->GetSecondStateFlag());
    control->SetCanvas(canvas);
    UpdateControl(control, 1);
}

void VelControlCore::DetachCanvas(VelAbstractControl* control, bool repaint)
{
    VelCanvas* canvas = control->GetCanvas();
    if (!canvas)
        return;
    const VelRegion dirty(canvas->GetClipRegion());
    control->SetCanvas(nullptr);
    control->SetStateFlags(0, 0);
    ReleaseCanvas(canvas);
    if (!repaint)
        return;
    VelRegion shown = ExposedIn(control, control);
    shown.Intersect(dirty);
    if (!shown.IsEmpty())
        InvalidateInParent(control, shown, true);
    UpdateControl(control, 1);
}

// ---------------------------------------------------------------- invalidation

VelRegion VelControlCore::ExposedIn(VelAbstractControl* control, const VelAbstractControl* into)
{
    VelRegion region;
    VelAbstractControl* native = GetNativeAncestor(control);
    if (!native)
        return region;
    VelScopedLock lock(&m_lock);
    auto window = m_exposedAreas.find(native->GetId());
    if (window == m_exposedAreas.end())
        return region;
    auto it = window->second.find(control->GetId());
    if (it == window->second.end())
        return region;
    region = it->second;
    MapRegion(native, into, region);
    return region;
}

void VelControlCore::InvalidateControl(VelAbstractControl* control, const VelRegion& region)
{
    if (control->GetOwnerThreadId() != ::GetCurrentThreadId()) {
        // Posted without the core lock: the owner may be painting, the core
        // lock held, and waiting for a lock of the caller's. The owner looks
        // the control up when the request arrives.
        VelAbstractControl* native = GetNativeAncestor(control);
        HWND window = native && native->GetHandle() ? native->GetHandle() : m_callbackWindow;
        VelRegionRequest* argument = new VelRegionRequest{region, control->GetId(), 0};
        const INT_PTR address = reinterpret_cast<INT_PTR>(argument);
        Post(window, NewRequest(kRequestInvalidateControl, m_root->GetId(), address));
        return;
    }
    if (!FindControl(control->GetId()))
        return;
    const VelRegion area = region.IsEmpty() ? VelRegion(control->GetClientRect()) : region;
    if (VelCanvas* canvas = control->GetStateFlag() ? control->GetCanvas() : nullptr) {
        if (VelAbstractControl* parent = control->GetParent()) {
            VelRegion inParent(area);
            MapRegion(control, parent, inParent);
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
    VelAbstractControl* holder = GetCanvasHolder(control);
    if (!holder)
        return;
    VelRegion inHolder(area);
    MapRegion(control, holder, inHolder);
    VelRegion drawable;
    if (VelAbstractControl* native = GetNativeAncestor(control)) {
        VelScopedLock lock(&m_lock);
        RegionMap& areas = m_canvasAreas[native->GetId()];
        auto it = areas.find(control->GetId());
        if (it != areas.end())
            drawable = it->second;
    }
    inHolder.Intersect(drawable);
    if (inHolder.IsEmpty())
        return;
    holder->GetCanvas()->AddClip(inHolder);
    VelRegion shown = ExposedIn(control, holder);
    VelRegion cut(area);
    MapRegion(control, holder, cut);
    shown.Intersect(cut);
    if (!shown.IsEmpty())
        InvalidateWindowRegion(holder, shown);
}

void VelControlCore::InvalidateWindowRegion(VelAbstractControl* control, const VelRegion& region)
{
    VelRegion area = region.IsEmpty() ? VelRegion(control->GetClientRect()) : region;
    VelAbstractControl* native = GetNativeAncestor(control);
    if (!native || !native->GetHandle())
        return;
    if (native != control) {
        MapRegion(control, native, area);
        if (area.IsEmpty())
            return;
    }
    if (IsPaintingWindow(native->GetId()))
        PostRegionRequest(kRequestInvalidateWindowRegion, native, area, false);
    else
        ::InvalidateRgn(native->GetHandle(), area.GetHandle(), TRUE);
}

void VelControlCore::InvalidateWindowRect(VelAbstractControl* control, const RECT& rect)
{
    InvalidateWindowRegion(control, VelRegion(rect));
}

void VelControlCore::InvalidateInParent(VelAbstractControl* control, const VelRegion& region, bool merge)
{
    VelAbstractControl* native = GetNativeAncestor(control);
    if (native && IsPaintingWindow(native->GetId())) {
        PostRegionRequest(kRequestInvalidateInParent, control, region, merge);
        return;
    }
    if (merge)
        InvalidateWindowRegion(control, region);
    VelAbstractControl* holder = GetCanvasHolder(control);
    if (!holder)
        return;
    VelRegion inHolder(region);
    MapRegion(control, holder, inHolder);
    holder->GetCanvas()->AddClip(inHolder);
}

void VelControlCore::BeginWindowPaint(int windowId)
{
    VelScopedLock lock(&m_lock);
    m_painting[::GetCurrentThreadId()] = windowId;
}

void VelControlCore::EndWindowPaint()
{
    VelScopedLock lock(&m_lock);
    m_painting[::GetCurrentThreadId()] = 0;
}

bool VelControlCore::IsPaintingWindow(int windowId)
{
    VelScopedLock lock(&m_lock);
    auto it = m_painting.find(::GetCurrentThreadId());
    return it != m_painting.end() && it->second == windowId && windowId != 0;
}

// ---------------------------------------------------------------- bookkeeping

void VelControlCore::BuildControlList(VelAbstractControl* window, std::vector<ControlEntry>& list)
{
    RegionMap& subtree = m_subtreeAreas[window->GetId()];
    VelControlPaintInfo info(window, true);
    for (VelControlPaintInfo::reverse_iterator it = info.rbegin(); it != info.rend();) {
        VelAbstractControl* control = *it;
        const VelControlPaintInfo::CanvasEntry canvas = it.GetCanvas();
        subtree[control->GetId()] = VelRegion();
        ++it;
        list.push_back(ControlEntry{control, it.GetComposites(), canvas.canvas, canvas.holder});
        it.ClearComposites();
    }
}

namespace {

// Cuts the region (in `into`'s coordinates) to the bounds of every ancestor.
void CutToAncestors(VelRegion& region, const VelAbstractControl* control, const VelAbstractControl* into)
{
    for (const VelAbstractControl* p = control->GetParent(); p && !region.IsEmpty(); p = p->GetParent())
        region.Intersect(VelRegion(AbsoluteIn(p, into)));
}

} // namespace

void VelControlCore::ComputeDirtyRegions(VelAbstractControl* window, VelRegion dirty, RegionMap& exposed,
                                         RegionMap& subtree, RegionMap& canvasAreas, bool rebuild)
{
    std::vector<ControlEntry>& list = m_controlLists[window->GetId()];
    if (rebuild)
        list.clear();
    if (list.empty())
        BuildControlList(window, list);

    std::map<VelCanvas*, VelRegion> open;
    for (auto e = list.rbegin(); e != list.rend(); ++e) {
        VelAbstractControl* q = e->control;
        const int id = q->GetId();
        const bool visible = q->IsVisible() || q == window;
        const bool clipped = (q->GetStyle() & kVelStyleClipToAncestors) != 0;
        if (visible && e->canvas) {
            auto slot = open.find(e->canvas);
            if (slot == open.end())
                slot = open.insert(std::make_pair(e->canvas, VelRegion(e->holder->GetClientRect()))).first;
            VelRegion area(slot->second);
            area.Intersect(VelRegion(AbsoluteIn(q, e->holder)));
            if (!area.IsEmpty() && clipped)
                CutToAncestors(area, q, e->holder);
            canvasAreas[id] = area;
            if (!q->IsTransparent())
                slot->second.Subtract(area);
        } else {
            canvasAreas[id] = VelRegion();
        }
        if (visible && !dirty.IsEmpty()) {
            VelRegion shown(dirty);
            shown.Intersect(VelRegion(q == window ? window->GetClientRect() : AbsoluteIn(q, window)));
            if (clipped)
                CutToAncestors(shown, q, window);
            if (q != window)
                for (const VelAbstractControl* p = q->GetParent(); p; p = p->GetParent()) {
                    subtree[p->GetId()].Union(shown);
                    if (p == window)
                        break;
                }
            exposed[id] = shown;
            subtree[id].Union(shown);
            if (!q->IsTransparent())
                dirty.Subtract(shown);
        } else {
            exposed[id] = VelRegion();
        }
    }
}

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
    PaintControlTree(window, canvas, origin, m_exposedAreas[window->GetId()], region);
}

void VelControlCore::PaintInto(PaintPass& pass, VelAbstractControl* control, VelCanvas* target,
                               const RECT& bounds, const VelRegion& area, const VelRegion& composite)
{
    target->SetViewport(bounds);
    pass.painted[target].Union(area);
    pass.composite[target].Union(composite);
    VelRegion clip(target->GetClipRegion());
    clip.Intersect(area);
    if (const RECT* paintClip = control->GetPaintClip()) {
        VelRect r(*paintClip);
        r.Offset(bounds.left, bounds.top);
        clip.Intersect(VelRegion(r));
    }
    if (clip.IsEmpty())
        return;
    target->SelectClipRegion(clip);
    target->SaveState();
    VelRect box = clip.GetBounds();
    box.Offset(-bounds.left, -bounds.top);
    VelPaintEventArgs args(target, box);
    try {
        control->OnPaint(&args);
    } catch (...) {
        // A painter that throws would leave the window dirty for ever, its
        // paint unfinished and the canvas's state saved: log it, paint the rest.
        Log(L"VelControlCore: a control's OnPaint threw.\n");
    }
    target->RestoreState();
}

void VelControlCore::Composite(PaintPass& pass, const std::vector<VelCompositeRecord>& composites)
{
    for (const VelCompositeRecord& c : composites) {
        auto part = pass.composite.find(c.childCanvas);
        if (part == pass.composite.end() || part->second.IsEmpty() || c.childCanvas == pass.canvas)
            continue;
        VelCanvas* target = c.parentCanvas ? c.parentCanvas : pass.canvas;
        const VelRect origin = c.parentCanvas ? c.parentHolder->GetAbsoluteBounds() : VelRect(pass.origin);
        VelRect place = c.childHolder->GetAbsoluteBounds();
        place.Offset(-origin.left, -origin.top);
        VelRegion region(part->second);
        region.Offset(place.left, place.top);
        target->SelectClipRegion(region);
        c.childCanvas->CopyToCanvas(target, POINT{place.left, place.top}, SIZE{place.GetWidth(), place.GetHeight()},
                                    POINT{0, 0}, kSourceCopy);
        pass.painted[target].Union(region);
        pass.composite[target].Union(region);
    }
}

void VelControlCore::ReplayPaintList(PaintPass& pass, const std::list<PaintRecord>& records)
{
    for (const PaintRecord& record : records) {
        VelRegion repaint = pass.repaint;
        repaint.Offset(pass.origin.left - record.origin.left, pass.origin.top - record.origin.top);
        VelRegion area = Intersection(record.area, repaint);
        if (!area.IsEmpty())
            PaintInto(pass, record.control, record.target, record.bounds, area,
                      Intersection(record.exposed, repaint));
        Composite(pass, record.composites);
    }
}

void VelControlCore::PaintControlTree(VelAbstractControl* window, VelCanvas* canvas, const RECT& origin,
                                      RegionMap& exposed, const VelRegion& region)
{
    PaintPass pass{canvas, origin, region, {}, {}};
    const int windowId = window->GetId();
    auto recorded = m_paintLists.find(windowId);
    if (recorded != m_paintLists.end()) {
        ReplayPaintList(pass, recorded->second);
    } else {
        std::vector<ControlEntry>& list = m_controlLists[windowId];
        if (list.empty())
            BuildControlList(window, list);
        std::list<PaintRecord> records;
        for (const ControlEntry& e : list) {
            VelCanvas* target = canvas;
            VelRect targetOrigin(origin);
            if (e.canvas && e.canvas != canvas) {
                target = e.canvas;
                targetOrigin = e.holder->GetAbsoluteBounds();
            }
            VelRect bounds = e.control->GetAbsoluteBounds();
            bounds.Offset(-targetOrigin.left, -targetOrigin.top);

            VelRegion shown;
            auto it = exposed.find(e.control->GetId());
            if (it != exposed.end())
                shown = it->second;
            if (target != canvas)
                shown.Offset(origin.left - targetOrigin.left, origin.top - targetOrigin.top);
            VelRegion repaint(region);
            if (target != canvas)
                repaint.Offset(origin.left - targetOrigin.left, origin.top - targetOrigin.top);

            const bool fullPicture = target->GetAuxiliaryValue() != 0;
            const VelRegion shownDirty = Intersection(shown, repaint);
            const VelRegion paintArea = fullPicture ? VelRegion(bounds) : shownDirty;
            const VelRegion recordArea = fullPicture ? VelRegion(bounds) : shown;
            if (!paintArea.IsEmpty())
                PaintInto(pass, e.control, target, bounds, paintArea, shownDirty);
            if (!recordArea.IsEmpty() || !e.composites.empty())
                records.push_back(PaintRecord{e.control, recordArea.IsEmpty() ? VelRegion() : recordArea, shown,
                                              bounds, target, targetOrigin, e.composites});
            Composite(pass, e.composites);
        }
        m_paintLists[windowId].swap(records);
    }
    for (auto& painted : pass.painted)
        painted.first->ExcludeClip(painted.second);
}

// ---------------------------------------------------------------- run loop

namespace {

const wchar_t kMutexPrefix[] = L"VEL_WMTOOLKITAPP_MUTEX_";
const wchar_t kSharedMemoryPrefix[] = L"VEL_WMTOOLKITAPP_SHMEM_";
const UINT kProbeTimeoutMs = 6000;
const int kAnsweredExitCode = -1;
const int kGuardFailedExitCode = 255;

// A kernel object's name may not exceed MAX_PATH: a long application name is
// cut rather than failing the guard.
std::wstring InstanceObjectName(const wchar_t* prefix, const std::wstring& application)
{
    std::wstring name(prefix);
    name.append(application, 0, MAX_PATH - 1 - name.size());
    return name;
}

// The handle another process left in the shared memory names a window of ours
// only while it is one of our top-level windows.
bool IsToolkitWindow(HWND window)
{
    wchar_t className[32] = L"";
    return ::IsWindow(window) && ::GetClassNameW(window, className, 32) && ::lstrcmpW(className, kWindowClass) == 0;
}

// Ends a pump on a quit message or a failing GetMessage.
bool PumpOne()
{
    MSG msg;
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) {
        Log(L"VelControlCore: GetMessage failed.\n");
        return false;
    }
    if (!got) {
        ::PostQuitMessage(int(msg.wParam));
        return false;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return true;
}

} // namespace

bool VelControlCore::MapInstanceView(const std::wstring& name)
{
    if (m_view)
        return true;
    if (!m_mapping)
        m_mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kInstanceViewBytes, name.c_str());
    if (m_mapping)
        m_view = ::MapViewOfFile(m_mapping, FILE_MAP_WRITE, 0, 0, kInstanceViewBytes);
    return m_view != nullptr;
}

// Window handles are 32-bit significant on 64-bit Windows too, so the view
// stays four bytes whatever the build.
HWND VelControlCore::ReadInstanceWindow() const
{
    return static_cast<HWND>(LongToHandle(*static_cast<const LONG*>(m_view)));
}

void VelControlCore::CloseInstanceObjects()
{
    if (m_view)
        ::UnmapViewOfFile(m_view);
    if (m_mapping)
        ::CloseHandle(m_mapping);
    if (m_mutex)
        ::CloseHandle(m_mutex);
    m_view = nullptr;
    m_mapping = nullptr;
    m_mutex = nullptr;
}

int VelControlCore::Run(VelApplication* application, bool show, DWORD fullScreenFlags)
{
    const std::wstring mutexName = InstanceObjectName(kMutexPrefix, m_applicationName);
    const std::wstring memoryName = InstanceObjectName(kSharedMemoryPrefix, m_applicationName);

    ::SetLastError(0);
    m_mutex = ::CreateMutexW(nullptr, TRUE, mutexName.c_str());
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        if (MapInstanceView(memoryName)) {
            HWND running = ReadInstanceWindow();
            if (IsToolkitWindow(running)) {
                // Not ShowWindow: it waits for the other thread, and a hung
                // instance would hold this one past the probe's time-out.
                ::ShowWindowAsync(running, SW_SHOWNORMAL);
                ::SetForegroundWindow(running);
                DWORD_PTR answer = 0;
                if (::SendMessageTimeoutW(running, WM_PAINT, 0, 0, SMTO_NORMAL, kProbeTimeoutMs, &answer)) {
                    CloseInstanceObjects();
                    return kAnsweredExitCode;
                }
                ::PostMessageW(running, WM_QUIT, 0, 0);
            }
        }
    } else if (error != 0 || !m_mutex) {
        Log(L"Fatal failure during mutex creation, aborting.");
        CloseInstanceObjects();
        return kGuardFailedExitCode;
    }

    m_runThreadId = ::GetCurrentThreadId();
    VelEventArgs started;
    application->OnStarted(&started);
    if (show)
        ShowFirstWindow(application, memoryName, fullScreenFlags);

    MSG msg = {};
    BOOL got;
    while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (got < 0)
        Log(L"VelControlCore::Run: GetMessage failed.\n");

    VelEventArgs exiting;
    application->OnExit(&exiting);
    m_runThreadId = 0;
    CloseInstanceObjects();
    return got < 0 ? 0 : int(msg.wParam);
}

void VelControlCore::ShowFirstWindow(VelApplication* application, const std::wstring& memoryName,
                                     DWORD fullScreenFlags)
{
    const DWORD thread = ::GetCurrentThreadId();
    VelAbstractControl* first = nullptr;
    {
        VelScopedLock lock(&m_lock);
        for (VelAbstractControl* window : m_root->GetChildren()) {
            HWND handle = window->HasNativeWindow() ? window->GetHandle() : nullptr;
            if (handle && ::GetWindowThreadProcessId(handle, nullptr) == thread) {
                first = window;
                break;
            }
        }
    }
    if (!first)
        return;
    HWND handle = first->GetHandle();
    // Without the shared memory a second instance cannot find us, but this one still runs.
    if (MapInstanceView(memoryName))
        *static_cast<LONG*>(m_view) = HandleToLong(handle);
    ::UpdateWindow(handle);
    ::ShowWindow(handle, SW_SHOWNORMAL);
    VelControlEventArgs args(first);
    application->OnMainWindowShown(&args);
    if (fullScreenFlags)
        SetFullScreen(first, fullScreenFlags);
}

int VelControlCore::RunModal(VelAbstractControl* popup)
{
    FlushPendingUpdates();
    SetCapture(popup);
    popup->SetModalDone(false);
    while (!popup->IsModalDone() && PumpOne()) {
    }
    ReleaseCapture();
    m_ignoreMouse = 1;
    return popup->GetModalResult();
}

void VelControlCore::PostQuit(int exitCode)
{
    // The quit belongs to the thread in Run, whichever thread closed the last window.
    const DWORD runThread = m_runThreadId;
    if (runThread && runThread != ::GetCurrentThreadId())
        ::PostThreadMessageW(runThread, WM_QUIT, WPARAM(exitCode), 0);
    else
        ::PostQuitMessage(exitCode);
}
