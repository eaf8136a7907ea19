#include "VelSmsTable.h"

#include <CeMapi.h>

#include <new>

#include "VelMapiTable.h"
#include "VelSmsItem.h"
#include "VelSmsStore.h"

namespace {

// A row whose message cannot be opened is passed over, so that it does not
// end the load with the messages after it.
VelMapiMessage* NextOpenable(VelMapiTable* table)
{
    if (!table)
        return NULL;
    for (;;) {
        bool atEnd = true;
        VelMapiMessage* message = table->NextMessage(&atEnd);
        if (message || atEnd)
            return message;
    }
}

}  // namespace

VelSmsTable::VelSmsTable()
    : m_received(VelMapiTable::Create(OpenSmsFolder(kSmsReceived))),
      m_sent(VelMapiTable::Create(OpenSmsFolder(kSmsSent))), m_nextReceived(NextOpenable(m_received)),
      m_nextSent(NextOpenable(m_sent))
{
}

VelSmsTable::~VelSmsTable()
{
    delete m_nextReceived;
    delete m_nextSent;
    delete m_received;
    delete m_sent;
}

VelMapiMessage* VelSmsTable::NextMessage()
{
    if (!m_nextReceived)
        m_nextReceived = NextOpenable(m_received);
    if (!m_nextSent)
        m_nextSent = NextOpenable(m_sent);
    VelMapiMessage* received = m_nextReceived;
    VelMapiMessage* sent = m_nextSent;
    if (!received || !sent) {
        m_nextReceived = m_nextSent = NULL;
        return received ? received : sent;
    }
    // On equal times the sent message comes first.
    if (sent->GetDeliveryTime().IsEarlier(received->GetDeliveryTime())) {
        m_nextReceived = NULL;
        return received;
    }
    m_nextSent = NULL;
    return sent;
}

VelDataItem* VelSmsTable::GetEntry()
{
    VelMapiMessage* message = NextMessage();
    return message ? new (std::nothrow) VelSmsItem(message) : NULL;
}

int32_t VelSmsTable::GetCount()
{
    return static_cast<int32_t>((m_received ? m_received->GetRowCount() : 0) + (m_sent ? m_sent->GetRowCount() : 0));
}

bool VelSmsTable::Seek(int32_t, int) { return false; }
