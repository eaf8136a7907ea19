#pragma once
#include "VelTransitionBase.h"

// A transition of one target control over a duration; the target hears of it
// through its TransitionStarted and TransitionFinished events.
class VelTransition : public VelTransitionBase {
public:
    explicit VelTransition(float durationMs);

    void SetTarget(VelAbstractControl* target) override;
    // Null once the target is destroyed: it is not owned, and a transition
    // must not touch a control that went away while it ran.
    VelAbstractControl* GetTarget() const override;
    void SetDuration(float durationMs) override;
    float GetDuration() const override;
    void Start(DWORD now) override;
    void Finish(DWORD now) override;

protected:
    // The control when the object of that id is still that control, else null.
    static VelAbstractControl* IfAlive(VelAbstractControl* control, int id);

private:
    VelAbstractControl* m_target;
    int m_targetId;
    float m_duration;
};
