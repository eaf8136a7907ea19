#include "VelCallListViewItem.h"

#include "VelBitmap.h"
#include "VelCallItem.h"
#include "VelCanvas.h"
#include "VelKlResourceIds.h"
#include "VelKlTheme.h"
#include "VelThemeLibrary.h"

namespace {

const int kTopMargin = 4;
const int kCentreLift = 2;
const UINT kTextFormat = DT_SINGLELINE | DT_END_ELLIPSIS;
const UINT kTimeFormat = DT_CENTER | DT_SINGLELINE;

const VelCallItem* CallOf(const VelItem* row)
{
    const VelCallListViewItem* item = dynamic_cast<const VelCallListViewItem*>(row);
    return item ? item->GetCall() : nullptr;
}

bool Missed(const VelCallItem& call) { return (call.GetCallFlags() & VelCallItem::kMissed) != 0; }

}  // namespace

bool IsOutgoingCall(const VelItem* row)
{
    const VelCallItem* call = CallOf(row);
    return call && !Missed(*call) && call->IsOutgoing();
}

bool IsIncomingCall(const VelItem* row)
{
    const VelCallItem* call = CallOf(row);
    return call && !Missed(*call) && !call->IsOutgoing();
}

bool IsMissedCall(const VelItem* row)
{
    const VelCallItem* call = CallOf(row);
    return call && Missed(*call);
}

VelCallListViewItem::VelCallListViewItem(VelCallItem* call) : VelDatedItem(std::wstring(), 0, true), m_call(call)
{
    if (!m_call)
        return;
    m_timeLabel = TimeLabel(m_call->GetStart());
}

VelCallListViewItem::~VelCallListViewItem() = default;

const wchar_t* VelCallListViewItem::GetClassName() const { return L"VelCallListViewItem"; }

const VelDateTime* VelCallListViewItem::GetDate() const { return m_call ? &m_call->GetStart() : nullptr; }

int VelCallListViewItem::Measure(VelCanvas* canvas)
{
    VelKlTheme* theme = GetCurrentTheme();
    return 2 * kTopMargin + LineHeight(canvas, theme->GetMediumFont()) + LineHeight(canvas, theme->GetTinyFont()) - 1;
}

void VelCallListViewItem::PaintContent(VelCanvas* canvas, const RECT& rect)
{
    if (!m_call)
        return;
    VelKlTheme* theme = GetCurrentTheme();
    const VelKlThemeMetrics& metrics = VelKlTheme::GetMetrics();
    const int height = rect.bottom - rect.top;
    const SIZE column = TimeColumn(canvas, theme->GetSmallFont());

    canvas->SaveState();
    canvas->SetOpaque(false);
    canvas->SetFont(theme->GetMediumFont());

    UINT imageId = kImageIncomingIcon;
    VelColor color;
    if (Missed(*m_call)) {
        imageId = kImageMissedIcon;
        theme->GetMissedCallColor(color);
    } else if (m_call->IsOutgoing()) {
        imageId = kImageOutgoingIcon;
        theme->GetOutgoingCallColor(color);
    } else {
        theme->GetIncomingCallColor(color);
    }
    if (VelBitmap* icon = theme->GetImage(imageId))
        canvas->DrawBitmap(
            *icon, VelPoint(rect.left + metrics.GetRowIconMargin(), rect.top + height / 2 - icon->GetHeight() / 2),
            SRCCOPY);

    canvas->SetTextColor(color);
    canvas->SetTextFormat(kTextFormat);
    const int h1 = LineHeight(canvas, theme->GetMediumFont());
    const int x = rect.left + metrics.GetRowTextLeft();
    const int width = (rect.right - rect.left) - metrics.GetRowTextLeft() - metrics.GetRowIconMargin() - column.cx;
    const std::wstring& text = m_call->GetDisplayText();
    const std::wstring& number = m_call->GetNumber();
    // A caller known only by the number shows it once.
    if (text.empty() || number.empty() || text == number) {
        canvas->DrawText(text.empty() ? number : text, VelPoint(x, rect.top + height / 2 - h1 / 2 - kCentreLift),
                         SIZE{width, h1});
    } else {
        canvas->DrawText(text, VelPoint(x, rect.top + kTopMargin), SIZE{width, h1});
        canvas->SetFont(theme->GetTinyFont());
        VelColor dim;
        canvas->SetTextColor(theme->GetDimTextColor(dim));
        const int h2 = LineHeight(canvas, theme->GetTinyFont());
        canvas->DrawText(number, VelPoint(x, rect.top + kTopMargin + h1), SIZE{width, h2});
    }

    canvas->SetTextFormat(kTimeFormat);
    canvas->SetFont(theme->GetSmallFont());
    VelColor itemText;
    canvas->SetTextColor(theme->GetItemTextColor(itemText));
    canvas->DrawText(
        m_timeLabel,
        VelPoint(rect.right - metrics.GetRowIconMargin() - column.cx, (rect.bottom - column.cy + rect.top) / 2),
        column);
    canvas->RestoreState();
}

void VelCallListViewItem::PaintOverlay(VelCanvas*, const RECT&) {}

void VelCallListViewItem::PaintState(VelCanvas*, const RECT&) {}
