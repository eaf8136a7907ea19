#include "VelWindowMessages.h"
#include "VelAbstractControl.h"
#include "VelCanvas.h"
#include "VelControlCore.h"
#include "VelDebugLog.h"
#include "VelRequestQueue.h"
#include "VelRootControl.h"

namespace {

// The table covers every message up to the core's request.
const UINT kTableSize = VelRequestQueue::kMessage + 1;

}  // namespace

VelDispatchScope::VelDispatchScope(VelControlCore* core) : m_core(core) { core->SetDispatching(true); }

VelDispatchScope::~VelDispatchScope()
{
    try {
        m_core->SetDispatching(false);
    } catch (...) {
        VelDebugLog(L"VelControlCore: exception while flushing updates.\n");
    }
}

LRESULT VelWindowMessages::Handle(VelAbstractControl* control, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= kTableSize) {
        VelDispatchScope dispatch(&m_core);
        return -1;
    }
    if (Handler handler = GetMessageTable()[message])
        return (this->*handler)(control, window, wParam, lParam);
    return -1;
}

const VelWindowMessages::Handler* VelWindowMessages::GetMessageTable()
{
    // Built on first use: the callback window is created by a static initialiser.
    static const std::vector<Handler> table = [] {
        std::vector<Handler> t(kTableSize, nullptr);
        t[WM_NULL] = &VelWindowMessages::HandleNull;
        t[WM_CREATE] = &VelWindowMessages::HandleCreate;
        t[WM_DESTROY] = &VelWindowMessages::HandleDestroy;
        t[WM_MOVE] = &VelWindowMessages::HandleMove;
        t[WM_SIZE] = &VelWindowMessages::HandleSize;
        t[WM_ACTIVATE] = &VelWindowMessages::HandleActivate;
        t[WM_SETFOCUS] = &VelWindowMessages::HandleSetFocus;
        t[WM_PAINT] = &VelWindowMessages::HandlePaint;
        t[WM_CLOSE] = &VelWindowMessages::HandleClose;
        t[WM_QUIT] = &VelWindowMessages::HandleQuit;
        t[WM_KEYDOWN] = &VelWindowMessages::HandleKeyDown;
        t[WM_KEYUP] = &VelWindowMessages::HandleKeyUp;
        t[WM_CHAR] = &VelWindowMessages::HandleChar;
        t[WM_TIMER] = &VelWindowMessages::HandleTimer;
        t[WM_MOUSEMOVE] = &VelWindowMessages::HandleMouseMove;
        t[WM_LBUTTONDOWN] = &VelWindowMessages::HandleMouseDown;
        t[WM_LBUTTONUP] = &VelWindowMessages::HandleMouseUp;
        t[WM_LBUTTONDBLCLK] = &VelWindowMessages::HandleMouseDoubleClick;
        t[WM_IME_SETCONTEXT] = &VelWindowMessages::HandleImeSetContext;
        t[VelRequestQueue::kMessage] = &VelWindowMessages::HandleRequest;
        return t;
    }();
    return table.data();
}

LRESULT VelWindowMessages::HandleNull(VelAbstractControl*, HWND, WPARAM, LPARAM) { return 0; }

LRESULT VelWindowMessages::HandleCreate(VelAbstractControl* control, HWND window, WPARAM, LPARAM lParam)
{
    VelDispatchScope dispatch(&m_core);
    const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    control->SetHandle(window);
    control->SetBoundsField(VelRect(cs->x, cs->y, cs->x + cs->cx, cs->y + cs->cy));
    if (control != m_core.m_root) {
        m_core.AttachCanvas(control, false);
        m_core.UpdateControl(control, VelUpdate::Rebuild);
    }
    VelCreateEventArgs args;
    control->OnCreate(&args);
    return -1;
}

LRESULT VelWindowMessages::HandleDestroy(VelAbstractControl*, HWND window, WPARAM, LPARAM)
{
    if (m_core.m_runLoop.IsMainWindow(window)) {
        if (m_core.m_callbackWindow)
            ::DestroyWindow(m_core.m_callbackWindow);
        m_core.m_callbackWindow = nullptr;
        ::PostQuitMessage(0);
    }
    return 0;
}

LRESULT VelWindowMessages::HandleMove(VelAbstractControl* control, HWND, WPARAM, LPARAM lParam)
{
    VelDispatchScope dispatch(&m_core);
    const int x = short(LOWORD(lParam)), y = short(HIWORD(lParam));
    // A child's WM_MOVE is already in its parent's client coordinates.
    const VelRect old = control->GetBounds();
    VelRect bounds = old;
    bounds.Offset(x - bounds.left, y - bounds.top);
    control->SetBoundsField(bounds);
    if (old != bounds)
        m_core.RepaintChildWindowPlace(control, old, VelUpdate::Regions);
    m_core.InvalidateControl(control, VelRegion());
    VelMoveEventArgs args(x, y);
    return control->OnMove(&args);
}

LRESULT VelWindowMessages::HandleSize(VelAbstractControl* control, HWND, WPARAM, LPARAM lParam)
{
    VelDispatchScope dispatch(&m_core);
    const int width = short(LOWORD(lParam)), height = short(HIWORD(lParam));
    const VelRect old = control->GetBounds();
    VelRect bounds = old;
    bounds.right = bounds.left + width;
    bounds.bottom = bounds.top + height;
    control->SetBoundsField(bounds);
    if (old != bounds)
        m_core.RepaintChildWindowPlace(control, old, VelUpdate::Regions);
    // A size the system chose still needs a canvas of that size.
    VelCanvas* canvas = control->GetCanvas();
    if (canvas && (canvas->GetWidth() != width || canvas->GetHeight() != height))
        m_core.RefreshControl(control);
    m_core.InvalidateControl(control, VelRegion());
    VelSizeEventArgs args(width, height);
    return control->OnSize(&args);
}

