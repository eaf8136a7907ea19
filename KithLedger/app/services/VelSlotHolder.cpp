#include "VelSlotHolder.h"

#include "VelSignal.h"

VelSlotHolder::VelSlotHolder(const VelSlotHolder& other) : VelSingleThreaded(other)
{
    VelPolicyLock lock(*this);
    for (VelSignalBase* signal : other.m_signals) {
        signal->SlotDuplicate(&other, this);
        m_signals.insert(signal);
    }
}

VelSlotHolder::~VelSlotHolder()
{
    VelPolicyLock lock(*this);
    for (VelSignalBase* signal : m_signals)
        signal->SlotDisconnect(this);
    m_signals.clear();
}

void VelSlotHolder::SignalConnected(VelSignalBase* signal)
{
    VelPolicyLock lock(*this);
    m_signals.insert(signal);
}

void VelSlotHolder::SignalDisconnected(VelSignalBase* signal)
{
    VelPolicyLock lock(*this);
    m_signals.erase(signal);
}
