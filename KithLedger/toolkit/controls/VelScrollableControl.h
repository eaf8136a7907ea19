#pragma once
#include "VelDelegate.h"
#include "VelEventArgs.h"
#include "VelPoint.h"

class VelObject;
class VelTimer;

// Finger scrolling as a second base of a control: the content follows the
// finger, coasts after a quick release and springs back when pulled past an
// end. The host forwards its pointer and timer messages; the physics reads
// the time from VelControlCore::GetTick, so tests drive it on a fake clock
// without a window.
class VelScrollableControl {
public:
    typedef VelDelegate<VelScrollableControl*, const VelScrollEventArgs*> ScrollEvent;

    enum : DWORD { kStatusTimerFailed = 0x47E00001 };
    // Results of the pointer and timer operations.
    enum : int {
        kResultMoved = 0xC100,     // a pointer move scrolled
        kResultTickIdle = 0xC000,  // a fling tick that left the position where it was
        kResultTickMoved = 0xC001,
    };

    VelScrollableControl();
    virtual ~VelScrollableControl();

    virtual bool IsScrolling();
    // Ends a running fling with FlingStopped; nothing when none runs.
    virtual void StopScrolling();
    virtual void SetFlinging(bool flinging);
    // The record itself: the host's layout writes the range into it.
    virtual VelScrollState* GetScrollState();
    virtual float GetSpeed();
    virtual float GetSecondSpeed();
    // Always raises Scrolled, even when nothing changed.
    virtual void SetScrollPosition(int position, int second);
    // While the drag lock is set the finger does not scroll; setting either
    // lock ends a running fling.
    virtual void SetLocks(bool dragLock, bool secondLock);
    virtual int GetScrollPosition();
    virtual int GetSecondPosition();
    virtual void StartTimer();
    virtual void StopTimer();
    // Gates Scrolled for fling ticks only.
    virtual void SetRaiseScrolled(bool raise);

    // Makes the fling timer, bound to the owner: its ticks reach the owner's
    // OnTimer, which hands them to OnScrollTimer. Without it nothing flings.
    DWORD Init(VelObject* owner);

    int OnPointerDown(const VelMouseEventArgs* args);
    int OnPointerMove(const VelMouseEventArgs* args);
    int OnPointerUp(const VelMouseEventArgs* args);
    int OnScrollTimer(const VelTimerEventArgs* args);

    // The touch record, for the host's own press tracking.
    const VelPoint& GetPressPoint() const { return m_pressPoint; }
    DWORD GetPressTime() const { return m_pressTime; }
    const VelPoint& GetLastPoint() const { return m_lastPoint; }
    const VelPoint& GetLastMoveDelta() const { return m_lastMoveDelta; }
    DWORD GetLastMoveTime() const { return m_lastMoveTime; }
    // Notes a finger move without scrolling, for when the host keeps the
    // content still under a pressed cell.
    void RecordMove(const VelPoint& point, DWORD time);
    UINT GetTimerId() const { return m_timerId; }

    ScrollEvent Scrolled;
    ScrollEvent FlingStarted;
    ScrollEvent FlingStopped;

private:
    void Raise(ScrollEvent& event);
    // Velocity 0, no fling, timer off, FlingStopped: only when a fling runs.
    void HaltFling();
    void OnTimerDestroying(VelObject* sender, const VelObjectDestroyEventArgs* args);

    VelTimer* m_timer;
    VelScrollState m_state;
    UINT m_timerId;
    VelPoint m_lastPoint;
    VelPoint m_pressPoint;
    VelPoint m_lastMoveDelta;
    DWORD m_lastMoveTime;
    DWORD m_pressTime;
    DWORD m_lastTickTime;
    BYTE m_raiseScrolled;
};
