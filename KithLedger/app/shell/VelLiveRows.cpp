#include "VelLiveRows.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include <CeMapi.h>

#include "VelCallItem.h"
#include "VelCallListView.h"
#include "VelCallListViewItem.h"
#include "VelContactItem.h"
#include "VelContactListView.h"
#include "VelContactListViewItem.h"
#include "VelCreateDataTable.h"
#include "VelDataTable.h"
#include "VelFavoritesView.h"
#include "VelKlApplication.h"
#include "VelListLoadQueue.h"
#include "VelListView.h"
#include "VelMapiMessage.h"
#include "VelPoomSession.h"
#include "VelScopedLock.h"
#include "VelSmsItem.h"
#include "VelSmsListView.h"
#include "VelSmsListViewItem.h"
#include "VelSmsStore.h"

namespace {

VelEntryId ParentOf(const VelMapiMessage* message)
{
    VelEntryId parent;
    if (message && message->GetMessage())
        ReadMapiBinary(message->GetMessage(), kMapiTagParentEntryId, &parent);
    return parent;
}

// The log gives its calls no identity of their own: what a row shows tells them apart.
typedef std::tuple<VelDateTime, VelDateTime, std::wstring, std::wstring, uint32_t, bool> CallKey;

CallKey KeyOf(const VelCallItem& call)
{
    return CallKey(call.GetStart(), call.GetEnd(), call.GetNumber(), call.GetName(), call.GetCallFlags(),
                   call.IsOutgoing());
}

}  // namespace

VelLiveRows::VelLiveRows(VelKlApplication& app) : m_app(app), m_unreadCount(0) {}

// ---------------------------------------------------------------- contacts

void VelLiveRows::OnContactCreated(int32_t id)
{
    if (m_app.IsClosing())
        return;
    VelContactItem* item = CreateContactItem(id);
    if (!item)
        return;
    VelContactListView* contactsView = m_app.GetContactListView();
    VelFavoritesView* favoritesView = m_app.GetFavoritesView();
    VelListView* contacts = m_app.ListOf(contactsView);
    VelListView* favorites = m_app.ListOf(favoritesView);
    const bool favorite = item->GetFavorite();
    if (contacts) {
        VelListView::Lock lock(contacts);
        // A load under way may have listed it already.
        if (!contactsView->FindContactRow(id)) {
            contacts->AddItem(new VelContactListViewItem(item));
            item = nullptr;
            NoteLiveContact(id);
        }
    }
    delete item;
    if (favorite && favorites) {
        VelListView::Lock lock(favorites);
        if (!favoritesView->FindContactRow(id))
            if (VelContactItem* copy = CreateContactItem(id))
                favorites->AddItem(new VelContactListViewItem(copy));
    }
}

void VelLiveRows::OnContactChanged(int32_t id)
{
    if (m_app.IsClosing())
        return;
    std::unique_ptr<VelContactItem> item(CreateContactItem(id));
    if (!item) {
        RemoveContactRows(id);
        return;
    }
    VelContactListView* contactsView = m_app.GetContactListView();
    if (VelListView* contacts = m_app.ListOf(contactsView)) {
        VelListView::Lock lock(contacts);
        if (VelContactListViewItem* row = contactsView->FindContactRow(id)) {
            row->GetContact()->Load(nullptr);
            contacts->RefreshItem(row);
        }
    }
    VelFavoritesView* favoritesView = m_app.GetFavoritesView();
    if (VelListView* favorites = m_app.ListOf(favoritesView)) {
        VelListView::Lock lock(favorites);
        VelContactListViewItem* row = favoritesView->FindContactRow(id);
        if (!row && item->GetFavorite()) {
            favorites->AddItem(new VelContactListViewItem(item.release()));
        } else if (row && !item->GetFavorite()) {
            favorites->RemoveItem(row);
        } else if (row) {
            row->GetContact()->Load(nullptr);
            favorites->RefreshItem(row);
        }
    }
}

void VelLiveRows::OnContactDeleted(int32_t id)
{
    // Any process can post the session's messages: a contact the store still
    // has stays listed.
    if (std::unique_ptr<VelContactItem> live{CreateContactItem(id)})
        return;
    RemoveContactRows(id);
}

