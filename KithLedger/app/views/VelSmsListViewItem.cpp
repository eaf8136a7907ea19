#include "VelSmsListViewItem.h"

#include "VelBitmap.h"
#include "VelCanvas.h"
#include "VelKlResourceIds.h"
#include "VelKlTheme.h"
#include "VelLocalizedStrings.h"
#include "VelSmsItem.h"
#include "VelThemeLibrary.h"

namespace {

const UINT kTextFormat = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
const UINT kTimeFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

const std::wstring& SentLabel()
{
    static const std::wstring label = LoadLocalizedString(kStrNoRecipientName);
    return label;
}

}  // namespace

VelSmsListViewItem::VelSmsListViewItem(VelSmsItem* message) : VelDatedItem(std::wstring(), 0, true), m_message(message)
{
    SentLabel();
    Refresh();
}

VelSmsListViewItem::~VelSmsListViewItem() = default;

const wchar_t* VelSmsListViewItem::GetClassName() const { return L"VelSmsListViewItem"; }

const VelDateTime* VelSmsListViewItem::GetDate() const { return m_message ? &m_message->GetDeliveryTime() : nullptr; }

bool VelSmsListViewItem::Refresh()
{
    if (!m_message)
        return false;
    m_timeLabel = TimeLabel(m_message->GetDeliveryTime());
    return m_message->IsUnread();
}

std::wstring VelSmsListViewItem::GetSecondLine() const
{
    if (!m_message)
        return std::wstring();
    if (!m_message->IsSent()) {
        const std::wstring& name = m_message->GetSenderName();
        return name.empty() ? m_message->GetSenderAddress() : name;
    }
    // The phone itself sent it: the row says to whom it went.
    const std::vector<VelSmsItem::Recipient>& recipients = m_message->GetRecipients();
    if (recipients.empty() || (recipients.front().name.empty() && recipients.front().address.empty()))
        return SentLabel();
    const VelSmsItem::Recipient& to = recipients.front();
    return to.name.empty() ? to.address : to.name;
}

int VelSmsListViewItem::Measure(VelCanvas* canvas)
{
    VelKlTheme* theme = GetCurrentTheme();
    return VelKlTheme::GetMetrics().GetMessageRowPadding() + LineHeight(canvas, theme->GetMediumFont()) +
           LineHeight(canvas, theme->GetTinyFont()) - 1;
}

void VelSmsListViewItem::PaintContent(VelCanvas* canvas, const RECT& rect)
{
    if (!m_message)
        return;
    VelKlTheme* theme = GetCurrentTheme();
    const bool unread = m_message->IsUnread();
    VelFont* small = unread ? theme->GetSmallBoldFont() : theme->GetSmallFont();
    VelFont* tiny = unread ? theme->GetTinyBoldFont() : theme->GetTinyFont();
    const VelKlThemeMetrics& metrics = VelKlTheme::GetMetrics();
    const SIZE column = TimeColumn(canvas, small);

    canvas->SaveState();
    canvas->SetOpaque(false);

    const bool sent = m_message->IsSent();
    if (VelBitmap* icon = theme->GetImage(sent ? kImageOutgoingIcon : kImageIncomingIcon))
        canvas->DrawBitmap(*icon,
                           VelPoint(rect.left + metrics.GetRowIconMargin(),
                                    rect.top + (rect.bottom - rect.top) / 2 - icon->GetHeight() / 2),
                           SRCCOPY);

    const int x = rect.left + metrics.GetRowTextLeft();
    const int top = rect.top + metrics.GetRowLineMargin();
    const int width = (rect.right - rect.left) - metrics.GetRowTextLeft() - metrics.GetRowIconMargin() - column.cx;
    canvas->SetTextFormat(kTextFormat);
    canvas->SetFont(small);
    VelColor textColor;
    canvas->SetTextColor(sent ? theme->GetSentMessageColor(textColor) : theme->GetReceivedMessageColor(textColor));
    const int h1 = LineHeight(canvas, small);
    canvas->DrawText(m_message->GetText(), VelPoint(x, top), SIZE{width, h1});

    canvas->SetFont(tiny);
    VelColor dim;
    canvas->SetTextColor(theme->GetDimTextColor(dim));
    canvas->DrawText(GetSecondLine(), VelPoint(x, top + h1), SIZE{width, LineHeight(canvas, tiny)});

    canvas->SetTextFormat(kTimeFormat);
    canvas->SetFont(small);
    VelColor itemText;
    canvas->SetTextColor(theme->GetItemTextColor(itemText));
    canvas->DrawText(
        m_timeLabel,
        VelPoint(rect.right - metrics.GetRowIconMargin() - column.cx, (rect.top + rect.bottom - column.cy) / 2),
        column);
    canvas->RestoreState();
}

void VelSmsListViewItem::PaintOverlay(VelCanvas*, const RECT&) {}

void VelSmsListViewItem::PaintState(VelCanvas*, const RECT&) {}
