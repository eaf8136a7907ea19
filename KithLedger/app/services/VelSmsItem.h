#pragma once
#include <string>
#include <vector>

#include "VelDataItem.h"
#include "VelDateTime.h"
#include "VelMapiMessage.h"

// One text message as the lists and the message view show it.
class VelSmsItem : public VelDataItem {
public:
    struct Recipient {
        std::wstring name;
        std::wstring address;
    };

    // Takes over the message and closes it once read.
    explicit VelSmsItem(VelMapiMessage* message);

    // Read from the store afresh; false when the message cannot be opened.
    bool IsUnread() const;
    // As the message was when this item was read, without opening it again:
    // for a load that has just read it.
    bool WasUnreadWhenRead() const { return m_unreadWhenRead; }
    // True when the store took the new read state.
    bool SetUnread(bool unread);

    const VelEntryId& GetEntryId() const { return m_entryId; }
    // White space shown as blanks.
    const std::wstring& GetText() const { return m_text; }
    const std::wstring& GetSenderName() const { return m_senderName; }
    const std::wstring& GetSenderAddress() const { return m_senderAddress; }
    const std::vector<Recipient>& GetRecipients() const { return m_recipients; }
    const VelDateTime& GetDeliveryTime() const { return m_deliveryTime; }
    bool IsSent() const { return m_sent; }

private:
    VelEntryId m_entryId;
    std::wstring m_text;
    std::wstring m_senderName;
    std::wstring m_senderAddress;
    std::vector<Recipient> m_recipients;
    VelDateTime m_deliveryTime;
    bool m_sent;
    bool m_unreadWhenRead;
};
