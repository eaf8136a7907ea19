#pragma once
#include <set>

#include "VelSingleThreaded.h"

class VelSignalBase;

// Base of every receiver of signals. It remembers the signals connected to it
// and disconnects from all of them when it dies.
class VelSlotHolder : public VelSingleThreaded {
public:
    VelSlotHolder() {}
    // A copy receives every connection of the original, bound to itself.
    VelSlotHolder(const VelSlotHolder& other);
    VelSlotHolder& operator=(const VelSlotHolder&) = delete;
    ~VelSlotHolder() override;

    // Kept by the signals; one entry per signal however often it is connected.
    void SignalConnected(VelSignalBase* signal);
    void SignalDisconnected(VelSignalBase* signal);

private:
    std::set<VelSignalBase*> m_signals;
};
