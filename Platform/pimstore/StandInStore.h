#pragma once
// The device store as a stand-in reaches it: always the configured folder's,
// with the stand-in's change listener on it while anyone watches. A process
// pointed at another folder (tests do that) takes its listener along.
#include "StandInCom.h"

#include <VelDevStore.h>

namespace standin {

class StoreFollower {
public:
    StoreFollower(const VelDevStoreListener& listener, unsigned kinds) : m_listener(listener), m_kinds(kinds) {}

    // `moved` tells when the listener has just come to another store.
    boost::shared_ptr<VelDevStore> Current(bool* moved = nullptr)
    {
        if (moved)
            *moved = false;
        boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
        if (!store)
            return store;
        boost::shared_ptr<VelDevStore> previous;
        DWORD previousCookie = 0;
        {
            Guard guard(m_lock);
            if (m_watchers == 0 || store == m_store)
                return store;
            previous = m_store;
            previousCookie = m_cookie;
            m_store = store;
            m_cookie = store->AddListener(m_listener, m_kinds);
        }
        // Outside the lock: removal waits for a delivery that may need it.
        if (previous)
            previous->RemoveListener(previousCookie);
        if (moved)
            *moved = true;
        return store;
    }

    // The listener hears of changes from the first Watch to the last Unwatch.
    // The store's watcher thread ends with the last Unwatch (or with the last
    // user of the store after it), so no thread of ours is left running when
    // the process exits and its modules are torn down.
    void Watch(bool* moved = nullptr)
    {
        {
            Guard guard(m_lock);
            ++m_watchers;
        }
        Current(moved);
    }

    void Unwatch()
    {
        boost::shared_ptr<VelDevStore> store;
        DWORD cookie = 0;
        {
            Guard guard(m_lock);
            if (m_watchers == 0 || --m_watchers > 0)
                return;
            store.swap(m_store);
            cookie = m_cookie;
            m_cookie = 0;
        }
        // Outside the lock, as above; letting go of the store joins its watcher.
        if (store)
            store->RemoveListener(cookie);
    }

private:
    Lock m_lock;
    VelDevStoreListener m_listener;
    unsigned m_kinds;  // what the listener hears of (VelDevKinds)
    ULONG m_watchers = 0;
    boost::shared_ptr<VelDevStore> m_store;  // held only while watched
    DWORD m_cookie = 0;
};

// Made once and never destroyed: a watcher may still deliver through it while
// the process exits (a client that never let go of its objects).
inline StoreFollower& FollowStore(const VelDevStoreListener& listener, unsigned kinds)
{
    static StoreFollower* follower = new StoreFollower(listener, kinds);
    return *follower;
}

}  // namespace standin