void VelLiveRows::RemoveContactRows(int32_t id)
{
    VelListTabView* views[] = {m_app.GetFavoritesView(), m_app.GetContactListView()};
    for (VelListTabView* view : views) {
        VelListView* list = m_app.ListOf(view);
        if (!list)
            continue;
        VelListView::Lock lock(list);
        if (VelItem* row = view->FindContactRow(id))
            list->RemoveItem(row);
    }
}

// ---------------------------------------------------------------- messages

bool VelLiveRows::IsWatchedFolder(const std::vector<BYTE>& parent) const
{
    if (parent.empty())
        return false;
    return parent == GetCachedSmsFolderId(kSmsReceived) || parent == GetCachedSmsFolderId(kSmsSent);
}

void VelLiveRows::AddSmsRow(VelMapiMessage* message, bool replace)
{
    VelSmsListView* view = m_app.GetSmsListView();
    VelListView* list = m_app.ListOf(view);
    VelSmsItem* item = new VelSmsItem(message);
    VelSmsListViewItem* row = new VelSmsListViewItem(item);
    const bool unread = item->IsUnread();
    if (!list) {
        delete row;
        return;
    }
    {
        VelListView::Lock lock(list);
        if (VelItem* listed = view->FindSmsRow(item->GetEntryId())) {
            if (!replace) {
                delete row;
                return;
            }
            // Moved between the shown folders: received becomes sent, or
            // back, and the row shows it as it is now.
            list->RemoveItem(listed);
        }
        list->AddItem(row);
        NoteLiveSms(item->GetEntryId());
    }
    if (TrackUnread(item->GetEntryId(), unread))
        UnreadChanged();
}

void VelLiveRows::OnSmsCreated(VelMapiMessage* message)
{
    if (!message || m_app.IsClosing())
        return;
    std::unique_ptr<VelMapiMessage> opened(OpenMessageById(message->GetEntryId()));
    if (opened && IsWatchedFolder(ParentOf(opened.get())))
        AddSmsRow(opened.release());
}

void VelLiveRows::OnSmsDeleted(VelMapiMessage* message)
{
    // Matched by the notification's identifier: a deleted message can
    // usually no longer be opened.
    if (message)
        RemoveSmsRow(message->GetEntryId());
}

void VelLiveRows::RemoveSmsRow(const VelEntryId& entryId)
{
    VelSmsListView* view = m_app.GetSmsListView();
    VelListView* list = m_app.ListOf(view);
    if (!list)
        return;
    {
        VelListView::Lock lock(list);
        VelItem* row = view->FindSmsRow(entryId);
        if (!row)
            return;
        list->RemoveItem(row);
    }
    if (TrackUnread(entryId, false))
        UnreadChanged();
}

void VelLiveRows::OnSmsMoved(VelMapiMessage* message)
{
    if (!message || m_app.IsClosing())
        return;
    std::unique_ptr<VelMapiMessage> opened(OpenMessageById(message->GetEntryId()));
    if (!opened)
        return;
    // Into a shown folder it is listed once; into any other (deleted items,
    // the outbox, drafts, a folder of its own) it leaves the list and the count.
    if (IsWatchedFolder(ParentOf(opened.get())))
        AddSmsRow(opened.release(), true);
    else
        RemoveSmsRow(opened->GetEntryId());
}

void VelLiveRows::OnSmsModified(VelMapiMessage* message)
{
    if (!message || m_app.IsClosing())
        return;
    std::unique_ptr<VelMapiMessage> opened(OpenMessageById(message->GetEntryId()));
    if (!opened)
        return;
    if (!IsWatchedFolder(ParentOf(opened.get()))) {
        RemoveSmsRow(opened->GetEntryId());
        return;
    }
    VelSmsListView* view = m_app.GetSmsListView();
    VelListView* list = m_app.ListOf(view);
    if (!list)
        return;
    bool unread = false;
    bool listed = false;
    {
        VelListView::Lock lock(list);
        if (VelSmsListViewItem* row = view->FindSmsRow(opened->GetEntryId())) {
            listed = true;
            list->BeginLoading();
            unread = row->Refresh();
            list->RefreshItem(row);
            list->EndLoading();
        }
    }
    if (!listed) {
        // In a shown folder and not listed: a move into it went unheard.
        AddSmsRow(opened.release());
        return;
    }
    if (TrackUnread(opened->GetEntryId(), unread))
        UnreadChanged();
}

