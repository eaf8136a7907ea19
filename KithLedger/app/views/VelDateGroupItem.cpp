#include "VelDateGroupItem.h"

#include "VelDateTime.h"
#include "VelDatedItem.h"
#include "VelDetailItem.h"
#include "VelListView.h"

#include <cstdlib>

namespace {

const UINT kHeaderFormat = 32800;

const wchar_t kKeyFormat[] = L"%Y-%m-%d %H:%M:%S";

// A number of the key, or 0 when the key is too short to hold it.
int KeyField(const std::wstring& key, size_t at, size_t length)
{
    if (key.size() < at + length)
        return 0;
    return static_cast<int>(_wtol(key.substr(at, length).c_str()));
}

}  // namespace

VelDateGroupItem::VelDateGroupItem(const std::wstring& text, const std::wstring& key, const SYSTEMTIME& date)
    : VelGroupItem(text, key, kHeaderFormat), m_date(date)
{
}

VelDateGroupItem::~VelDateGroupItem() {}

const SYSTEMTIME& VelDateGroupItem::GetDate() const { return m_date; }

bool CompareGroupsByDate(const VelGridView::GroupPtr& first, const VelGridView::GroupPtr& second)
{
    const VelDateGroupItem* a = dynamic_cast<const VelDateGroupItem*>(first.get());
    const VelDateGroupItem* b = dynamic_cast<const VelDateGroupItem*>(second.get());
    if (!a || !b)
        return a && !b;
    return VelDateTime(b->GetDate()).IsEarlier(VelDateTime(a->GetDate()));
}

std::vector<std::pair<std::wstring, std::wstring>> DateGroupKey(const VelItem* row)
{
    const VelDatedItem* dated = dynamic_cast<const VelDatedItem*>(row);
    const VelDateTime* date = dated ? dated->GetDate() : nullptr;
    if (!date)
        return {};
    const VelDateTime start(*date);
    std::wstring label = GetRelativeDateLabel(start);
    if (label.empty())
        return {};
    return {{label, FormatDateTime(start, kKeyFormat)}};
}

VelGroupItem* CreateDateGroupItem(const std::wstring& label, const std::wstring& key)
{
    VelDateTime date(0, 0, 0);
    date.Set(KeyField(key, 0, 4), KeyField(key, 5, 2), KeyField(key, 8, 2), KeyField(key, 11, 2), KeyField(key, 14, 2),
             KeyField(key, 17, 2));
    return new VelDateGroupItem(label, key, date.ToSystemTime());
}

std::unique_ptr<VelListGrouping> MakeDateGrouping()
{
    std::unique_ptr<VelListGrouping> grouping(new VelListGrouping);
    grouping->keys = DateGroupKey;
    grouping->groupComparator = CompareGroupsByDate;
    grouping->itemComparator = CompareItemsByDate;
    grouping->createHeader = CreateDateGroupItem;
    return grouping;
}
