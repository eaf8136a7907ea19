#include "VelPendingUpdates.h"
#include "VelAbstractControl.h"
#include "VelControlCore.h"
#include "VelScopedLock.h"

namespace {

thread_local int t_dispatchDepth = 0;
thread_local bool t_inDispatch = false;

}  // namespace

void VelPendingUpdates::EnterDispatch()
{
    t_inDispatch = true;
    ++t_dispatchDepth;
}

bool VelPendingUpdates::LeaveDispatch()
{
    if (--t_dispatchDepth > 0)
        return false;
    t_dispatchDepth = 0;
    t_inDispatch = false;
    return true;
}

bool VelPendingUpdates::IsDispatching() { return t_inDispatch; }

void VelPendingUpdates::Add(VelAbstractControl* control, VelAbstractControl* window, VelUpdate update)
{
    VelScopedLock lock(&m_lock);
    std::vector<Entry>& entries = m_entries[::GetCurrentThreadId()];
    for (Entry& e : entries) {
        if (e.control == control || VelControlCore::IsAncestor(e.control, control)) {
            // e already covers the control
        } else if (VelControlCore::IsAncestor(control, e.control)) {
            e.control = control;
        } else if (window && VelControlCore::IsAncestor(window, e.control)) {
            e.control = window;
        } else {
            continue;
        }
        if (update == VelUpdate::Rebuild)
            e.update = VelUpdate::Rebuild;
        return;
    }
    entries.push_back(Entry{control, update});
}

void VelPendingUpdates::Reassign(VelAbstractControl* control, VelAbstractControl* heir)
{
    VelScopedLock lock(&m_lock);
    for (auto& pending : m_entries) {
        std::vector<Entry>& entries = pending.second;
        for (size_t i = 0; i < entries.size();) {
            if (entries[i].control != control) {
                ++i;
            } else if (heir) {
                entries[i++].control = heir;
            } else {
                entries.erase(entries.begin() + i);
            }
        }
    }
}

std::vector<VelPendingUpdates::Entry> VelPendingUpdates::Take()
{
    std::vector<Entry> entries;
    VelScopedLock lock(&m_lock);
    auto it = m_entries.find(::GetCurrentThreadId());
    if (it != m_entries.end())
        entries.swap(it->second);
    return entries;
}

std::vector<std::pair<VelAbstractControl*, BYTE>> VelPendingUpdates::Snapshot()
{
    std::vector<std::pair<VelAbstractControl*, BYTE>> result;
    VelScopedLock lock(&m_lock);
    auto it = m_entries.find(::GetCurrentThreadId());
    if (it != m_entries.end())
        for (const Entry& e : it->second)
            result.push_back(std::make_pair(e.control, BYTE(e.update)));
    return result;
}
