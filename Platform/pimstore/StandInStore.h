#pragma once
// The device store as a stand-in reaches it: always the configured folder's,
// with the stand-in's change listener on it. A process pointed at another
// folder (tests do that) takes its listener along.
#include "StandInCom.h"

#include <VelDevStore.h>

namespace standin {

class StoreFollower {
public:
    explicit StoreFollower(const VelDevStoreListener& listener) : m_listener(listener) {}

    // `moved` tells when the listener has just come to another store.
    boost::shared_ptr<VelDevStore> Current(bool* moved = nullptr) {
        if (moved) *moved = false;
        boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
        if (!store) return store;
        boost::shared_ptr<VelDevStore> previous;
        DWORD previousCookie = 0;
        {
            Guard guard(m_lock);
            if (store == m_store) return store;
            previous = m_store;
            previousCookie = m_cookie;
            m_store = store;
            m_cookie = store->AddListener(m_listener);
        }
        // Outside the lock: removal waits for a delivery that may need it.
        if (previous) previous->RemoveListener(previousCookie);
        if (moved) *moved = true;
        return store;
    }

private:
    Lock m_lock;
    VelDevStoreListener m_listener;
    boost::shared_ptr<VelDevStore> m_store;
    DWORD m_cookie = 0;
};

// Made once and never destroyed: a store lives only while held, and its
// watcher must not be stopped from the exit of the process.
inline StoreFollower& FollowStore(const VelDevStoreListener& listener) {
    static StoreFollower* follower = new StoreFollower(listener);
    return *follower;
}

}  // namespace standin
