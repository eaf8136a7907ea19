#include "VelScrollableControl.h"
#include "VelControlCore.h"
#include "VelTimer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

const float kDragVelocityFactor = 0.4f;
const float kVelocityLimitPxPerMs = 1.0f;
const float kFlingThresholdPxPerMs = 0.05f;
const DWORD kFlingWindowMs = 600;
const float kFrictionPerMs = 0.001f;
// Far beyond any screen, and inside int: truncating a float past int's range is undefined.
const float kStepLimitPx = 1.0e9f;

// The platform's tick moves in steps of about 15 ms, so a move in the same
// step as the press measures 0 ms: count it as 1 rather than divide by 0.
float RateDivisorMs(DWORD elapsedMs) { return float(elapsedMs ? elapsedMs : 1); }

}  // namespace

VelScrollableControl::VelScrollableControl()
    : m_timer(nullptr), m_timerId(0), m_lastMoveTime(0), m_pressTime(0), m_lastTickTime(0), m_raiseScrolled(1)
{
    std::memset(&m_state, 0, sizeof m_state);
}

VelScrollableControl::~VelScrollableControl()
{
    // The timer belongs to the owner and may outlive this part.
    if (m_timer) {
        m_timer->Stop();
        m_timer->Destroying.RemoveReceiver(this);
    }
}

bool VelScrollableControl::IsScrolling() { return m_state.flinging != 0; }

void VelScrollableControl::StopScrolling() { HaltFling(); }

void VelScrollableControl::SetFlinging(bool flinging) { m_state.flinging = flinging ? 1 : 0; }

VelScrollState* VelScrollableControl::GetScrollState() { return &m_state; }

float VelScrollableControl::GetSpeed() { return m_state.velocity; }

float VelScrollableControl::GetSecondSpeed() { return m_state.secondVelocity; }

void VelScrollableControl::SetScrollPosition(int position, int second)
{
    m_state.position = position;
    m_state.secondPosition = second;
    m_lastMoveDelta = VelPoint(0, 0);
    Raise(Scrolled);
}

void VelScrollableControl::SetLocks(bool dragLock, bool secondLock)
{
    m_state.dragLock = dragLock ? 1 : 0;
    m_state.secondLock = secondLock ? 1 : 0;
    if (!dragLock && !secondLock)
        return;
    // A fling left marked as running without its timer would never end and
    // would block every later fling.
    if (m_state.flinging)
        HaltFling();
    else
        StopTimer();
}

int VelScrollableControl::GetScrollPosition() { return m_state.position; }

int VelScrollableControl::GetSecondPosition() { return m_state.secondPosition; }

void VelScrollableControl::StartTimer()
{
    if (m_timer)
        m_timer->Start();
}

void VelScrollableControl::StopTimer()
{
    if (m_timer)
        m_timer->Stop();
}

void VelScrollableControl::SetRaiseScrolled(bool raise) { m_raiseScrolled = raise ? 1 : 0; }

DWORD VelScrollableControl::Init(VelObject* owner)
{
    if (m_timer)
        return 0;
    if (!owner)
        return kStatusTimerFailed;
    try {
        m_timerId = VelTimer::NextTimerId();
        m_timer = new VelTimer(VelTimerId(m_timerId), owner, owner, "scrollable-class for " + owner->GetName());
        m_timer->Destroying += VelBind(this, &VelScrollableControl::OnTimerDestroying);
    } catch (const std::bad_alloc&) {
        return kStatusTimerFailed;
    }
    return 0;
}

void VelScrollableControl::RecordMove(const VelPoint& point, DWORD time)
{
    m_lastMoveDelta = VelPoint(0, m_lastPoint.y - point.y);
    m_lastMoveTime = time;
    m_lastPoint = point;
}

int VelScrollableControl::OnPointerDown(const VelMouseEventArgs* args)
{
    m_lastPoint = m_pressPoint = args->point;
    m_pressTime = VelControlCore::GetTick();
    m_lastMoveDelta = VelPoint(0, 0);
    HaltFling();
    return 0;
}

