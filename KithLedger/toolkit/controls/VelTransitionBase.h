#pragma once
#include "VelObject.h"

class VelAbstractControl;

// Turns elapsed time into a progress between 0 and 1 and applies it. A
// scheduler owns it once it is added, starts it, steps it on every tick and
// finishes and deletes it one tick after it reached 1.
class VelTransitionBase : public VelObject {
public:
    VelTransitionBase();

    virtual void SetTarget(VelAbstractControl* target) = 0;
    virtual VelAbstractControl* GetTarget() const = 0;
    virtual void SetDuration(float durationMs) = 0;
    virtual float GetDuration() const = 0;
    // Applies the progress at `now`; returns 0 once the transition is done:
    // the first step past the duration applies exactly 1 and marks it, the
    // step after that reports it done without applying.
    virtual int Step(DWORD now);
    virtual void OnAdded();
    virtual void Start(DWORD now);
    virtual void Apply(float progress);
    virtual void Finish(DWORD now);

    DWORD GetStartTick() const { return m_startTick; }
    bool IsFinished() const { return m_finished != 0; }

private:
    DWORD m_startTick;
    BYTE m_finished;
};
