#pragma once
#include "VelCanvasCache.h"
#include "VelCriticalSection.h"
#include "VelInvalidation.h"
#include "VelObject.h"
#include "VelPendingUpdates.h"
#include "VelRegion.h"
#include "VelRequestQueue.h"
#include "VelRunLoop.h"
#include "VelShellLibrary.h"
#include "VelTimerTable.h"
#include "VelWindowMessages.h"
#include "VelWindowPaintState.h"

#include <map>
#include <string>
#include <vector>

class VelAbstractControl;
class VelApplication;
class VelRootControl;
class VelCanvas;
class VelRenderer;

// The bridge between the control tree and the platform's windows: the control
// registry, native windows, capture, focus and the one window procedure. Its
// collaborators do the rest: the message handlers (VelWindowMessages),
// invalidation, each window's paint state, deferred updates, timers, the
// request queue, the canvas cache and the run loop with its single-instance guard.
//
// Locks: m_lock guards the registry of controls, the root's children, the
// per-window paint states and which window each thread paints. A collaborator's
// own lock guards only its own data and is taken last: nothing is called with
// it held. So a thread that holds m_lock may post, queue or cache, and any
// thread may post a request while the owner paints under m_lock.
class VelControlCore : public VelObject {
public:
    enum : UINT { kRequestMessage = VelRequestQueue::kMessage };
    enum : int {
        kRequestInvalidateWindowRegion = VelRequestQueue::kInvalidateWindowRegion,
        kRequestInvalidateInParent = VelRequestQueue::kInvalidateInParent,
        kRequestInvalidateControl = VelRequestQueue::kInvalidateControl
    };

    static VelControlCore* Instance;
    // Takes the process's core down: its remaining windows, then Instance is
    // cleared, then the core itself goes. Runs at exit; once is enough.
    static void DestroyInstance();

    VelControlCore();
    ~VelControlCore() override;
    const wchar_t* GetClassName() const override;

    virtual VelCanvas* AcquireCanvas(int width, int height);
    virtual void AttachCanvas(VelAbstractControl* control, bool copy);
    virtual void DetachCanvas(VelAbstractControl* control, bool repaint);
    virtual void RefreshControl(VelAbstractControl* control);
    virtual void ReleaseCanvas(VelCanvas* canvas);
    virtual int SetTimer(int ownerId, UINT timerId, UINT intervalMs);
    virtual void KillTimer(int ownerId, UINT timerId);
    virtual void SetCapture(VelAbstractControl* control);
    virtual void ReleaseCapture();
    virtual void SetFocus(VelAbstractControl* control);
    virtual VelAbstractControl* GetFocus();
    virtual void SetForegroundWindow(VelAbstractControl* control);
    virtual void BringToFront(VelAbstractControl* control, bool recursive);
    virtual void SendToBack(VelAbstractControl* control, bool recursive);
    virtual void CreateNativeWindow(VelAbstractControl* control);
    virtual void DestroyNativeWindow(VelAbstractControl* control);
    virtual void SetBounds(VelAbstractControl* control, const RECT& rect);
    virtual void NotifyBoundsChanged(VelAbstractControl* control, const RECT& oldRect, const RECT& newRect);
    virtual void OnParentChanged(VelAbstractControl* control, VelAbstractControl* oldParent);
    virtual void SetVisible(VelAbstractControl* control);
    virtual void OnControlStateChanged(VelAbstractControl* control);
    virtual void PostUserMessage(int code, VelObject* target, INT_PTR argument);
    virtual void ExecuteRequest(int code, INT_PTR argument);
    // The WM_USER+1 handler: runs a request or hands a user message to its
    // target, inside a dispatch, and frees the record. A record the core did
    // not post is left alone. Always -1.
    LRESULT OnRequest(VelRequestRecord* record);
    virtual void BeginWindowPaint(int windowId);
    virtual void EndWindowPaint();
    virtual bool IsPaintingWindow(int windowId);
    virtual void PostRequest(int code, VelAbstractControl* control, INT_PTR argument);

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    VelAbstractControl* FindControl(int id);
    static bool IsAncestor(const VelAbstractControl* ancestor, const VelAbstractControl* control);
    static VelAbstractControl* GetNativeAncestor(VelAbstractControl* control);

    // Deferred updates.
    void SetDispatching(bool enter);
    void UpdateControl(VelAbstractControl* control, VelUpdate update, bool now = false);
    // The stored form of the update, as GetPendingUpdates reports it: 0 regions, 1 rebuild.
    void UpdateControl(VelAbstractControl* control, BYTE update, bool now = false);
    void FlushPendingUpdates();
    void UpdateNow(VelAbstractControl* control, bool invalidate);

