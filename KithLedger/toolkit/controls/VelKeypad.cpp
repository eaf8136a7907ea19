#include "VelKeypad.h"

#include "VelControlCore.h"
#include "VelKeypadButton.h"
#include "VelKeypadLayout.h"
#include "VelScheduler.h"
#include "VelTheme.h"

namespace {

const wchar_t kDockText[] = L"Dock";
const wchar_t kUndockText[] = L"Undock";
const RECT kNoMargins = {0, 0, 0, 0};

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }

}  // namespace

VelKeypad::VelKeypad(VelObject* parent, const std::string& name)
    : VelControl(parent, name), m_layoutKind(kLayoutUppercase), m_customLayout(nullptr),
      m_docked(0), m_keyMargins{0, 0, 0, 0}, m_transparentWhileAnimating(0), m_savedTransparent(0), m_keys{},
      m_lastKey(nullptr), m_tapIndex(0), m_lastTapTick(0), m_pressTick(0), m_relayoutEnabled(1),
      m_scheduler(new VelScheduler(this)), m_dockTransition(nullptr), m_dockTransitionId(0)
{
    for (VelKeypadButton*& key : m_keys)
        key = new VelKeypadButton(this);
    SetLayout(m_layoutKind);
}

// While the keypad's own handlers can still be reached by a Destroyed handler;
// the scheduler, a running animation and the keys go with the owned objects.
VelKeypad::~VelKeypad() { Destroy(); }

const wchar_t* VelKeypad::GetClassName() const { return L"VelKeypad"; }

void VelKeypad::HookEvents()
{
    VelControl::HookEvents();
    MarginsChanged += VelBind(this, &VelKeypad::OnMarginsChanged);
    TransitionStarted += VelBind(this, &VelKeypad::OnDockAnimationStarted);
    TransitionFinished += VelBind(this, &VelKeypad::OnTransitionFinished);
}

int VelKeypad::OnCreate(const VelCreateEventArgs* args)
{
    VelControl::OnCreate(args);
    for (VelKeypadButton* key : m_keys) {
        key->Create(this, kKeyStyle, VelRect());
        key->SetMargins(m_keyMargins);
        // Once, however often the keypad is created.
        key->ButtonDown.RemoveReceiver(this);
        key->Click.RemoveReceiver(this);
        key->ClickDone.RemoveReceiver(this);
        key->ButtonDown += VelBind(this, &VelKeypad::OnKeyButtonDown);
        key->Click += VelBind(this, &VelKeypad::OnKeyClick);
        key->ClickDone += VelBind(this, &VelKeypad::OnKeyClickDone);
    }
    Relayout(false);
    SetDocked(IsDocked(), DockChange::Always, DockMotion::Immediate);
    return 0;
}

int VelKeypad::OnSize(const VelSizeEventArgs*)
{
    Relayout(IsDocked());
    return 0;
}

int VelKeypad::OnPaint(const VelPaintEventArgs* args)
{
    if (!IsTransparent())
        CurrentTheme->DrawKeypadBackground(args->canvas, args->area);
    return 0;
}

void VelKeypad::OnMarginsChanged(VelVisualObject*, const VelEventArgs*) { Relayout(IsDocked()); }

SIZE VelKeypad::GetCellSize() const
{
    const RECT m = GetMargins();
    const int width = m_fullRect.GetWidth(), height = m_fullRect.GetHeight();
    SIZE cell;
    cell.cx = width > m.left + m.right ? (width - (m.left + m.right)) / 4 : 0;
    cell.cy = height > m.top + m.bottom ? (height - (m.top + m.bottom)) / 3 : 0;
    return cell;
}

VelRect VelKeypad::GetKeyRect(int position) const
{
    const RECT m = GetMargins();
    const SIZE cell = GetCellSize();
    const int left = m.left + cell.cx * (position % 4);
    const int top = m.top + cell.cy * (position / 4);
    return VelRect(left, top, left + cell.cx, top + cell.cy);
}

void VelKeypad::PlaceKeysUndocked()
{
    for (int p = 0; p < kKeyCount; ++p)
        m_keys[p]->SetBounds(GetKeyRect(p));
}

void VelKeypad::Relayout(bool docked)
{
    if (!m_relayoutEnabled || !IsCreated())
        return;
    if (!docked) {
        m_fullRect = GetBounds();
        for (VelKeypadButton* key : m_keys)
            key->SetVisible(true);
        PlaceKeysUndocked();
        return;
    }
    for (int p = 0; p < kDockKeyPosition; ++p)
        m_keys[p]->SetVisible(false);
    const SIZE cell = GetCellSize();
    m_keys[kDockKeyPosition]->SetBounds(VelRect(0, 0, cell.cx, cell.cy));
}

