#pragma once

// Locking policy of signals and slot holders. Signals are connected on the UI
// thread before the emitting threads run, so the policy does nothing.
class VelSingleThreaded {
public:
    virtual ~VelSingleThreaded() {}
    virtual void Lock() {}
    virtual void Unlock() {}
};

class VelPolicyLock {
public:
    explicit VelPolicyLock(VelSingleThreaded& policy) : m_policy(policy) { m_policy.Lock(); }
    ~VelPolicyLock() { m_policy.Unlock(); }
    VelPolicyLock(const VelPolicyLock&) = delete;
    VelPolicyLock& operator=(const VelPolicyLock&) = delete;

private:
    VelSingleThreaded& m_policy;
};
