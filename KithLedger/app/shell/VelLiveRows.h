#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <set>
#include <vector>

#include "VelCriticalSection.h"

class VelCallListView;
class VelKlApplication;
class VelMapiMessage;

// The rows the data sources' notifications add, refresh and remove while
// the program runs; the unread messages, whose number is the messages tab's
// count; and the rows a notification listed while a load may still yield
// them, which the load then passes over. The handlers run on the data thread
// and on the message sink's, the loads on the UI thread.
//
// Locks: m_unreadLock guards the unread set and count, m_liveLock the live
// sets. Each is taken alone or inside a list's own lock, and nothing is
// called with it held.
class VelLiveRows {
public:
    explicit VelLiveRows(VelKlApplication& app);
    VelLiveRows(const VelLiveRows&) = delete;
    VelLiveRows& operator=(const VelLiveRows&) = delete;

    void OnContactCreated(int32_t id);
    void OnContactChanged(int32_t id);
    void OnContactDeleted(int32_t id);
    void OnSmsCreated(VelMapiMessage* message);
    void OnSmsDeleted(VelMapiMessage* message);
    void OnSmsMoved(VelMapiMessage* message);
    void OnSmsModified(VelMapiMessage* message);
    // On the data thread: the call list made to match the log, each call
    // listed once; rows whose call is gone leave.
    void SyncCalls(VelCallListView* calls);

    int32_t GetUnreadCount() const { return m_unreadCount; }
    // A messages load starts over: no message is counted. The count before.
    int32_t ResetUnread();
    // True when the message's entry in the unread set changed.
    bool TrackUnread(const std::vector<BYTE>& entryId, bool unread);
    // A load starts over: what notifications listed before it is its own again.
    void ForgetLiveContacts();
    void ForgetLiveSms();
    // True, once, when a notification listed the row already.
    bool TakeLiveContact(int32_t id);
    bool TakeLiveSms(const std::vector<BYTE>& entryId);

private:
    void NoteLiveContact(int32_t id);
    void NoteLiveSms(const std::vector<BYTE>& entryId);
    bool IsWatchedFolder(const std::vector<BYTE>& parent) const;
    // A row for the message, once; with `replace` a listed one is made anew.
    void AddSmsRow(VelMapiMessage* message, bool replace = false);
    void RemoveSmsRow(const std::vector<BYTE>& entryId);
    void RemoveContactRows(int32_t id);
    void UnreadChanged();

    VelKlApplication& m_app;
    // The listed messages that are unread: the count is its size, so a row
    // seen twice or a change seen by two threads cannot skew it.
    std::set<std::vector<BYTE>> m_unreadIds;
    std::atomic<int32_t> m_unreadCount;
    VelCriticalSection m_unreadLock;
    std::set<int32_t> m_liveContacts;
    std::set<std::vector<BYTE>> m_liveSms;
    VelCriticalSection m_liveLock;
};