    // Invalidation and painting.
    void InvalidateControl(VelAbstractControl* control, const VelRegion& region);
    void InvalidateWindowRegion(VelAbstractControl* control, const VelRegion& region);
    void InvalidateWindowRect(VelAbstractControl* control, const RECT& rect);
    void InvalidateInParent(VelAbstractControl* control, const VelRegion& region, bool merge);
    void PaintControlNow(VelAbstractControl* control, const VelRegion& region);
    void PaintWindow(VelAbstractControl* control, const VelRegion& region);
    // Paints the region (the window control's coordinates) of the window's
    // controls into the canvas, under the core lock.
    void PaintRegion(VelAbstractControl* window, VelCanvas* canvas, const RECT& origin, const VelRegion& region);
    // The same for a caller that holds the core lock: the window's paint list
    // replayed, or its control list walked and a new paint list recorded.
    void PaintControlTree(VelAbstractControl* window, VelCanvas* canvas, const RECT& origin, const VelRegion& region);
    // Recomputes the window's regions for the dirty part of it; `rebuild`
    // walks its control tree again.
    void ComputeDirtyRegions(VelAbstractControl* window, const VelRegion& dirty, bool rebuild);

    // Coordinate mapping by absolute top-left corners; null stands for (0, 0).
    static void MapRectToAncestor(const VelAbstractControl* from, const VelAbstractControl* to, RECT& rect);
    static void MapRegion(const VelAbstractControl* from, const VelAbstractControl* to, VelRegion& region);
    static void MapPointToControl(const VelAbstractControl* from, const VelAbstractControl* to, VelPoint& point);
    static void MapPoints(const VelAbstractControl* from, const VelAbstractControl* to, std::vector<VelPoint>& points);

    void SetFullScreen(VelAbstractControl* control, DWORD flags);

    // The run loop: the single-instance guard, the application's start, the
    // first window of this thread shown, messages until the quit, the exit.
    int Run(VelApplication* application, bool show, DWORD fullScreenFlags);
    // Pumps messages until the popup says it is done; returns its result.
    int RunModal(VelAbstractControl* popup);
    // Ends the run loop from any thread.
    void PostQuit(int exitCode);

    VelRootControl* GetRoot() const { return m_root; }
    VelRenderer* GetRenderer() const { return m_renderer; }
    HWND GetCallbackWindow() const { return m_callbackWindow; }
    HINSTANCE GetModuleHandle() const { return m_module; }
    void SetApplicationName(const std::wstring& name) { m_applicationName = name; }
    const std::wstring& GetApplicationName() const { return m_applicationName; }
    DWORD GetLastInputTick() const { return m_lastInputTick; }
    void SetIgnoreMouse(bool ignore) { m_ignoreMouse = ignore; }
    UINT NextTimerId() { return m_timers.NextId(); }
    // The calling thread's queued updates, for diagnostics.
    std::vector<std::pair<VelAbstractControl*, BYTE>> GetPendingUpdates() { return m_pendingUpdates.Snapshot(); }
    size_t GetCachedCanvasCount() { return m_canvasCache.GetCount(); }
    // What of the control shows in its window (the window's coordinates), as
    // last computed; for diagnostics.
    VelRegion GetExposedArea(VelAbstractControl* control);
    // Requests posted and not yet received or drained, for diagnostics.
    size_t GetLiveRequestCount() { return m_requests.GetLiveCount(); }

    // The platform's tick count; tests replace it.
    typedef DWORD(WINAPI* TickSource)();
    static void SetTickSource(TickSource source);
    static DWORD GetTick();

    VelDelegate<VelObject*, const VelEventArgs*> AllWindowsClosed;

protected:
    // The creator builds the callback window once Instance is set.
    void CreateCallbackWindow();

private:
    friend class VelInvalidation;
    friend class VelRunLoop;
    friend class VelWindowMessages;

    enum class Stacking { Top, Bottom };
    void Restack(VelAbstractControl* control, bool recursive, Stacking place);
    void ForgetControl(VelAbstractControl* control);
    void RepaintChildWindowPlace(VelAbstractControl* control, const VelRect& old, VelUpdate update);
    VelWindowPaintState* FindPaintState(int windowId);
    static VelAbstractControl* GetCanvasHolder(VelAbstractControl* control);

    HINSTANCE m_module;
    VelCriticalSection m_lock;
    VelAbstractControl* m_captured;
    VelAbstractControl* m_focused;
    VelRenderer* m_renderer;
    VelRootControl* m_root;
    std::map<int, VelAbstractControl*> m_controls;
    std::map<int, VelWindowPaintState> m_paintStates;  // by window control id
    HWND m_callbackWindow;
    VelWindowMessages m_messages;
    VelInvalidation m_invalidation;
    VelTimerTable m_timers;
    VelPendingUpdates m_pendingUpdates;
    VelRequestQueue m_requests;
    VelCanvasCache m_canvasCache;
    VelRunLoop m_runLoop;
    VelShellLibrary m_shell;
    std::wstring m_applicationName;
    bool m_ignoreMouse;
    DWORD m_lastInputTick;
};
