#include "VelScheduler.h"
#include "VelAbstractControl.h"
#include "VelControlCore.h"
#include "VelTimer.h"
#include "VelTransitionBase.h"

#include <algorithm>
#include <set>

VelScheduler::Walk::Walk(VelScheduler* scheduler) : scheduler(scheduler), outer(scheduler->m_walk), destroyed(false)
{
    scheduler->m_walk = this;
}

VelScheduler::Walk::~Walk()
{
    if (!destroyed)
        scheduler->m_walk = outer;
}

VelScheduler::VelScheduler(VelObject* owner, const std::string& name)
    : VelObject(owner, name), m_timer(new VelTimer(kTickMs, this, this, "VelSchedulerTimer")), m_walk(nullptr)
{
}

VelScheduler::~VelScheduler()
{
    for (Walk* walk = m_walk; walk; walk = walk->outer)
        walk->destroyed = true;
    m_timer->Stop();
    std::vector<Entry> left;
    left.swap(m_transitions);
    for (const Entry& e : left)
        delete e.transition;
}

const wchar_t* VelScheduler::GetClassName() const { return L"VelScheduler"; }

int VelScheduler::OnTimer(const VelTimerEventArgs* args)
{
    if (args->timerId != m_timer->GetTimerId())
        return VelObject::OnTimer(args);
    OnTick(VelControlCore::GetTick());
    return 0;
}

std::vector<VelScheduler::Entry>::iterator VelScheduler::Find(const VelTransitionBase* transition)
{
    return std::find_if(m_transitions.begin(), m_transitions.end(),
                        [transition](const Entry& e) { return e.transition == transition; });
}

void VelScheduler::AddTransition(VelTransitionBase* transition)
{
    // A second add of the same object would delete it twice.
    if (!transition || Find(transition) != m_transitions.end())
        return;
    m_transitions.push_back(Entry{transition, false});
    transition->OnAdded();
}

void VelScheduler::Start()
{
    m_timer->Start();
    const DWORD now = VelControlCore::GetTick();
    Walk walk(this);
    // By position, reading the size again: a started handler may add more.
    for (size_t i = 0; i < m_transitions.size(); ++i) {
        if (m_transitions[i].started)
            continue;
        m_transitions[i].started = true;
        m_transitions[i].transition->Start(now);
        if (walk.destroyed)
            return;
    }
}

bool VelScheduler::IsRunning() const { return m_timer->IsActive(); }

void VelScheduler::OnTick(DWORD now)
{
    std::vector<VelTransitionBase*> running;
    for (const Entry& e : m_transitions)
        if (e.started)
            running.push_back(e.transition);
    if (running.empty()) {
        m_timer->Stop();
        return;
    }
    Walk walk(this);
    // Ids, not pointers: a handler may destroy a window before the repaint.
    std::set<int> windows;
    for (VelTransitionBase* transition : running) {
        // Finished and deleted meanwhile by a tick nested in a handler.
        if (Find(transition) == m_transitions.end())
            continue;
        const int goesOn = transition->Step(now);
        if (walk.destroyed)
            return;
        if (goesOn) {
            if (VelAbstractControl* target = transition->GetTarget())
                if (VelAbstractControl* window = target->GetWindowControl())
                    windows.insert(window->GetId());
            continue;
        }
        auto it = Find(transition);
        if (it == m_transitions.end())
            continue;
        m_transitions.erase(it);
        transition->Finish(now);
        delete transition;
        if (walk.destroyed)
            return;
    }
    VelControlCore* core = VelControlCore::Instance;
    for (int id : windows)
        if (VelAbstractControl* window = core->FindControl(id))
            core->UpdateNow(window, false);
}
