#include "VelContactTable.h"

#include <PimStore.h>

#include <new>

#include "VelContactItem.h"
#include "VelPoomSession.h"

VelContactTable::VelContactTable() : m_cursor(0), m_lastCursor(-1), m_lastId(0) {}

VelDataItem* VelContactTable::GetEntry()
{
    IPimItemCollection* contacts = GetPoomContacts();
    if (!contacts || m_cursor < 0)
        return NULL;
    // The collection follows the store: a contact filed ahead of the cursor
    // meanwhile pushes one already read under it, and that one is passed over
    // (its newcomer is announced by the store). A contact that cannot be had
    // is passed over too, so that it does not end the load; the cursor then
    // names the contact returned.
    for (const int32_t count = GetCount(); m_cursor < count; ++m_cursor) {
        IUnknown* item = NULL;
        if (FAILED(contacts->Item(m_cursor + 1, &item)) || !item)
            continue;
        IPimContact* contact = NULL;
        item->QueryInterface(IID_IPimContact, reinterpret_cast<void**>(&contact));
        item->Release();
        if (!contact)
            continue;
        LONG id = 0;
        if (SUCCEEDED(contact->get_Oid(&id))) {
            // The same entry asked for again is no repeat.
            const bool again = m_cursor == m_lastCursor && id == m_lastId;
            if (!again && !m_read.insert(id).second) {
                contact->Release();
                continue;
            }
            m_lastCursor = m_cursor;
            m_lastId = id;
        }
        return new (std::nothrow) VelContactItem(contact);
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
