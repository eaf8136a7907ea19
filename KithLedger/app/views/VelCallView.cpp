#include "VelCallView.h"

#include "VelCallItem.h"
#include "VelDateTime.h"
#include "VelDetailItem.h"
#include "VelGroupItem.h"
#include "VelKlResourceIds.h"
#include "VelLocalizedStrings.h"
#include "VelPhoneCall.h"
#include "VelToolbarItem.h"

#include <iomanip>
#include <sstream>

namespace {

const DWORD kViewStyle = VelKlView::kStyleTitleBar | VelKlView::kStyleList;
const wchar_t kDateFormat[] = L"%Y/%m/%d %H:%M";
const int64_t kSecondsPerDay = 86400;
const int64_t kSecondsPerHour = 3600;
const int64_t kSecondsPerMinute = 60;

bool SameCall(const VelCallItem& a, const VelCallItem& b)
{
    return a.GetStart() == b.GetStart() && a.GetEnd() == b.GetEnd() && a.GetNumber() == b.GetNumber() &&
           a.GetDisplayText() == b.GetDisplayText() && a.IsOutgoing() == b.IsOutgoing() &&
           a.GetCallFlags() == b.GetCallFlags();
}

void TwoDigits(std::wostringstream& out, int64_t value, wchar_t fill)
{
    out << std::setw(2) << std::setfill(fill) << value << std::setfill(L' ');
}

}  // namespace

VelCallView::VelCallView(VelObject* parent, const std::string& name) : VelKlView(kViewId, kViewStyle, parent, name)
{
    TitleButtonClicked.Connect(this, &VelCallView::OnCommand);
}

VelCallView::~VelCallView() = default;

const wchar_t* VelCallView::GetClassName() const { return L"VelCallView"; }

void VelCallView::Create(VelObject* sender, const VelCreateEventArgs* args)
{
    VelKlView::Create(sender, args);
    SetTitleBar(LoadLocalizedString(kStrCallTitle), kBackButtonId, kImageBack, kImageBackPressed, kDialButtonId,
                kImageDial, kImageDialPressed);
    VelListView* list = GetList();
    if (!list)
        return;
    list->SetHideEmptyGroups(false);
    list->SetLayoutDirty(true);
    list->InvalidateRect(VelRect());
    // The rows stand alone: the default group's header would otherwise come
    // back with the first row.
    list->SetGroupsFollowChildren(false);
    if (VelGroupItem* group = list->GetDefaultGroup())
        group->SetVisible(false);
    list->SetLayoutDirty(true);
    list->InvalidateRect(VelRect());
    // A call shown before the window existed.
    AddRows();
}

void VelCallView::ShowCall(const VelCallItem* call)
{
    if (call && m_call && SameCall(*call, *m_call))
        return;
    if (!call && !m_call)
        return;
    if (VelListView* list = GetList())
        list->RemoveAllItems();
    m_call.reset(call ? new VelCallItem(*call) : nullptr);
    AddRows();
}

void VelCallView::AddRows()
{
    VelListView* list = GetList();
    if (!m_call || !list)
        return;
    const std::wstring& who = m_call->GetDisplayText();
    const std::wstring& number = m_call->GetNumber();
    const std::wstring rows[] = {
        who.empty() ? LoadLocalizedString(kStrCallNoDisplayText) : who,
        LoadLocalizedString(m_call->IsOutgoing() ? kStrOutgoingCall : kStrIncomingCall),
        number,
        FormatDateTime(m_call->GetStart(), kDateFormat),
        FormatDuration(TicksToSeconds(VelDateTime::Subtract(m_call->GetEnd(), m_call->GetStart()))),
    };
    for (const std::wstring& text : rows) {
        // A withheld number leaves its row empty, and a caller known only by
        // the number already shows it in the first row.
        if (&text == &rows[2] && (number.empty() || number == rows[0]))
            continue;
        list->AddItem(new VelDetailItem(text, -1));
    }
}

void VelCallView::OnCommand(VelToolbar*, VelToolbarItem* item)
{
    if (!item || item->GetId() != kDialButtonId || !m_call)
        return;
    PlaceCall(m_call->GetNumber(), m_call->GetDisplayText());
}

std::wstring VelCallView::FormatDuration(int64_t seconds)
{
    if (seconds < 0)
        return LoadLocalizedString(kStrNegativeDuration);
    std::wostringstream out;
    if (seconds < kSecondsPerMinute) {
        out << seconds << L" " << LoadLocalizedString(kStrSeconds);
        return out.str();
    }
    int64_t rest = seconds;
    if (seconds >= kSecondsPerDay) {
        const int64_t days = seconds / kSecondsPerDay;
        rest = seconds - days * kSecondsPerDay;
        out << days << L" " << LoadLocalizedString(kStrDays) << L" ";
        out << std::setw(2) << rest / kSecondsPerHour << L":";
    } else if (seconds >= kSecondsPerHour) {
        out << rest / kSecondsPerHour << L":";
    }
    TwoDigits(out, rest % kSecondsPerHour / kSecondsPerMinute, L'0');
    out << L":";
    TwoDigits(out, rest % kSecondsPerMinute, L'0');
    return out.str();
}
