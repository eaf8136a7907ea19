#pragma once
#include "VelControl.h"
#include "VelKeypadDockTransition.h"

#include <string>

class VelKeypadButton;
class VelScheduler;
struct VelKeypadLayout;

// A twelve-key phone keypad for finger input. A tap reports the key and types
// the first character of its multi-tap string (SecondaryCharTyped); a tap of
// the same key within the multi-tap window types the next one instead, which
// replaces the last character typed (CharTyped). Docked, it shrinks with an
// animation to its dock key alone.
class VelKeypad : public VelControl, public VelKeypadDockTarget {
public:
    typedef VelDelegate<VelKeypad*, const VelKeypadButtonEventArgs*> KeyEvent;
    typedef VelDelegate<VelKeypad*, const VelKeypadDockChangeEventArgs*> DockEvent;

    enum : int { kLayoutUppercase = 0, kLayoutLowercase = 1, kLayoutSymbols = 2, kLayoutCustom = 255 };
    enum : int { kKeyCount = 12, kDockKeyPosition = 11 };
    enum : int { kBackspaceKeyId = 3, kDockKeyId = 11 };
    enum : DWORD { kMultiTapWindowMs = 1500, kLongPressMs = 1001 };
    // Keys let the keypad show through and are cut to it.
    enum : DWORD { kKeyStyle = kVelStyleTransparent | kVelStyleClipToAncestors };

    enum class DockChange { IfChanged, Always };
    enum class DockMotion { Immediate, Animated };

    explicit VelKeypad(VelObject* parent = nullptr, const std::string& name = std::string());
    ~VelKeypad() override;

    const wchar_t* GetClassName() const override;
    void HookEvents() override;
    int OnCreate(const VelCreateEventArgs* args) override;
    int OnSize(const VelSizeEventArgs* args) override;
    int OnPaint(const VelPaintEventArgs* args) override;
    // One frame of the dock animation: the keys show only what lies in the
    // rectangle (parent coordinates).
    void SetClipRect(const RECT& rect) override;

    virtual void OnMarginsChanged(VelVisualObject* sender, const VelEventArgs* args);
    // Places the keys for the given dock state while relayout is enabled;
    // undocked, the current bounds become the full rectangle.
    virtual void Relayout(bool docked);
    // Where the docked keypad sits, in its parent's coordinates.
    virtual void SetDockedRect(const RECT& rect);
    virtual void SetTransparentWhileAnimating(bool transparent);
    virtual void OnDockAnimationStarted(VelObject* sender, const VelTransitionEventArgs* args);
    // Settles the dock state reached and reports it through DockChanged.
    virtual void RaiseDockChanged();
    virtual void SetDocked(bool docked, DockChange change, DockMotion motion);

    void SetDockedAnimated(bool docked) { SetDocked(docked, DockChange::IfChanged, DockMotion::Animated); }
    bool IsDocked() const { return m_docked != 0; }
    // Kinds 0 to 2 apply a built-in layout, kLayoutCustom applies the given
    // one (not owned), any other kind is only stored.
    void SetLayout(int kind, const VelKeypadLayout* custom = nullptr);
    int GetLayoutKind() const { return m_layoutKind; }
    const VelKeypadLayout* GetCustomLayout() const { return m_customLayout; }
    void SetKeyMargins(const RECT& margins);
    RECT GetKeyMargins() const;
    void SetKeysTransparent(bool transparent);

    VelKeypadButton* GetKey(int position) const { return m_keys[position]; }
    const VelRect& GetDockedRect() const { return m_dockedRect; }
    const VelRect& GetFullRect() const { return m_fullRect; }
    VelScheduler* GetScheduler() const { return m_scheduler; }

    KeyEvent KeyLongPressed;
    KeyEvent KeyPressed;
    DockEvent DockChanged;

protected:
    // The CE function of the backspace key: held long enough, it is reported.
    void OnKeyReleased(VelKeypadButton* key);
    void OnKeyPressed(VelKeypadButton* key);

private:
    void OnKeyButtonDown(VelObject* sender, const VelButtonEventArgs* args);
    void OnKeyClick(VelObject* sender, const VelButtonEventArgs* args);
    void OnKeyClickDone(VelObject* sender, const VelButtonEventArgs* args);
    void OnTransitionFinished(VelObject* sender, const VelTransitionEventArgs* args);
    VelKeypadButton* FindKey(VelObject* sender) const;
    void ApplyLayout(const VelKeypadLayout& layout);
    SIZE GetCellSize() const;
    VelRect GetKeyRect(int position) const;
    void PlaceKeysUndocked();
    VelRect GetDockTargetRect() const;
    void SettleDocked();
    // Stops the dock animation in progress from touching the keypad; true
    // when there was one.
    bool CancelDockTransition();
    void RaiseChar(VelAbstractControl::CharEvent& event, WCHAR character);

    int m_layoutKind;
    const VelKeypadLayout* m_customLayout;
    BYTE m_docked;
    RECT m_keyMargins;
    VelRect m_dockedRect;
    VelRect m_fullRect;
    BYTE m_transparentWhileAnimating;
    BYTE m_savedTransparent;
    VelKeypadButton* m_keys[kKeyCount];
    VelKeypadButton* m_lastKey;
    size_t m_tapIndex;
    DWORD m_lastTapTick;
    DWORD m_pressTick;
    BYTE m_relayoutEnabled;
    VelScheduler* m_scheduler;
    VelKeypadDockTransition* m_dockTransition;
    int m_dockTransitionId;
    // The rectangle the keys were last cut to, where a new animation that
    // takes over from a running one starts.
    VelRect m_shownRect;
};
