#include "VelAbstractControl.h"
#include "VelApplication.h"
#include "VelControlCore.h"
#include "VelWinException.h"

#include <algorithm>

VelAbstractControl::VelAbstractControl(VelObject* owner, const std::string& name)
    : VelVisualObject(owner, name), m_created(0), m_ownerThreadId(0), m_handle(nullptr),
      m_module(::GetModuleHandleW(nullptr)), m_style(0), m_paintClip{0, 0, 0, 0}, m_hasPaintClip(0), m_modalDone(0),
      m_modalResult(0), m_parent(nullptr), m_canvas(nullptr), m_ownsCanvas(0), m_fullPicture(0), m_hasNativeWindow(0)
{
}

VelAbstractControl::~VelAbstractControl() { Destroy(); }

VelAbstractControl* VelAbstractControl::GetWindowControl()
{
    for (VelAbstractControl* c = this; c; c = c->m_parent)
        if (c->HasNativeWindow())
            return c;
    return nullptr;
}

void VelAbstractControl::SetOwnerThreadId(DWORD threadId) { m_ownerThreadId = threadId; }

int VelAbstractControl::OnActivate(const VelActivateEventArgs* args)
{
    Activated.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnChar(const VelCharEventArgs* args)
{
    CharTyped.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnSecondaryChar(const VelCharEventArgs* args)
{
    SecondaryCharTyped.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnNotified(const VelEventArgs* args)
{
    Notified.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnCreate(const VelCreateEventArgs* args)
{
    Created.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnClose(const VelEventArgs* args)
{
    CloseRequested.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnDestroy(const VelEventArgs* args)
{
    Destroyed.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnKeyDown(const VelKeyEventArgs* args)
{
    KeyDown.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnKeyUp(const VelKeyEventArgs* args)
{
    KeyUp.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnQuit(const VelEventArgs*) { return -1; }
int VelAbstractControl::OnMouseDown(const VelMouseEventArgs* args)
{
    MouseDown.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnMouseDoubleClick(const VelMouseEventArgs* args)
{
    MouseDoubleClick.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnMouseMove(const VelMouseEventArgs* args)
{
    MouseMove.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnMouseUp(const VelMouseEventArgs* args)
{
    MouseUp.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnSetFocus(const VelEventArgs*) { return -1; }
int VelAbstractControl::OnSize(const VelSizeEventArgs* args)
{
    Resized.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnMove(const VelMoveEventArgs* args)
{
    Moved.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnPaint(const VelPaintEventArgs* args)
{
    Paint.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnWindowPosChanging(const VelWindowPosEventArgs* args)
{
    WindowPosChanging.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnWindowPosChanged(const VelWindowPosEventArgs* args)
{
    WindowPosChanged.Invoke(this, args);
    return 0;
}
int VelAbstractControl::OnDeactivate(const VelEventArgs* args)
{
    Deactivated.Invoke(this, args);
    return 0;
}

void VelAbstractControl::CreateNamed(const std::wstring&, int, DWORD style, const RECT& bounds,
                                     VelAbstractControl* parent)
{
    Create(parent, style, bounds);
}

void VelAbstractControl::CreateNamedAt(const std::wstring& windowName, int unused, DWORD style, int left, int top,
                                       int right, int bottom, VelAbstractControl* parent)
{
    CreateNamed(windowName, unused, style, VelRect(left, top, right, bottom), parent);
}

void VelAbstractControl::Create(VelAbstractControl* parent, DWORD style, const RECT& bounds)
{
    m_parent = parent;
    m_style = style;
    m_bounds = bounds;
    m_created = 1;
    HookEvents();
    VelControlCore::Instance->CreateNativeWindow(this);
}

void VelAbstractControl::Destroy()
{
    if (!m_created)
        return;
    while (!m_children.empty()) {
        VelAbstractControl* child = m_children.front();
        child->Destroy();
        // A child never created is still in the vector: take it out here.
        if (!m_children.empty() && m_children.front() == child)
            RemoveChildControl(child);
    }
    if (VelControlCore::Instance)
        VelControlCore::Instance->DestroyNativeWindow(this);
    m_created = 0;
    Destroyed.Invoke(this, nullptr);
}

int VelAbstractControl::RunModal() { return VelControlCore::Instance->RunModal(this); }

void VelAbstractControl::SetHasNativeWindow(bool value) { m_hasNativeWindow = value ? 1 : 0; }
bool VelAbstractControl::HasNativeWindow() const { return m_hasNativeWindow != 0; }

void VelAbstractControl::SetStateFlags(BYTE first, BYTE second)
{
    if (first == m_ownsCanvas)
        return;
    m_ownsCanvas = first;
    m_fullPicture = second;
}

BYTE VelAbstractControl::GetStateFlag() const { return m_ownsCanvas; }
BYTE VelAbstractControl::GetSecondStateFlag() const { return m_fullPicture; }

void VelAbstractControl::SetCanvasState(VelCanvasOwnership ownership, VelPicture picture)
{
    SetStateFlags(BYTE(ownership), BYTE(picture));
}

VelCanvasOwnership VelAbstractControl::GetCanvasOwnership() const
{
    return GetStateFlag() ? VelCanvasOwnership::Own : VelCanvasOwnership::Shared;
}

VelPicture VelAbstractControl::GetPicture() const
{
    return GetSecondStateFlag() ? VelPicture::Whole : VelPicture::Clipped;
}
DWORD VelAbstractControl::GetOwnerThreadId() const { return m_ownerThreadId; }

void VelAbstractControl::SetStyleBit(DWORD bit, bool on) { m_style = on ? (m_style | bit) : (m_style & ~bit); }

void VelAbstractControl::SetVisible(bool visible)
{
    if (visible == IsVisible())
        return;
    SetStyleBit(kVelStyleVisible, visible);
    if (m_created)
        VelControlCore::Instance->SetVisible(this);
}

bool VelAbstractControl::IsVisible() const { return (m_style & kVelStyleVisible) != 0; }

void VelAbstractControl::SetTransparent(bool transparent)
{
    if (transparent == IsTransparent())
        return;
    SetStyleBit(kVelStyleTransparent, transparent);
    if (m_created)
        VelControlCore::Instance->OnControlStateChanged(this);
}

bool VelAbstractControl::IsTransparent() const { return (m_style & kVelStyleTransparent) != 0; }

void VelAbstractControl::SetForeground() { VelControlCore::Instance->SetForegroundWindow(this); }

VelAbstractControl* VelAbstractControl::ChildFromPoint(const VelPoint& point, bool visibleOnly)
{
    if (!GetClientRect().ContainsPoint(point))
        return nullptr;
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        VelAbstractControl* child = *it;
        if (!child->GetBounds().ContainsPoint(point) || (visibleOnly && !child->IsVisible()))
            continue;
        VelPoint inner = point;
        child->MapPointFrom(this, inner);
        if (VelAbstractControl* hit = child->ChildFromPoint(inner, true))
            return hit;
        break;
    }
    return (!visibleOnly || IsVisible()) ? this : nullptr;
}

namespace {

POINT OffsetFrom(const VelAbstractControl* source, const VelAbstractControl* target)
{
    const VelRect to = target->GetAbsoluteBounds();
    POINT from{0, 0};
    if (source) {
        const VelRect s = source->GetAbsoluteBounds();
        from = POINT{s.left, s.top};
    }
    return POINT{from.x - to.left, from.y - to.top};
}

}  // namespace

void VelAbstractControl::MapPointsFrom(VelAbstractControl* source, std::vector<VelPoint>& points)
{
    const POINT d = OffsetFrom(source, this);
    for (VelPoint& p : points) {
        p.x += d.x;
        p.y += d.y;
    }
}

void VelAbstractControl::MapRectFrom(VelAbstractControl* source, RECT& rect)
{
    const POINT d = OffsetFrom(source, this);
    ::OffsetRect(&rect, d.x, d.y);
}

void VelAbstractControl::MapPointFrom(VelAbstractControl* source, VelPoint& point)
{
    const POINT d = OffsetFrom(source, this);
    point.x += d.x;
    point.y += d.y;
}

void VelAbstractControl::CaptureMouse() { VelControlCore::Instance->SetCapture(this); }
void VelAbstractControl::ReleaseMouse() { VelControlCore::Instance->ReleaseCapture(); }
void VelAbstractControl::Show() { SetVisible(true); }
void VelAbstractControl::Hide() { SetVisible(false); }
void VelAbstractControl::EnableNativeWindow() { ::EnableWindow(m_handle, TRUE); }
void VelAbstractControl::DisableNativeWindow() { ::EnableWindow(m_handle, FALSE); }

VelRect VelAbstractControl::GetBounds() const { return m_bounds; }

VelRect VelAbstractControl::GetClientRect() const
{
    VelRect r = m_bounds;
    r.MoveToOrigin();
    return r;
}

namespace {

VelRect Inset(VelRect r, const RECT& m)
{
    return VelRect(r.left + m.left, r.top + m.top, r.right - m.right, r.bottom - m.bottom);
}

}  // namespace

VelRect VelAbstractControl::GetInnerBounds() const { return Inset(GetBounds(), GetMargins()); }
VelRect VelAbstractControl::GetInnerClientRect() const { return Inset(GetClientRect(), GetMargins()); }
const std::wstring& VelAbstractControl::GetText() const { return m_text; }
void VelAbstractControl::SetText(std::wstring text) { m_text = std::move(text); }

void VelAbstractControl::SetHeight(int height)
{
    VelRect r = m_bounds;
    r.bottom = r.top + height;
    SetBounds(r);
}

void VelAbstractControl::SetWidth(int width)
{
    VelRect r = m_bounds;
    r.right = r.left + width;
    SetBounds(r);
}

void VelAbstractControl::SetLeft(int left)
{
    VelRect r = m_bounds;
    r.left = left;
    SetBounds(r);
}

void VelAbstractControl::SetTop(int top)
{
    VelRect r = m_bounds;
    r.top = top;
    SetBounds(r);
}

void VelAbstractControl::MoveTo(const VelPoint& topLeft)
{
    VelRect r = m_bounds;
    r.Offset(topLeft.x - r.left, topLeft.y - r.top);
    SetBounds(r);
}

void VelAbstractControl::SendToBack() { VelControlCore::Instance->SendToBack(this, false); }
void VelAbstractControl::BringToFront() { VelControlCore::Instance->BringToFront(this, false); }

LRESULT VelAbstractControl::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(m_handle, message, wParam, lParam);
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

void VelAbstractControl::AddChildControl(VelAbstractControl* child)
{
    m_childMap[child->GetId()] = child;
    m_children.push_back(child);
}

void VelAbstractControl::RemoveChildControl(VelAbstractControl* child)
{
    m_childMap.erase(child->GetId());
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it != m_children.end())
        m_children.erase(it);
}

VelAbstractControl* VelAbstractControl::FindChildById(int id) const
{
    auto it = m_childMap.find(id);
    return it == m_childMap.end() ? nullptr : it->second;
}

namespace {

std::vector<VelAbstractControl*>::iterator FindChildPosition(std::vector<VelAbstractControl*>& v, int id)
{
    return std::find_if(v.begin(), v.end(), [id](VelAbstractControl* c) { return c->GetId() == id; });
}

}  // namespace

void VelAbstractControl::RaiseChild(VelAbstractControl* child)
{
    auto it = FindChildPosition(m_children, child->GetId());
    if (it == m_children.end())
        return;
    m_children.erase(it);
    m_children.push_back(child);
}

void VelAbstractControl::LowerChild(VelAbstractControl* child)
{
    auto it = FindChildPosition(m_children, child->GetId());
    if (it == m_children.end())
        return;
    m_children.erase(it);
    m_children.insert(m_children.begin(), child);
}

void VelAbstractControl::SetParent(VelAbstractControl* parent)
{
    VelAbstractControl* old = m_parent;
    if (old)
        old->RemoveChildControl(this);
    if (parent)
        parent->AddChildControl(this);
    m_parent = parent;
    VelControlCore::Instance->OnParentChanged(this, old);
}

void VelAbstractControl::InvalidateRect(const RECT& rect)
{
    if (m_created)
        VelControlCore::Instance->InvalidateControl(this, VelRegion(rect));
}

void VelAbstractControl::InvalidateRegion(const VelRegion& region)
{
    if (m_created)
        VelControlCore::Instance->InvalidateControl(this, region);
}

void VelAbstractControl::Update(bool invalidateAll)
{
    if (m_created)
        VelControlCore::Instance->UpdateNow(this, invalidateAll);
}

void VelAbstractControl::SetBounds(const RECT& rect) { VelControlCore::Instance->SetBounds(this, rect); }

void VelAbstractControl::SetBounds(int left, int top, int right, int bottom)
{
    SetBounds(VelRect(left, top, right, bottom));
}

VelRect VelAbstractControl::GetAbsoluteBounds() const
{
    VelRect r = m_bounds;
    for (const VelAbstractControl* p = m_parent; p; p = p->m_parent)
        r.Offset(p->m_bounds.left, p->m_bounds.top);
    return r;
}

void VelAbstractControl::CreateWithClassName(int unused, const RECT& bounds, DWORD style, VelAbstractControl* parent)
{
    CreateNamed(GetClassName(), unused, style, bounds, parent);
}

void VelAbstractControl::SetCapture() { VelControlCore::Instance->SetCapture(this); }
void VelAbstractControl::ReleaseCapture() { VelControlCore::Instance->ReleaseCapture(); }
void VelAbstractControl::SetFocus() { VelControlCore::Instance->SetFocus(this); }
bool VelAbstractControl::HasFocus() const { return VelControlCore::Instance->GetFocus() == this; }

void VelAbstractControl::SetPaintClip(const RECT& rect)
{
    m_paintClip = rect;
    m_hasPaintClip = 1;
}

std::wstring VelAbstractControl::DumpToString() const
{
    const VelRect r = GetAbsoluteBounds();
    wchar_t line[400];
    if (m_parent)
        _snwprintf(line, 399, L"\t Control: Id %d Parent Id %d (%d %d %d %d) class name %ls\n", GetId(),
                   m_parent->GetId(), int(r.left), int(r.top), int(r.right), int(r.bottom), GetClassName());
    else
        _snwprintf(line, 399, L"\t Control: Id %d (%d %d %d %d) class name %ls\n", GetId(), int(r.left), int(r.top),
                   int(r.right), int(r.bottom), GetClassName());
    line[399] = L'\0';
    return line;
}

VelApplication* VelAbstractControl::GetApplication() { return VelApplication::Instance; }
