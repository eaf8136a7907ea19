#pragma once
#include "VelPlatform.h"

#include <vector>

class VelAbstractControl;
class VelControlCore;
struct VelMouseEventArgs;

// Opens a dispatch for the lifetime of a handler.
class VelDispatchScope {
public:
    explicit VelDispatchScope(VelControlCore* core);
    ~VelDispatchScope();
    VelDispatchScope(const VelDispatchScope&) = delete;
    VelDispatchScope& operator=(const VelDispatchScope&) = delete;

private:
    VelControlCore* m_core;
};

// The messages the core's window procedure handles, one handler each, found
// through a table indexed by message. Every handler opens a dispatch where
// controls may change: their updates are deferred to its end.
class VelWindowMessages {
public:
    explicit VelWindowMessages(VelControlCore& core) : m_core(core) {}
    VelWindowMessages(const VelWindowMessages&) = delete;
    VelWindowMessages& operator=(const VelWindowMessages&) = delete;

    // The handler's result, or -1 when the message goes on to the default procedure.
    LRESULT Handle(VelAbstractControl* control, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleCreate(VelAbstractControl*, HWND, WPARAM, LPARAM);

private:
    typedef LRESULT (VelWindowMessages::*Handler)(VelAbstractControl*, HWND, WPARAM, LPARAM);
    typedef int (VelAbstractControl::*MouseOperation)(const VelMouseEventArgs*);

    static const Handler* GetMessageTable();

    LRESULT HandleNull(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleDestroy(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleMove(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleSize(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleActivate(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleSetFocus(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandlePaint(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleClose(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleQuit(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleKeyDown(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleKeyUp(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleChar(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleTimer(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleMouseMove(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleMouseDown(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleMouseUp(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleMouseDoubleClick(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleImeSetContext(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleRequest(VelAbstractControl*, HWND, WPARAM, LPARAM);

    LRESULT RouteMouse(VelAbstractControl* window, WPARAM wParam, LPARAM lParam, MouseOperation operation,
                       bool buttonDown);
    LRESULT RouteKey(WPARAM wParam, LPARAM lParam, bool down);

    VelControlCore& m_core;
};
