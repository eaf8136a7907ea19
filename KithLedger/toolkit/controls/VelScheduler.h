#pragma once
#include "VelObject.h"

#include <vector>

class VelTimer;
class VelTransitionBase;

// Drives transitions from one 25 ms timer on the UI thread. It owns every
// transition added to it and deletes each one after finishing it.
class VelScheduler : public VelObject {
public:
    enum : UINT { kTickMs = 25 };

    explicit VelScheduler(VelObject* owner = nullptr, const std::string& name = std::string());
    // Deletes the transitions still listed, without finishing them: their
    // targets may be going away too.
    ~VelScheduler() override;
    const wchar_t* GetClassName() const override;
    int OnTimer(const VelTimerEventArgs* args) override;

    // Takes ownership; the transition waits for the next Start.
    void AddTransition(VelTransitionBase* transition);
    // Restarts the timer and starts every transition not started yet; one
    // that already runs keeps its time line.
    void Start();
    // Steps the started transitions, finishes and deletes the done ones and
    // repaints each window that shows a moving target, once.
    void OnTick(DWORD now);

    bool IsRunning() const;
    size_t GetTransitionCount() const { return m_transitions.size(); }

private:
    struct Entry {
        VelTransitionBase* transition;
        bool started;
    };
    // Tells a Start or OnTick in progress that a handler deleted the scheduler.
    struct Walk {
        explicit Walk(VelScheduler* scheduler);
        ~Walk();
        VelScheduler* scheduler;
        Walk* outer;
        bool destroyed;
    };

    std::vector<Entry>::iterator Find(const VelTransitionBase* transition);

    std::vector<Entry> m_transitions;
    VelTimer* m_timer;
    Walk* m_walk;
};
