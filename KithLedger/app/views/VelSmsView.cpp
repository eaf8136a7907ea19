#include "VelSmsView.h"

#include "VelDateTime.h"
#include "VelDetailItem.h"
#include "VelGroupItem.h"
#include "VelKlResourceIds.h"
#include "VelLocalizedStrings.h"
#include "VelSmsComposer.h"
#include "VelSmsItem.h"
#include "VelSmsTextItem.h"
#include "VelToolbarItem.h"

namespace {

const int kViewId = 3;
const DWORD kViewStyle = VelKlView::kStyleList | VelKlView::kStyleTitleBar;
const wchar_t kDateFormat[] = L"%Y/%m/%d %H:%M";
const wchar_t kRecipientSeparator[] = L";";

// The row's text for one recipient: a name that adds something comes first,
// quoted.
std::wstring RecipientText(const VelSmsItem::Recipient& recipient)
{
    if (recipient.name.empty() || recipient.name == recipient.address)
        return recipient.address;
    return L"\"" + recipient.name + L"\" " + recipient.address;
}

}  // namespace

VelSmsView::VelSmsView(VelObject* parent, const std::string& name) : VelKlView(kViewId, kViewStyle, parent, name)
{
    TitleButtonClicked.Connect(this, &VelSmsView::Reply);
}

VelSmsView::~VelSmsView()
{
    // The rows go with the window, before the copy they were made from.
    Destroy();
}

const wchar_t* VelSmsView::GetClassName() const { return L"VelSmsView"; }

void VelSmsView::Create(VelObject* sender, const VelCreateEventArgs* args)
{
    VelKlView::Create(sender, args);
    SetTitleBar(LoadLocalizedString(kStrMessageTitle), kBackButtonId, kImageBack, kImageBackPressed, kReplyButtonId,
                kImageReply, kImageReplyPressed);
    if (VelListView* list = GetList()) {
        list->SetHideEmptyGroups(false);
        RefreshList();
    }
}

void VelSmsView::RefreshList()
{
    VelListView* list = GetList();
    if (!list)
        return;
    // The rows stand alone: no header above them.
    if (VelGroupItem* group = list->GetDefaultGroup())
        group->SetVisible(false);
    list->SetLayoutDirty(true);
    list->InvalidateRect(VelRect());
}

void VelSmsView::ShowMessage(const VelSmsItem* message)
{
    // The same message may come as another row object after a reload: the
    // entry decides, not the address.
    if (message == m_message.get() ||
        (message && m_message && !message->GetEntryId().empty() && message->GetEntryId() == m_message->GetEntryId()))
        return;
    VelListView* list = GetList();
    if (list)
        list->RemoveAllItems();
    m_message.reset(message ? new VelSmsItem(*message) : nullptr);
    if (!m_message) {
        RefreshList();
        InvalidateRect(VelRect());
        return;
    }
    if (m_message->IsUnread())
        m_message->SetUnread(false);
    if (list) {
        list->AddItem(new VelSmsTextItem(m_message->GetText(), GetBounds().GetWidth()));
        if (!m_message->IsSent()) {
            const std::wstring& name = m_message->GetSenderName();
            const std::wstring& address = m_message->GetSenderAddress();
            if (!name.empty() && name != address)
                list->AddItem(new VelDetailItem(name, -1));
            if (!address.empty())
                list->AddItem(new VelDetailItem(address, -1));
        } else {
            for (const VelSmsItem::Recipient& recipient : m_message->GetRecipients())
                list->AddItem(new VelDetailItem(RecipientText(recipient), -1));
        }
        list->AddItem(new VelDetailItem(FormatDateTime(m_message->GetDeliveryTime(), kDateFormat), -1));
    }
    RefreshList();
    InvalidateRect(VelRect());
}

void VelSmsView::Reply(VelToolbar*, VelToolbarItem* item)
{
    if (!item || item->GetId() != kReplyButtonId || !m_message)
        return;
    if (!m_message->IsSent()) {
        const std::wstring& address = m_message->GetSenderAddress();
        StartSmsComposer(address.empty() ? m_message->GetSenderName() : address);
        return;
    }
    std::wstring recipients;
    for (const VelSmsItem::Recipient& recipient : m_message->GetRecipients()) {
        if (!recipients.empty())
            recipients += kRecipientSeparator;
        recipients += FormatSmsRecipient(recipient.address, recipient.name);
    }
    StartSmsComposer(recipients);
}
