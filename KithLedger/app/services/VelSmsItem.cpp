#include "VelSmsItem.h"

#include <CeMapi.h>

#include <cwctype>
#include <memory>

#include "VelComRef.h"
#include "VelSmsStore.h"

namespace {

std::wstring Blanked(std::wstring text)
{
    for (wchar_t& c : text) {
        if (iswspace(c))
            c = L' ';
    }
    return text;
}

std::vector<VelSmsItem::Recipient> RecipientsOf(ICeMessage* message)
{
    std::vector<VelSmsItem::Recipient> recipients;
    VelComRef<ICeMapiTable> table;
    if (!message || FAILED(message->GetRecipientTable(0, table.Receive())) || !table)
        return recipients;
    ULONG count = 0;
    if (FAILED(table->GetRowCount(0, &count)))
        count = 0;
    for (ULONG i = 0; i < count; ++i) {
        VelSmsItem::Recipient recipient;
        MapiRowSet* rows = NULL;
        if (SUCCEEDED(table->QueryRows(1, 0, &rows)) && rows) {
            for (ULONG r = 0; r < rows->cRows; ++r) {
                for (ULONG v = 0; v < rows->aRow[r].cValues; ++v) {
                    const MapiPropValue& value = rows->aRow[r].lpProps[v];
                    if (value.ulPropTag == kMapiTagDisplayName && value.Value.lpszW)
                        recipient.name = value.Value.lpszW;
                    else if (value.ulPropTag == kMapiTagAddress && value.Value.lpszW)
                        recipient.address = value.Value.lpszW;
                }
            }
            FreeProws(rows);
        }
        recipients.push_back(recipient);
    }
    return recipients;
}

std::wstring Text(ICeMessage* message, ULONG tag)
{
    std::wstring text;
    ReadMapiText(message, tag, &text);
    return text;
}

}  // namespace

VelSmsItem::VelSmsItem(VelMapiMessage* message) : m_sent(false), m_unreadWhenRead(false)
{
    std::unique_ptr<VelMapiMessage> owned(message);
    if (!message)
        return;
    ICeMessage* platform = message->GetMessage();
    m_entryId = message->GetEntryId();
    m_text = Blanked(Text(platform, kMapiTagSubject));
    m_senderName = Text(platform, kMapiTagSenderName);
    m_senderAddress = Text(platform, kMapiTagSenderAddress);
    m_recipients = RecipientsOf(platform);
    m_deliveryTime = message->GetDeliveryTime();
    VelEntryId parent;
    ReadMapiBinary(platform, kMapiTagParentEntryId, &parent);
    m_sent = !parent.empty() && parent == GetCachedSmsFolderId(kSmsSent);
    // As IsUnread reads it: without flags a message reads as read.
    ULONG flags = 0xFFFFFFFF;
    ReadMapiLong(platform, kMapiTagMessageFlags, &flags);
    m_unreadWhenRead = (flags & kMapiMessageRead) == 0;
}

bool VelSmsItem::IsUnread() const
{
    std::unique_ptr<VelMapiMessage> message(OpenMessageById(m_entryId));
    if (!message)
        return false;
    // Without flags a message reads as read.
    ULONG flags = 0xFFFFFFFF;
    ReadMapiLong(message->GetMessage(), kMapiTagMessageFlags, &flags);
    return (flags & kMapiMessageRead) == 0;
}

bool VelSmsItem::SetUnread(bool unread)
{
    std::unique_ptr<VelMapiMessage> message(OpenMessageById(m_entryId));
    if (!message)
        return false;
    // A message without flags starts from none: all ones would claim every
    // other state bit too.
    ULONG flags = 0;
    ReadMapiLong(message->GetMessage(), kMapiTagMessageFlags, &flags);
    flags = unread ? (flags & ~kMapiMessageRead) : (flags | kMapiMessageRead);
    MapiPropValue value = {};
    value.ulPropTag = kMapiTagMessageFlags;
    value.Value.ul = flags;
    return SUCCEEDED(message->GetMessage()->SetProps(1, &value, NULL));
}
