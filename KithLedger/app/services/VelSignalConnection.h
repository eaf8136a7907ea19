#pragma once

class VelSlotHolder;

// A connection of a signal with these arguments, whatever the receiver's class.
// Signals own their connections and delete them through this type.
template <typename... Args>
class VelSignalConnectionBase {
public:
    virtual ~VelSignalConnectionBase() {}
    virtual VelSlotHolder* GetDest() const = 0;
    virtual void Emit(Args... args) = 0;
    virtual VelSignalConnectionBase* Clone() const = 0;
    // The same member function bound to the object that owns `holder`.
    virtual VelSignalConnectionBase* Duplicate(VelSlotHolder* holder) const = 0;
};

// One member function of one receiver of class T.
template <typename T, typename... Args>
class VelSignalConnection : public VelSignalConnectionBase<Args...> {
public:
    typedef void (T::*Method)(Args...);

    VelSignalConnection(T* receiver, Method method) : m_receiver(receiver), m_method(method) {}

    VelSlotHolder* GetDest() const override { return m_receiver; }

    void Emit(Args... args) override { (m_receiver->*m_method)(args...); }

    VelSignalConnectionBase<Args...>* Clone() const override { return new VelSignalConnection(*this); }

    VelSignalConnectionBase<Args...>* Duplicate(VelSlotHolder* holder) const override
    {
        return new VelSignalConnection(static_cast<T*>(holder), m_method);
    }

private:
    T* m_receiver;
    Method m_method;
};