// ---------------------------------------------------------------- calls

void VelLiveRows::SyncCalls(VelCallListView* calls)
{
    VelListView* list = m_app.ListOf(calls);
    if (!list)
        return;
    VelCallsLoadGate& gate = m_app.m_loads->GetCallsGate();
    uint32_t generation = 0;
    if (!gate.Enter(&generation))
        return;
    std::map<CallKey, int> listed;
    {
        VelListView::Lock lock(list);
        for (VelItem* item : list->GetItems())
            if (VelCallListViewItem* row = dynamic_cast<VelCallListViewItem*>(item))
                if (row->GetCall())
                    ++listed[KeyOf(*row->GetCall())];
    }
    // The log newest first: each entry matches one listed row, or is new.
    // Not only the head: a call stamped a moment before one already listed
    // may be logged after it.
    std::unique_ptr<VelDataTable> table(CreateDataTable(VelListKind::kCalls));
    if (!table)
        return;
    std::vector<std::unique_ptr<VelCallItem>> fresh;
    std::map<CallKey, int> logged;
    do {
        std::unique_ptr<VelDataItem> entry(table->GetEntry());
        VelCallItem* call = dynamic_cast<VelCallItem*>(entry.get());
        if (!call)
            continue;  // unreadable: a load passes over it too
        const CallKey key = KeyOf(*call);
        auto found = listed.find(key);
        if (found != listed.end() && found->second > 0) {
            --found->second;
            ++logged[key];
            continue;
        }
        entry.release();
        fresh.emplace_back(call);
    } while (table->Seek(1, VelDataTable::kSeekCurrent));

    // Not when the list was cleared for a load meanwhile.
    gate.ApplyIfCurrent(generation, [&] {
        VelListView::Lock listLock(list);
        // Rows whose call the log no longer has: as many of each as it lost.
        std::vector<VelItem*> gone;
        for (VelItem* item : list->GetItems()) {
            VelCallListViewItem* row = dynamic_cast<VelCallListViewItem*>(item);
            if (!row || !row->GetCall())
                continue;
            auto kept = logged.find(KeyOf(*row->GetCall()));
            if (kept != logged.end() && kept->second > 0)
                --kept->second;
            else
                gone.push_back(item);
        }
        for (VelItem* item : gone)
            list->RemoveItem(item);
        // In the log's order, so that calls of the same moment stand as a fresh
        // load puts them.
        for (std::unique_ptr<VelCallItem>& call : fresh)
            list->AddItem(new VelCallListViewItem(call.release()));
    });
}

// ---------------------------------------------------------------- sets

int32_t VelLiveRows::ResetUnread()
{
    const int32_t before = m_unreadCount;
    VelScopedLock lock(&m_unreadLock);
    m_unreadIds.clear();
    m_unreadCount = 0;
    return before;
}

bool VelLiveRows::TrackUnread(const VelEntryId& entryId, bool unread)
{
    VelScopedLock lock(&m_unreadLock);
    const bool changed = unread ? m_unreadIds.insert(entryId).second : m_unreadIds.erase(entryId) != 0;
    m_unreadCount = static_cast<int32_t>(m_unreadIds.size());
    return changed;
}

void VelLiveRows::UnreadChanged() { m_app.PostCountChanged(VelKlApplication::kRequestUnreadSms); }

void VelLiveRows::ForgetLiveContacts()
{
    VelScopedLock lock(&m_liveLock);
    m_liveContacts.clear();
}

void VelLiveRows::ForgetLiveSms()
{
    VelScopedLock lock(&m_liveLock);
    m_liveSms.clear();
}

void VelLiveRows::NoteLiveContact(int32_t id)
{
    VelScopedLock lock(&m_liveLock);
    m_liveContacts.insert(id);
}

void VelLiveRows::NoteLiveSms(const VelEntryId& entryId)
{
    VelScopedLock lock(&m_liveLock);
    m_liveSms.insert(entryId);
}

bool VelLiveRows::TakeLiveContact(int32_t id)
{
    VelScopedLock lock(&m_liveLock);
    return m_liveContacts.erase(id) != 0;
}

bool VelLiveRows::TakeLiveSms(const VelEntryId& entryId)
{
    VelScopedLock lock(&m_liveLock);
    return m_liveSms.erase(entryId) != 0;
}
