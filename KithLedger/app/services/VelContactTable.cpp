#include "VelContactTable.h"

#include <PimStore.h>

#include <new>

#include "VelContactItem.h"
#include "VelPoomSession.h"

VelContactTable::VelContactTable() : m_cursor(0), m_lastCursor(-1), m_lastId(0), m_seenCount(0) {}

VelComRef<IPimContact> VelContactTable::ContactAt(IPimItemCollection* contacts, int32_t index)
{
    VelComRef<IUnknown> item;
    if (FAILED(contacts->Item(index + 1, item.Receive())) || !item)
        return VelComRef<IPimContact>();
    VelComRef<IPimContact> contact;
    item->QueryInterface(IID_IPimContact, contact.ReceiveVoid());
    return contact;
}

bool VelContactTable::ReadId(IPimItemCollection* contacts, int32_t index, LONG* id)
{
    const VelComRef<IPimContact> contact = ContactAt(contacts, index);
    return contact && SUCCEEDED(contact->get_Oid(id));
}

VelDataItem* VelContactTable::GetEntry()
{
    IPimItemCollection* contacts = GetPoomContacts();
    if (!contacts || m_cursor < 0)
        return NULL;
    // The collection follows the store: a contact filed ahead of the cursor
    // meanwhile pushes one already read under it, and that one is passed over
    // (the newcomer is announced by the store). A contact that cannot be had
    // is passed over too, so that it does not end the load; the cursor then
    // names the contact returned.
    const int32_t count = GetCount();
    // Contacts gone from ahead of the cursor pull unread ones back under it.
    for (int32_t gone = m_seenCount - count; gone > 0 && m_cursor > 0; --gone) {
        LONG before = 0;
        if (m_cursor - 1 < count && (!ReadId(contacts, m_cursor - 1, &before) || m_read.count(before)))
            break;
        --m_cursor;
    }
    m_seenCount = count;
    for (; m_cursor < count; ++m_cursor) {
        VelComRef<IPimContact> contact = ContactAt(contacts, m_cursor);
        if (!contact)
            continue;
        LONG id = 0;
        if (SUCCEEDED(contact->get_Oid(&id))) {
            // The same entry asked for again is no repeat.
            const bool again = m_cursor == m_lastCursor && id == m_lastId;
            if (!again && !m_read.insert(id).second)
                continue;
            m_lastCursor = m_cursor;
            m_lastId = id;
        }
        return new (std::nothrow) VelContactItem(contact.Detach());
    }
    return NULL;
}

int32_t VelContactTable::GetCount()
{
    IPimItemCollection* contacts = GetPoomContacts();
    int count = 0;
    if (!contacts || FAILED(contacts->get_Count(&count)))
        return 0;
    return count;
}

bool VelContactTable::Seek(int32_t offset, int origin)
{
    const int32_t count = GetCount();
    m_cursor =
        static_cast<int32_t>(SeekTarget(static_cast<uint32_t>(m_cursor), offset, origin, static_cast<uint32_t>(count)));
    return m_cursor >= 0 && m_cursor < count;
}