VelRect VelKeypad::GetDockTargetRect() const
{
    if (!m_dockedRect.IsEmpty())
        return m_dockedRect;
    VelRect rect = m_keys[kDockKeyPosition]->GetBounds();
    if (rect.IsEmpty()) {
        const SIZE cell = GetCellSize();
        rect = VelRect(rect.left, rect.top, rect.left + cell.cx, rect.top + cell.cy);
    }
    const VelRect bounds = GetBounds();
    rect.Offset(bounds.left, bounds.top);
    return rect;
}

void VelKeypad::SettleDocked()
{
    const VelRect rect = GetDockTargetRect();
    // Only the dock key belongs to a docked keypad, whatever the last frame
    // left partly in view.
    for (int p = 0; p < kDockKeyPosition; ++p)
        m_keys[p]->SetVisible(false);
    SetBounds(rect);
    VelKeypadButton* dock = m_keys[kDockKeyPosition];
    dock->ClearPaintClip();
    dock->SetMargins(kNoMargins);
    dock->SetVisible(true);
    dock->SetBounds(VelRect(0, 0, rect.GetWidth(), rect.GetHeight()));
    dock->InvalidateRect(dock->GetClientRect());
}

void VelKeypad::SetDockedRect(const RECT& rect)
{
    m_dockedRect = rect;
    // A docked keypad moves there at once; one still on its way there lands
    // there when its animation ends.
    if (!IsDocked() || !IsCreated() || m_dockTransition)
        return;
    m_relayoutEnabled = 0;
    SettleDocked();
    m_relayoutEnabled = 1;
}

void VelKeypad::SetTransparentWhileAnimating(bool transparent) { m_transparentWhileAnimating = transparent ? 1 : 0; }

void VelKeypad::OnDockAnimationStarted(VelObject*, const VelTransitionEventArgs*) {}

void VelKeypad::OnTransitionFinished(VelObject*, const VelTransitionEventArgs* args)
{
    // Another transition of the keypad, or a dock animation overtaken by a
    // later change, has no dock state to report.
    if (!m_dockTransition || args->transition != m_dockTransition)
        return;
    m_dockTransition = nullptr;
    RaiseDockChanged();
}

void VelKeypad::RaiseDockChanged()
{
    m_relayoutEnabled = 0;
    if (IsDocked() && IsCreated())
        SettleDocked();
    if (IsTransparent() != (m_savedTransparent != 0))
        SetTransparent(m_savedTransparent != 0);
    const int id = GetId();
    const VelKeypadDockChangeEventArgs args(IsDocked());
    DockChanged.Invoke(this, &args);
    if (VelObject::FindById(id) == this)
        m_relayoutEnabled = 1;
}

bool VelKeypad::CancelDockTransition()
{
    VelKeypadDockTransition* running = m_dockTransition;
    m_dockTransition = nullptr;
    if (!running || VelObject::FindById(m_dockTransitionId) != running)
        return false;
    // The scheduler still finishes and deletes it; without a target it
    // neither cuts the keys nor reports a finish.
    running->SetTarget(nullptr);
    return true;
}

void VelKeypad::SetDocked(bool docked, DockChange change, DockMotion motion)
{
    if (docked == IsDocked() && change == DockChange::IfChanged)
        return;
    m_docked = docked ? 1 : 0;
    if (!IsCreated())
        return;
    // A change while the last one still moves takes over from what is shown,
    // and keeps the transparency saved before that one began.
    const bool overtaking = CancelDockTransition();
    const VelRect from = overtaking ? m_shownRect : GetBounds();
    m_keys[kDockKeyPosition]->SetText(docked ? kUndockText : kDockText);
    m_relayoutEnabled = 0;
    const VelRect target = docked ? GetDockTargetRect() : m_fullRect;
    if (!docked) {
        SetBounds(m_fullRect);
        // Hidden keys are put back too, so the frames uncover them in place.
        PlaceKeysUndocked();
        m_keys[kDockKeyPosition]->SetMargins(m_keys[0]->GetMargins());
    }
    m_relayoutEnabled = 1;
    if (!overtaking)
        m_savedTransparent = IsTransparent() ? 1 : 0;
    if (motion == DockMotion::Immediate) {
        SetClipRect(target);
        RaiseDockChanged();
        return;
    }
    // Until the first frame the keys show what the start rectangle holds: an
    // undock grows out of the docked key rather than showing every key at once.
    SetClipRect(from);
    VelKeypadDockTransition* transition = new VelKeypadDockTransition(from, target);
    if (m_transparentWhileAnimating && !IsTransparent())
        SetTransparent(true);
    transition->SetTarget(this);
    m_dockTransition = transition;
    m_dockTransitionId = transition->GetId();
    m_scheduler->AddTransition(transition);
    m_scheduler->Start();
}

