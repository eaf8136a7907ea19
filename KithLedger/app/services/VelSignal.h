#pragma once
#include <iterator>
#include <list>
#include <stdexcept>

#include "VelSignalConnection.h"
#include "VelSingleThreaded.h"
#include "VelSlotHolder.h"

// Keeps Connect from deducing the receiver's class from the member as well.
template <typename T>
struct VelSignalReceiver {
    typedef T Type;
};

// What a slot holder needs of every signal, whatever its arguments.
class VelSignalBase : public VelSingleThreaded {
public:
    // Drops every connection to a dying holder; the holder clears its own set.
    virtual void SlotDisconnect(VelSlotHolder* holder) = 0;
    // Copies every connection of `oldHolder` to `newHolder`.
    virtual void SlotDuplicate(const VelSlotHolder* oldHolder, VelSlotHolder* newHolder) = 0;
};

// An application event with any number of arguments (VelSignal<> has none).
// Receivers are called in the order they were connected.
//
// A receiver may destroy itself, another receiver or the signal's owner while
// it is called: connections dropped during an emit are only marked and swept
// when the outermost emit ends, and an emit whose signal died stops at once.
template <typename... Args>
class VelSignal : public VelSignalBase {
public:
    VelSignal() {}
    VelSignal(const VelSignal&) = delete;
    VelSignal& operator=(const VelSignal&) = delete;

    ~VelSignal() override
    {
        DisconnectAll();
        for (EmitFrame* frame = m_emits; frame; frame = frame->outer)
            frame->signalGone = true;
    }

    // No duplicate check: a member connected twice runs twice per emit. The
    // receiver alone names the class, so a member it inherits connects too.
    template <typename T>
    void Connect(T* receiver, void (VelSignalReceiver<T>::Type::*method)(Args...))
    {
        VelPolicyLock lock(*this);
        CheckRoomForOneMore();
        m_connections.push_back(new VelSignalConnection<T, Args...>(receiver, method));
        static_cast<VelSlotHolder*>(receiver)->SignalConnected(this);
    }

    void Emit(Args... args)
    {
        if (m_connections.empty())
            return;
        EmitFrame frame(*this);
        // Receivers connected during this emit are called from the next one on.
        const auto last = std::prev(m_connections.end());
        for (auto it = m_connections.begin();; ++it) {
            if (*it) {
                (*it)->Emit(args...);
                if (frame.signalGone)
                    return;
            }
            if (it == last)
                break;
        }
    }

    void DisconnectAll()
    {
        VelPolicyLock lock(*this);
        for (Connection*& connection : m_connections) {
            if (!connection)
                continue;
            if (VelSlotHolder* holder = connection->GetDest())
                holder->SignalDisconnected(this);
            delete connection;
            connection = nullptr;
        }
        SweepUnlessEmitting();
    }

    void SlotDisconnect(VelSlotHolder* holder) override
    {
        VelPolicyLock lock(*this);
        for (Connection*& connection : m_connections) {
            if (connection && connection->GetDest() == holder) {
                delete connection;
                connection = nullptr;
            }
        }
        SweepUnlessEmitting();
    }

    void SlotDuplicate(const VelSlotHolder* oldHolder, VelSlotHolder* newHolder) override
    {
        // Onto itself a holder would gain its own connections over and over.
        if (oldHolder == newHolder)
            return;
        VelPolicyLock lock(*this);
        // Only the connections that were there before: the copies are new.
        auto it = m_connections.begin();
        for (size_t n = m_connections.size(); n > 0; --n, ++it) {
            if (*it && (*it)->GetDest() == oldHolder) {
                CheckRoomForOneMore();
                m_connections.push_back((*it)->Duplicate(newHolder));
            }
        }
    }

private:
    typedef VelSignalConnectionBase<Args...> Connection;

    // One per running emit, innermost first, so that a dying signal can tell
    // every emit on the stack to stop.
    struct EmitFrame {
        explicit EmitFrame(VelSignal& signal) : signal(signal), outer(signal.m_emits)
        {
            signal.Lock();
            signal.m_emits = this;
        }
        ~EmitFrame()
        {
            if (signalGone)
                return;
            signal.m_emits = outer;
            signal.SweepUnlessEmitting();
            signal.Unlock();
        }
        EmitFrame(const EmitFrame&) = delete;
        EmitFrame& operator=(const EmitFrame&) = delete;

        VelSignal& signal;
        EmitFrame* outer;
        bool signalGone = false;
    };

    static constexpr size_t kMaxConnections = 0x3FFFFFFF;

    void CheckRoomForOneMore() const
    {
        if (m_connections.size() >= kMaxConnections)
            throw std::length_error("list<T> too long");
    }

    void SweepUnlessEmitting()
    {
        if (!m_emits)
            m_connections.remove(nullptr);
    }

    // Null marks a connection dropped during an emit.
    std::list<Connection*> m_connections;
    EmitFrame* m_emits = nullptr;
};