LRESULT VelWindowMessages::HandleActivate(VelAbstractControl* control, HWND, WPARAM wParam, LPARAM)
{
    VelActivateEventArgs args(control, LOWORD(wParam), HIWORD(wParam) != 0);
    return control->OnActivate(&args);
}

LRESULT VelWindowMessages::HandleSetFocus(VelAbstractControl* control, HWND, WPARAM, LPARAM)
{
    VelEventArgs args;
    return control->OnSetFocus(&args);
}

LRESULT VelWindowMessages::HandlePaint(VelAbstractControl* control, HWND window, WPARAM, LPARAM)
{
    m_core.FlushPendingUpdates();
    VelDispatchScope dispatch(&m_core);
    if (!control->GetCanvas()) {
        ::ValidateRect(window, nullptr);
        return 0;
    }
    m_core.BeginWindowPaint(control->GetId());
    RECT update;
    ::GetUpdateRect(window, &update, FALSE);
    m_core.PaintWindow(control, VelRegion(update));
    m_core.EndWindowPaint();
    return 0;
}

LRESULT VelWindowMessages::HandleClose(VelAbstractControl* control, HWND, WPARAM, LPARAM)
{
    VelEventArgs args;
    return control->OnClose(&args);
}

LRESULT VelWindowMessages::HandleQuit(VelAbstractControl* control, HWND, WPARAM, LPARAM)
{
    VelEventArgs args;
    return control->OnQuit(&args);
}

LRESULT VelWindowMessages::RouteKey(WPARAM wParam, LPARAM lParam, bool down)
{
    m_core.m_lastInputTick = VelControlCore::GetTick();
    if (down)
        m_core.m_ignoreMouse = false;
    VelDispatchScope dispatch(&m_core);
    VelAbstractControl* focused = m_core.GetFocus();
    if (!focused)
        return -1;
    VelKeyEventArgs args(wParam, lParam);
    return down ? focused->OnKeyDown(&args) : focused->OnKeyUp(&args);
}

LRESULT VelWindowMessages::HandleKeyDown(VelAbstractControl*, HWND, WPARAM w, LPARAM l) { return RouteKey(w, l, true); }
LRESULT VelWindowMessages::HandleKeyUp(VelAbstractControl*, HWND, WPARAM w, LPARAM l) { return RouteKey(w, l, false); }

LRESULT VelWindowMessages::HandleChar(VelAbstractControl* control, HWND, WPARAM wParam, LPARAM lParam)
{
    VelCharEventArgs args(WCHAR(LOWORD(wParam)), int(lParam & 0x7FFF));
    return control->OnChar(&args);
}

LRESULT VelWindowMessages::HandleTimer(VelAbstractControl*, HWND, WPARAM wParam, LPARAM)
{
    VelDispatchScope dispatch(&m_core);
    const UINT timerId = UINT(wParam);
    int ownerId = 0;
    HWND window = nullptr;
    if (!m_core.m_timers.Find(timerId, &ownerId, &window))
        return -1;
    VelObject* target = VelObject::FindById(ownerId);
    if (!target) {
        // Ids are never reused: this timer can reach nobody again.
        if (HWND carrier = m_core.m_timers.Remove(timerId))
            ::KillTimer(carrier, timerId);
        return -1;
    }
    VelTimerEventArgs args(timerId);
    return target->OnTimer(&args);
}

LRESULT VelWindowMessages::RouteMouse(VelAbstractControl* window, WPARAM wParam, LPARAM lParam,
                                      MouseOperation operation, bool buttonDown)
{
    m_core.m_lastInputTick = VelControlCore::GetTick();
    if (buttonDown)
        m_core.m_ignoreMouse = false;
    else if (m_core.m_ignoreMouse)
        return 0;
    VelDispatchScope dispatch(&m_core);
    VelPoint point(short(LOWORD(lParam)), short(HIWORD(lParam)));
    VelAbstractControl* target = m_core.m_captured ? m_core.m_captured : window->ChildFromPoint(point, true);
    if (!target)
        target = window;
    else if (target != window)
        VelControlCore::MapPointToControl(window, target, point);
    VelMouseEventArgs args(point, wParam);
    return (target->*operation)(&args);
}

LRESULT VelWindowMessages::HandleMouseMove(VelAbstractControl* c, HWND, WPARAM w, LPARAM l)
{
    return RouteMouse(c, w, l, &VelAbstractControl::OnMouseMove, false);
}

LRESULT VelWindowMessages::HandleMouseDown(VelAbstractControl* c, HWND, WPARAM w, LPARAM l)
{
    return RouteMouse(c, w, l, &VelAbstractControl::OnMouseDown, true);
}

LRESULT VelWindowMessages::HandleMouseUp(VelAbstractControl* c, HWND, WPARAM w, LPARAM l)
{
    return RouteMouse(c, w, l, &VelAbstractControl::OnMouseUp, false);
}

LRESULT VelWindowMessages::HandleMouseDoubleClick(VelAbstractControl* c, HWND, WPARAM w, LPARAM l)
{
    return RouteMouse(c, w, l, &VelAbstractControl::OnMouseDoubleClick, false);
}

LRESULT VelWindowMessages::HandleImeSetContext(VelAbstractControl* control, HWND, WPARAM wParam, LPARAM)
{
    VelDispatchScope dispatch(&m_core);
    if (wParam != 1)
        control->OnDeactivate(nullptr);
    return -1;
}

LRESULT VelWindowMessages::HandleRequest(VelAbstractControl*, HWND, WPARAM wParam, LPARAM)
{
    return m_core.OnRequest(reinterpret_cast<VelRequestRecord*>(wParam));
}
