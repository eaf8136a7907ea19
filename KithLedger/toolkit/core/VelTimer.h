#pragma once
#include "VelObject.h"

// A timer id drawn by the caller; a type of its own, so that an interval can
// never be taken for one.
enum class VelTimerId : UINT {};

// A window timer bound to an object id: ticks reach the target's OnTimer
// through the control core, and nobody once the target is gone.
class VelTimer : public VelObject {
public:
    enum : UINT { kScrollIntervalMs = 30 };

    VelTimer(UINT intervalMs, VelObject* target, VelObject* owner, const std::string& name);
    // A caller-drawn timer id, at the kinetic scroller's 30 ms.
    VelTimer(VelTimerId timerId, VelObject* target, VelObject* owner, const std::string& name);
    ~VelTimer() override;
    const wchar_t* GetClassName() const override;

    // Restarts the period when running.
    void Start();
    void Stop();
    bool IsActive() const { return m_active != 0; }
    UINT GetTimerId() const { return UINT(m_timerId); }
    UINT GetInterval() const { return m_interval; }
    int GetTargetId() const { return m_targetId; }

    static UINT NextTimerId();

private:
    int m_targetId;
    int m_timerId;
    UINT m_interval;
    BYTE m_active;
};