int VelScrollableControl::OnPointerMove(const VelMouseEventArgs* args)
{
    if (m_state.dragLock) {
        m_state.velocity = 0;
        return 0;
    }
    const DWORD now = VelControlCore::GetTick();
    const int dy = m_lastPoint.y - args->point.y;
    RecordMove(args->point, now);
    if (dy == 0)
        return 0;
    // Not clamped: the finger may pull the content past either end.
    m_state.position += dy;
    // The average speed since the press, so one jittery move does not decide a fling.
    float velocity = float(args->point.y - m_pressPoint.y) * kDragVelocityFactor / RateDivisorMs(now - m_pressTime);
    if (std::fabs(velocity) > kVelocityLimitPxPerMs)
        velocity = velocity < 0 ? -kVelocityLimitPxPerMs : kVelocityLimitPxPerMs;
    m_state.velocity = velocity;
    m_lastTickTime = now;
    Raise(Scrolled);
    m_lastMoveDelta.y = 0;
    return kResultMoved;
}

int VelScrollableControl::OnPointerUp(const VelMouseEventArgs*)
{
    // Past an end the content always springs back, however slow the release.
    const bool outOfRange = m_state.position > m_state.maximum || m_state.position < m_state.minimum;
    if (!outOfRange) {
        const DWORD heldMs = VelControlCore::GetTick() - m_pressTime;
        if (heldMs >= kFlingWindowMs || std::fabs(double(m_state.velocity)) <= double(kFlingThresholdPxPerMs) ||
            m_state.flinging)
            return 0;
    }
    if (!m_timer)
        return 0;
    m_state.flinging = 1;
    StartTimer();
    Raise(FlingStarted);
    return 0;
}

int VelScrollableControl::OnScrollTimer(const VelTimerEventArgs* args)
{
    if (!m_timer || args->timerId != m_timerId)
        return 0;
    // A tick already queued when the fling ended must not move the content
    // under a finger that has since touched down.
    if (!m_state.flinging)
        return kResultTickIdle;
    const DWORD now = VelControlCore::GetTick();
    const DWORD elapsedMs = now - m_lastTickTime;
    // Two ticks within one step of the platform's clock: no time has passed.
    if (elapsedMs == 0)
        return kResultTickIdle;
    const float dt = float(elapsedMs);

    const int p = m_state.position;
    int step;
    if (p < m_state.minimum || p > m_state.maximum) {
        // Half the overshoot per tick whatever the tick's length, in integers
        // so that the motion ends exactly on the end.
        step = p < m_state.minimum ? (p >> 1) : ((p - m_state.maximum) >> 1);
        m_state.velocity = float(step) / dt;
    } else {
        float velocity = m_state.velocity;
        const float friction = velocity * dt * kFrictionPerMs;
        velocity = std::fabs(friction) > std::fabs(velocity) ? 0.0f : velocity - friction;
        m_state.velocity = velocity;
        step = int(std::max(-kStepLimitPx, std::min(velocity * dt, kStepLimitPx)));
    }

    const int next = p - step;
    bool stop = false;
    if (p <= 0 && next > 0) {
        m_state.position = 0;
        stop = true;
    } else if (p > m_state.maximum && m_state.velocity == 0) {
        m_state.position = m_state.maximum;
        stop = true;
    } else {
        m_state.position = next;
    }
    if (stop || step == 0) {
        m_state.flinging = 0;
        m_state.velocity = 0;
        StopTimer();
    }
    m_lastTickTime = now;
    if (m_state.position == p)
        return kResultTickIdle;
    if (m_raiseScrolled)
        Raise(Scrolled);
    return kResultTickMoved;
}

void VelScrollableControl::Raise(ScrollEvent& event)
{
    const VelScrollEventArgs args(m_state);
    event.Invoke(this, &args);
}

void VelScrollableControl::HaltFling()
{
    if (!m_state.flinging)
        return;
    m_state.velocity = 0;
    m_state.flinging = 0;
    StopTimer();
    Raise(FlingStopped);
}

void VelScrollableControl::OnTimerDestroying(VelObject*, const VelObjectDestroyEventArgs*) { m_timer = nullptr; }
