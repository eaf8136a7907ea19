#pragma once
#include "VelRect.h"
#include "VelRegion.h"
#include "VelVisualObject.h"

#include <map>
#include <string>
#include <vector>

class VelCanvas;
class VelApplication;

// Style bits the toolkit reads.
enum : DWORD {
    kVelStyleClipToAncestors = 0x08,
    kVelStyleVisible = 0x10,
    kVelStyleTransparent = 0x20,
};

// The two stored state flags: whether the control paints into a canvas of its
// own, and whether every paint of that canvas draws the control whole.
enum class VelCanvasOwnership : BYTE { Shared = 0, Own = 1 };
enum class VelPicture : BYTE { Clipped = 0, Whole = 1 };

// A node of the control tree. Either it owns a native window or it is drawn
// into, and gets input through, its nearest ancestor that has one. Every
// handler returns 0 when it handled the event and -1 when the window
// procedure is to fall through to DefWindowProc.
class VelAbstractControl : public VelVisualObject {
public:
    typedef VelDelegate<VelObject*, const VelEventArgs*> PlainEvent;
    typedef VelDelegate<VelObject*, const VelActivateEventArgs*> ActivateEvent;
    typedef VelDelegate<VelObject*, const VelCreateEventArgs*> CreateEvent;
    typedef VelDelegate<VelObject*, const VelKeyEventArgs*> KeyEvent;
    typedef VelDelegate<VelObject*, const VelMouseEventArgs*> MouseEvent;
    typedef VelDelegate<VelObject*, const VelMoveEventArgs*> MoveEvent;
    typedef VelDelegate<VelObject*, const VelSizeEventArgs*> SizeEvent;
    typedef VelDelegate<VelObject*, const VelWindowPosEventArgs*> WindowPosEvent;
    typedef VelDelegate<VelObject*, const VelPaintEventArgs*> PaintEvent;
    typedef VelDelegate<VelObject*, const VelCharEventArgs*> CharEvent;
    typedef VelDelegate<VelObject*, const VelValueChangeEventArgs*> ValueChangeEvent;
    typedef VelDelegate<VelObject*, const VelTransitionEventArgs*> TransitionEvent;

    explicit VelAbstractControl(VelObject* owner = nullptr, const std::string& name = std::string());
    ~VelAbstractControl() override;

    virtual VelAbstractControl* GetWindowControl();
    virtual void SetOwnerThreadId(DWORD threadId);
    // Subscribes the control's own handlers; runs before the native window exists.
    virtual void HookEvents() = 0;

    virtual int OnActivate(const VelActivateEventArgs* args);
    virtual int OnChar(const VelCharEventArgs* args);
    virtual int OnSecondaryChar(const VelCharEventArgs* args);
    virtual int OnNotified(const VelEventArgs* args);
    virtual int OnCreate(const VelCreateEventArgs* args);
    virtual int OnClose(const VelEventArgs* args);
    virtual int OnDestroy(const VelEventArgs* args);
    virtual int OnKeyDown(const VelKeyEventArgs* args);
    virtual int OnKeyUp(const VelKeyEventArgs* args);
    virtual int OnQuit(const VelEventArgs* args);
    virtual int OnMouseDown(const VelMouseEventArgs* args);
    virtual int OnMouseDoubleClick(const VelMouseEventArgs* args);
    virtual int OnMouseMove(const VelMouseEventArgs* args);
    virtual int OnMouseUp(const VelMouseEventArgs* args);
    virtual int OnSetFocus(const VelEventArgs* args);
    virtual int OnSize(const VelSizeEventArgs* args);
    virtual int OnMove(const VelMoveEventArgs* args);
    virtual int OnPaint(const VelPaintEventArgs* args);
    virtual int OnWindowPosChanging(const VelWindowPosEventArgs* args);
    virtual int OnWindowPosChanged(const VelWindowPosEventArgs* args);
    virtual int OnDeactivate(const VelEventArgs* args);

    virtual void CreateNamed(const std::wstring& windowName, int unused, DWORD style, const RECT& bounds,
                             VelAbstractControl* parent);
    virtual void CreateNamedAt(const std::wstring& windowName, int unused, DWORD style, int left, int top, int right,
                               int bottom, VelAbstractControl* parent);
    virtual void Create(VelAbstractControl* parent, DWORD style, const RECT& bounds);
    virtual void Destroy();

