#pragma once
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <vector>

// An event: member-function callbacks called in the order they were added.
// TSender and TArgs are the types passed to every handler (pointers to the
// sender and to constant arguments, or a plain integer).
template <typename TSender, typename TArgs, typename TResult = void>
class VelDelegate {
public:
    class AbstractCallback {
    public:
        virtual ~AbstractCallback() {}
        virtual void Invoke(TSender sender, TArgs args) = 0;
        virtual const void* GetReceiver() const = 0;
    };

    template <typename TReceiver>
    class Callback : public AbstractCallback {
    public:
        typedef TResult (TReceiver::*Method)(TSender, TArgs);
        Callback(TReceiver* receiver, Method method) : m_receiver(receiver), m_method(method) {}
        void Invoke(TSender sender, TArgs args) override { (m_receiver->*m_method)(sender, args); }
        const void* GetReceiver() const override { return m_receiver; }

    private:
        TReceiver* m_receiver;
        Method m_method;
    };

    VelDelegate() : m_raise(nullptr) {}
    // A copy shares the callbacks it holds now; later subscriptions stay apart.
    VelDelegate(const VelDelegate& other) : m_callbacks(other.m_callbacks), m_raise(nullptr) {}
    VelDelegate& operator=(const VelDelegate&) = delete;

    virtual ~VelDelegate()
    {
        // A handler deleted the sender: tell every raise still walking this list.
        for (Raise* raise = m_raise; raise; raise = raise->outer)
            raise->alive = false;
    }

    // Takes ownership of a heap callback.
    VelDelegate& operator+=(AbstractCallback* callback)
    {
        m_callbacks.push_back(CallbackPtr(callback));
        return *this;
    }

    // Drops every callback bound to the receiver. During a raise the entries
    // are only cleared, so the walk by position neither skips nor repeats one.
    void RemoveReceiver(const void* receiver)
    {
        for (std::size_t i = 0; i < m_callbacks.size();) {
            if (!m_callbacks[i] || m_callbacks[i]->GetReceiver() != receiver)
                ++i;
            else if (m_raise)
                m_callbacks[i++].reset();
            else
                m_callbacks.erase(m_callbacks.begin() + i);
        }
    }

    std::size_t GetCount() const { return m_callbacks.size(); }

    // Walks by position and reads the length again before each call, so a
    // callback added by a handler that is not the last one runs in this raise.
    void Invoke(TSender sender, TArgs args)
    {
        if (m_callbacks.empty())
            return;
        Raise raise(this);
        for (std::size_t i = 0;; ++i) {
            const bool last = i + 1 >= m_callbacks.size();
            CallbackPtr callback = m_callbacks[i];  // kept alive while it runs
            if (callback)
                callback->Invoke(sender, args);
            if (!raise.alive || last)
                return;
        }
    }

private:
    typedef boost::shared_ptr<AbstractCallback> CallbackPtr;

    // One per raise in progress, on the raiser's stack; nested raises chain.
    struct Raise {
        explicit Raise(VelDelegate* d) : owner(d), outer(d->m_raise), alive(true) { d->m_raise = this; }
        ~Raise()
        {
            if (!alive)
                return;
            owner->m_raise = outer;
            if (!outer)
                owner->Compact();
        }
        VelDelegate* owner;
        Raise* outer;
        bool alive;
    };

    void Compact()
    {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < m_callbacks.size(); ++i)
            if (m_callbacks[i])
                m_callbacks[kept++] = m_callbacks[i];
        m_callbacks.resize(kept);
    }

    std::vector<CallbackPtr> m_callbacks;
    Raise* m_raise;
};

// Builds the heap callback for `event += VelBind(this, &Class::Handler)`.
template <typename TReceiver, typename TObject, typename TSender, typename TArgs, typename TResult>
typename VelDelegate<TSender, TArgs, TResult>::template Callback<TReceiver>* VelBind(
    TObject* receiver, TResult (TReceiver::*method)(TSender, TArgs))
{
    return new typename VelDelegate<TSender, TArgs, TResult>::template Callback<TReceiver>(receiver, method);
}
