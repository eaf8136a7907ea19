#pragma once
#include "VelDelegateLists.h"

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>
#include <vector>

// An event: member-function callbacks called in the order they were added.
// TSender and TArgs are the types passed to every handler (pointers to the
// sender and to constant arguments, or a plain integer).
// Every object carries a dozen of these and most never get a handler, so an
// event is the number of its list, 0 while it has no handler; the list comes
// with the first handler and goes with the last.
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

    VelDelegate() : m_list(0) {}
    // A copy shares the callbacks it holds now; later subscriptions stay apart.
    VelDelegate(const VelDelegate& other) : m_list(0)
    {
        const List* source = other.GetList();
        if (source && !source->callbacks.empty())
            Attach(new List(source->callbacks));
    }
    VelDelegate& operator=(const VelDelegate&) = delete;

    ~VelDelegate()
    {
        List* list = GetList();
        if (!list)
            return;
        // A handler deleted the sender: tell every raise still walking this list.
        for (Raise* raise = list->raise; raise; raise = raise->outer)
            raise->alive = false;
        Detach();
    }

    // Takes ownership of a heap callback.
    VelDelegate& operator+=(AbstractCallback* callback)
    {
        CallbackPtr owned(callback);
        if (!m_list)
            Attach(new List);
        GetList()->callbacks.push_back(owned);
        return *this;
    }

    // Drops every callback bound to the receiver. During a raise the entries
    // are only cleared, so the walk by position neither skips nor repeats one.
    void RemoveReceiver(const void* receiver)
    {
        List* list = GetList();
        if (!list)
            return;
        std::vector<CallbackPtr>& callbacks = list->callbacks;
        for (std::size_t i = 0; i < callbacks.size();) {
            if (!callbacks[i] || callbacks[i]->GetReceiver() != receiver)
                ++i;
            else if (list->raise)
                callbacks[i++].reset();
            else
                callbacks.erase(callbacks.begin() + i);
        }
        ReleaseIfEmpty();
    }

    std::size_t GetCount() const { return m_list ? GetList()->callbacks.size() : 0; }

    // Walks by position and reads the length again before each call, so a
    // callback added by a handler that is not the last one runs in this raise.
    void Invoke(TSender sender, TArgs args)
    {
        List* list = GetList();
        if (!list || list->callbacks.empty())
            return;
        // The list stays while any raise walks it: only the destructor frees it
        // then, and it marks the raise dead first.
        Raise raise(this, list);
        for (std::size_t i = 0;; ++i) {
            const bool last = i + 1 >= list->callbacks.size();
            CallbackPtr callback = list->callbacks[i];  // kept alive while it runs
            if (callback)
                callback->Invoke(sender, args);
            if (!raise.alive || last)
                return;
        }
    }

private:
    typedef boost::shared_ptr<AbstractCallback> CallbackPtr;
    struct Raise;

    struct List {
        List() : raise(nullptr) {}
        explicit List(const std::vector<CallbackPtr>& shared) : callbacks(shared), raise(nullptr) {}
        std::vector<CallbackPtr> callbacks;
        Raise* raise;  // the innermost raise in progress
    };

    // One per raise in progress, on the raiser's stack; nested raises chain.
    struct Raise {
        Raise(VelDelegate* d, List* list) : owner(d), outer(list->raise), alive(true) { list->raise = this; }
        ~Raise()
        {
            if (!alive)
                return;
            owner->GetList()->raise = outer;
            if (!outer)
                owner->Compact();
        }
        VelDelegate* owner;
        Raise* outer;
        bool alive;
    };

    List* GetList() const { return m_list ? static_cast<List*>(VelDelegateLists::Get(m_list)) : nullptr; }

    void Attach(List* list)
    {
        try {
            m_list = VelDelegateLists::Add(list);
        } catch (...) {
            delete list;
            throw;
        }
    }

    void Detach()
    {
        delete GetList();
        VelDelegateLists::Remove(m_list);
        m_list = 0;
    }

    void Compact()
    {
        std::vector<CallbackPtr>& callbacks = GetList()->callbacks;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < callbacks.size(); ++i)
            if (callbacks[i])
                callbacks[kept++] = callbacks[i];
        callbacks.resize(kept);
        ReleaseIfEmpty();
    }

    // Never while a raise walks the list.
    void ReleaseIfEmpty()
    {
        const List* list = GetList();
        if (list && !list->raise && list->callbacks.empty())
            Detach();
    }

    uint32_t m_list;
};

// Builds the heap callback for `event += VelBind(this, &Class::Handler)`.
template <typename TReceiver, typename TObject, typename TSender, typename TArgs, typename TResult>
typename VelDelegate<TSender, TArgs, TResult>::template Callback<TReceiver>*
VelBind(TObject* receiver, TResult (TReceiver::*method)(TSender, TArgs))
{
    return new typename VelDelegate<TSender, TArgs, TResult>::template Callback<TReceiver>(receiver, method);
}
