#include "VelContactTable.h"

#include <PimStore.h>

#include <new>

#include "VelContactItem.h"
#include "VelPoomSession.h"

VelContactTable::VelContactTable() : m_cursor(0), m_view(NULL) {}

VelContactTable::~VelContactTable()
{
    if (m_view)
        m_view->Release();
}

IPimItemCollection* VelContactTable::View()
{
    if (!m_view) {
        IPimItemCollection* contacts = GetPoomContacts();
        if (contacts && FAILED(contacts->Snapshot(&m_view)))
            m_view = NULL;
    }
    return m_view;
}

VelDataItem* VelContactTable::GetEntry()
{
    IPimItemCollection* contacts = View();
    if (!contacts || m_cursor < 0)
        return NULL;
    // A contact that cannot be had is passed over, so that it does not end the
    // load; the cursor then names the contact returned.
    for (const int32_t count = GetCount(); m_cursor < count; ++m_cursor) {
        IUnknown* item = NULL;
        if (FAILED(contacts->Item(m_cursor + 1, &item)) || !item)
            continue;
        IPimContact* contact = NULL;
        item->QueryInterface(IID_IPimContact, reinterpret_cast<void**>(&contact));
        item->Release();
        if (contact)
            return new (std::nothrow) VelContactItem(contact);
    }
    return NULL;
}

int32_t VelContactTable::GetCount()
{
    IPimItemCollection* contacts = View();
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
