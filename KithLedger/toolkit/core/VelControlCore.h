#pragma once
#include "VelControlPaintInfo.h"
#include "VelCriticalSection.h"
#include "VelObject.h"
#include "VelRegion.h"

#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

class VelAbstractControl;
class VelApplication;
class VelRootControl;
class VelCanvas;
class VelRenderer;

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

// The bridge between the control tree and the platform's windows: window
// classes, the one window procedure, capture, focus, timers, deferred updates,
// cross-thread requests and the buffered paint pipeline.
class VelControlCore : public VelObject {
public:
    enum : UINT { kRequestMessage = WM_USER + 1 };
    enum : int { kRequestInvalidateWindowRegion = 16, kRequestInvalidateInParent = 17, kRequestInvalidateControl = 18 };

    static VelControlCore* Instance;

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
    void UpdateControl(VelAbstractControl* control, BYTE flag, bool now = false);
    void FlushPendingUpdates();
    void UpdateNow(VelAbstractControl* control, bool invalidate);

    // Invalidation and painting.
    void InvalidateControl(VelAbstractControl* control, const VelRegion& region);
    void InvalidateWindowRegion(VelAbstractControl* control, const VelRegion& region);
    void InvalidateWindowRect(VelAbstractControl* control, const RECT& rect);
    void InvalidateInParent(VelAbstractControl* control, const VelRegion& region, bool merge);
    void PaintControlNow(VelAbstractControl* control, const VelRegion& region);
    void PaintWindow(VelAbstractControl* control, const VelRegion& region);

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
    void SetIgnoreMouse(bool ignore) { m_ignoreMouse = ignore ? 1 : 0; }
    UINT NextTimerId();
    // The calling thread's queued updates, for diagnostics.
    std::vector<std::pair<VelAbstractControl*, BYTE>> GetPendingUpdates();
    size_t GetCachedCanvasCount();
    // Requests posted and not yet received or drained, for diagnostics.
    size_t GetLiveRequestCount();

    // The platform's tick count; tests replace it.
    typedef DWORD (WINAPI* TickSource)();
    static void SetTickSource(TickSource source);
    static DWORD GetTick();

    VelDelegate<VelObject*, const VelEventArgs*> AllWindowsClosed;

protected:
    // The creator builds the callback window once Instance is set.
    void CreateCallbackWindow();

private:
    struct PendingUpdate {
        VelAbstractControl* control;
        BYTE flag;
    };
    struct ControlEntry {
        VelAbstractControl* control;
        std::vector<VelCompositeRecord> composites;
        VelCanvas* canvas;
        VelAbstractControl* holder;
    };
    struct PaintRecord {
        VelAbstractControl* control;
        VelRegion area;
        VelRegion exposed;
        RECT bounds;
        VelCanvas* target;
        RECT origin;
        std::vector<VelCompositeRecord> composites;
    };
    typedef std::map<int, VelRegion> RegionMap;  // control id -> region
    typedef LRESULT (VelControlCore::*Handler)(VelAbstractControl*, HWND, WPARAM, LPARAM);
    struct PaintPass;
    class Dispatch;

    static const Handler* GetMessageTable();

    LRESULT HandleNull(VelAbstractControl*, HWND, WPARAM, LPARAM);
    LRESULT HandleCreate(VelAbstractControl*, HWND, WPARAM, LPARAM);
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

    typedef int (VelAbstractControl::*MouseOperation)(const VelMouseEventArgs*);
    LRESULT RouteMouse(VelAbstractControl* window, WPARAM wParam, LPARAM lParam, MouseOperation operation,
                       bool buttonDown);
    LRESULT RouteKey(WPARAM wParam, LPARAM lParam, bool down);

    VelRequestRecord* NewRequest(int code, int targetId, INT_PTR argument);
    void Post(HWND window, VelRequestRecord* record);
    bool TakeRequest(VelRequestRecord* record);
    void FreeRequest(VelRequestRecord* record);
    void DrainRequests(HWND window);
    void PostRegionRequest(int code, VelAbstractControl* target, const VelRegion& region, bool merge);

    enum class Stacking { Top, Bottom };
    void Restack(VelAbstractControl* control, bool recursive, Stacking place);
    void ForgetControl(VelAbstractControl* control);
    void RepaintChildWindowPlace(VelAbstractControl* control, const VelRect& old, BYTE flag);
    void ComputeDirtyRegions(VelAbstractControl* window, VelRegion dirty, RegionMap& exposed, RegionMap& subtree,
                             RegionMap& canvasAreas, bool rebuild);
    void BuildControlList(VelAbstractControl* window, std::vector<ControlEntry>& list);
    void PaintRegion(VelAbstractControl* window, VelCanvas* canvas, const RECT& origin, const VelRegion& region);
    void PaintControlTree(VelAbstractControl* window, VelCanvas* canvas, const RECT& origin,
                          RegionMap& exposed, const VelRegion& region);
    void ReplayPaintList(PaintPass& pass, const std::list<PaintRecord>& records);
    void PaintInto(PaintPass& pass, VelAbstractControl* control, VelCanvas* target, const RECT& bounds,
                   const VelRegion& area, const VelRegion& composite);
    void Composite(PaintPass& pass, const std::vector<VelCompositeRecord>& composites);
    VelRegion ExposedIn(VelAbstractControl* control, const VelAbstractControl* into);
    static VelAbstractControl* GetCanvasHolder(VelAbstractControl* control);

    HINSTANCE m_module;
    VelCriticalSection m_lock;
    VelAbstractControl* m_captured;
    VelAbstractControl* m_focused;
    VelRenderer* m_renderer;
    VelRootControl* m_root;
    std::map<int, VelAbstractControl*> m_controls;
    std::map<int, RegionMap> m_exposedAreas;
    std::map<int, RegionMap> m_subtreeAreas;
    std::map<int, RegionMap> m_canvasAreas;
    std::map<DWORD, int> m_painting;
    HWND m_callbackWindow;
    std::map<UINT, std::pair<int, HWND>> m_timers;
    LONG m_timerCounter;
    std::map<DWORD, std::vector<PendingUpdate>> m_pendingUpdates;
    std::map<int, std::list<PaintRecord>> m_paintLists;
    std::map<int, std::vector<ControlEntry>> m_controlLists;
    // Records this core posted and has not yet received: anything else
    // arriving as WM_USER+1 is not ours to free.
    std::set<VelRequestRecord*> m_liveRequests;
    // Guards only the set above and is never held while another lock is
    // taken, so any thread may post while the owner paints under m_lock.
    VelCriticalSection m_requestLock;
    void ShowFirstWindow(VelApplication* application, const std::wstring& memoryName, DWORD fullScreenFlags);
    enum : DWORD { kInstanceViewBytes = 4 };
    HWND ReadInstanceWindow() const;
    bool MapInstanceView(const std::wstring& name);
    void CloseInstanceObjects();

    HANDLE m_mutex;
    HANDLE m_mapping;
    void* m_view;
    DWORD m_runThreadId;
    std::wstring m_applicationName;
    std::list<VelCanvas*> m_canvasCache;
    BYTE m_ignoreMouse;
    DWORD m_lastInputTick;
};