void VelKeypad::SetClipRect(const RECT& rect)
{
    m_shownRect = rect;
    VelRect inside(rect);
    const VelRect bounds = GetBounds();
    inside.Offset(-bounds.left, -bounds.top);
    for (VelKeypadButton* key : m_keys) {
        const VelRect keyBounds = key->GetBounds();
        RECT overlap;
        if (inside.Contains(keyBounds)) {
            key->ClearPaintClip();
            key->SetVisible(true);
        } else if (::IntersectRect(&overlap, &inside, &keyBounds)) {
            ::OffsetRect(&overlap, -keyBounds.left, -keyBounds.top);
            key->SetPaintClip(overlap);
            key->SetVisible(true);
        } else {
            key->SetVisible(false);
        }
        key->InvalidateRect(key->GetClientRect());
    }
}

void VelKeypad::SetLayout(int kind, const VelKeypadLayout* custom)
{
    m_layoutKind = kind;
    if (kind == kLayoutCustom) {
        m_customLayout = custom;
        if (custom)
            ApplyLayout(*custom);
    } else if (const VelKeypadLayout* builtIn = VelKeypadLayout::GetBuiltIn(kind)) {
        ApplyLayout(*builtIn);
    }
}

void VelKeypad::ApplyLayout(const VelKeypadLayout& layout)
{
    for (int p = 0; p < kKeyCount; ++p) {
        const VelKeypadLayout::Key& entry = layout.keys[p];
        VelKeypadButton* key = m_keys[p];
        key->SetButtonId(entry.keyId);
        key->SetText(OrEmpty(entry.label));
        key->SetSubLabel(OrEmpty(entry.subLabel));
        key->SetMultiTapChars(OrEmpty(entry.multiTapChars));
    }
    // The dock key tells what a tap on it will do, whatever the layout calls it.
    if (IsDocked() && IsCreated())
        m_keys[kDockKeyPosition]->SetText(kUndockText);
}

void VelKeypad::SetKeyMargins(const RECT& margins)
{
    m_keyMargins = margins;
    // A docked dock key fills the keypad edge to edge.
    const bool dockKeyFills = IsDocked() && IsCreated();
    for (int p = 0; p < kKeyCount; ++p)
        if (!(p == kDockKeyPosition && dockKeyFills))
            m_keys[p]->SetMargins(margins);
    if (IsCreated())
        InvalidateRect(GetClientRect());
}

RECT VelKeypad::GetKeyMargins() const { return m_keys[0]->GetMargins(); }

void VelKeypad::SetKeysTransparent(bool transparent)
{
    for (VelKeypadButton* key : m_keys)
        key->SetTransparent(transparent);
}

VelKeypadButton* VelKeypad::FindKey(VelObject* sender) const
{
    for (VelKeypadButton* key : m_keys)
        if (key == sender)
            return key;
    return nullptr;
}

void VelKeypad::OnKeyButtonDown(VelObject*, const VelButtonEventArgs*) { m_pressTick = VelControlCore::GetTick(); }

void VelKeypad::OnKeyClick(VelObject* sender, const VelButtonEventArgs*)
{
    if (VelKeypadButton* key = FindKey(sender))
        OnKeyReleased(key);
}

void VelKeypad::OnKeyClickDone(VelObject* sender, const VelButtonEventArgs*)
{
    if (VelKeypadButton* key = FindKey(sender))
        OnKeyPressed(key);
}

void VelKeypad::OnKeyReleased(VelKeypadButton* key)
{
    if (key->GetButtonId() != kBackspaceKeyId || VelControlCore::GetTick() - m_pressTick < kLongPressMs)
        return;
    const VelKeypadButtonEventArgs args(key);
    KeyLongPressed.Invoke(this, &args);
}

void VelKeypad::RaiseChar(VelAbstractControl::CharEvent& event, WCHAR character)
{
    const VelCharEventArgs args(character, 1);
    event.Invoke(this, &args);
}

void VelKeypad::OnKeyPressed(VelKeypadButton* key)
{
    const DWORD now = VelControlCore::GetTick();
    const int id = GetId();
    const VelKeypadButtonEventArgs args(key);
    KeyPressed.Invoke(this, &args);
    if (VelObject::FindById(id) != this)
        return;
    if (key->GetButtonId() == kDockKeyId) {
        SetDocked(!IsDocked(), DockChange::IfChanged, DockMotion::Animated);
        return;
    }
    const bool cycles =
        key == m_lastKey && key->GetButtonId() != kBackspaceKeyId && now - m_lastTapTick <= kMultiTapWindowMs;
    m_lastKey = key;
    m_lastTapTick = now;
    const std::wstring& chars = key->GetMultiTapChars();
    // A key of a custom layout may type nothing at all.
    if (chars.empty()) {
        m_tapIndex = 0;
        return;
    }
    m_tapIndex = cycles ? (m_tapIndex + 1) % chars.size() : 0;
    const WCHAR character = chars[m_tapIndex];
    RaiseChar(cycles ? CharTyped : SecondaryCharTyped, character);
}