    virtual void SetHasNativeWindow(bool value);
    virtual bool HasNativeWindow() const;
    // Stores both flags only when the first one changes.
    virtual void SetStateFlags(BYTE first, BYTE second);
    virtual BYTE GetStateFlag() const;
    virtual BYTE GetSecondStateFlag() const;
    void SetCanvasState(VelCanvasOwnership ownership, VelPicture picture);
    VelCanvasOwnership GetCanvasOwnership() const;
    VelPicture GetPicture() const;
    virtual DWORD GetOwnerThreadId() const;
    virtual void SetVisible(bool visible);
    virtual bool IsVisible() const;
    virtual void SetTransparent(bool transparent);
    virtual bool IsTransparent() const;
    virtual void SetForeground();
    // The deepest control under the point (this control's coordinates).
    virtual VelAbstractControl* ChildFromPoint(const VelPoint& point, bool visibleOnly);
    virtual void MapPointsFrom(VelAbstractControl* source, std::vector<VelPoint>& points);
    virtual void MapRectFrom(VelAbstractControl* source, RECT& rect);
    virtual void MapPointFrom(VelAbstractControl* source, VelPoint& point);
    virtual void CaptureMouse();
    virtual void ReleaseMouse();
    virtual void Show();
    virtual void Hide();
    virtual void EnableNativeWindow();
    virtual void DisableNativeWindow();
    virtual VelRect GetBounds() const;
    virtual VelRect GetClientRect() const;
    virtual VelRect GetInnerBounds() const;
    virtual VelRect GetInnerClientRect() const;
    virtual const std::wstring& GetText() const;
    virtual void SetText(std::wstring text);
    virtual void SetHeight(int height);
    virtual void SetWidth(int width);
    virtual void SetLeft(int left);
    virtual void SetTop(int top);
    virtual void MoveTo(const VelPoint& topLeft);
    virtual void SendToBack();
    virtual void BringToFront();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs the core's modal loop for this control; returns its modal result.
    virtual int RunModal();

    // Registers a window class served by the core's window procedure; an
    // existing class is accepted.
    static void RegisterWndClass(const wchar_t* className, UINT classStyle);
    // The application object of the process; null before it is built.
    static VelApplication* GetApplication();

    // Children in z-order, bottom first; not owned.
    void AddChildControl(VelAbstractControl* child);
    void RemoveChildControl(VelAbstractControl* child);
    VelAbstractControl* FindChildById(int id) const;
    const std::vector<VelAbstractControl*>& GetChildren() const { return m_children; }
    void RaiseChild(VelAbstractControl* child);
    void LowerChild(VelAbstractControl* child);

    void SetParent(VelAbstractControl* parent);
    VelAbstractControl* GetParent() const { return m_parent; }
    VelCanvas* GetCanvas() const { return m_canvas; }
    void SetCanvas(VelCanvas* canvas) { m_canvas = canvas; }
    HWND GetHandle() const { return m_handle; }
    void SetHandle(HWND handle) { m_handle = handle; }
    bool IsCreated() const { return m_created != 0; }
    DWORD GetStyle() const { return m_style; }

    void InvalidateRect(const RECT& rect);
    void InvalidateRegion(const VelRegion& region);
    void Update(bool invalidateAll);

    void SetBounds(const RECT& rect);
    void SetBounds(int left, int top, int right, int bottom);
    // Stores the bounds without telling anyone.
    void SetBoundsField(const RECT& rect) { m_bounds = rect; }
    VelRect GetAbsoluteBounds() const;
    int GetWidth() const { return GetBounds().GetWidth(); }
    int GetHeight() const { return GetBounds().GetHeight(); }
    int GetLeft() const { return m_bounds.left; }
    int GetTop() const { return m_bounds.top; }
    void CreateWithClassName(int unused, const RECT& bounds, DWORD style, VelAbstractControl* parent);

    void SetCapture();
    void ReleaseCapture();
    void SetFocus();
    bool HasFocus() const;

    void SetPaintClip(const RECT& rect);
    void ClearPaintClip() { m_hasPaintClip = 0; }
    // The clip rectangle while one is in force.
    const RECT* GetPaintClip() const { return m_hasPaintClip ? &m_paintClip : nullptr; }

    void SetModalResult(int result) { m_modalResult = result; }
    int GetModalResult() const { return m_modalResult; }
    void SetModalDone(bool done) { m_modalDone = done ? 1 : 0; }
    bool IsModalDone() const { return m_modalDone != 0; }

    std::wstring DumpToString() const;

    ActivateEvent Activated;
    CreateEvent Created;
    PlainEvent CloseRequested;
    PlainEvent Destroyed;
    PlainEvent Notified;
    KeyEvent KeyDown;
    KeyEvent KeyUp;
    MouseEvent MouseDown;
    MouseEvent MouseDoubleClick;
    MouseEvent MouseMove;
    MoveEvent Moved;
    SizeEvent Resized;
    WindowPosEvent WindowPosChanging;
    WindowPosEvent WindowPosChanged;
    MouseEvent MouseUp;
    PaintEvent Paint;
    CharEvent CharTyped;
    PlainEvent Deactivated;
    CharEvent SecondaryCharTyped;
    ValueChangeEvent ValueChanged;
    TransitionEvent TransitionStarted;
    TransitionEvent TransitionFinished;

private:
    void SetStyleBit(DWORD bit, bool on);

    BYTE m_created;
    VelRect m_bounds;
    DWORD m_ownerThreadId;
    HWND m_handle;
    HINSTANCE m_module;
    std::wstring m_text;
    DWORD m_style;
    RECT m_paintClip;
    BYTE m_hasPaintClip;
    BYTE m_modalDone;
    int m_modalResult;
    VelAbstractControl* m_parent;
    VelCanvas* m_canvas;
    BYTE m_ownsCanvas;
    BYTE m_fullPicture;
    BYTE m_hasNativeWindow;
    std::vector<VelAbstractControl*> m_children;
    std::map<int, VelAbstractControl*> m_childMap;
};
