#include "VelDateGroupItem.h"

#include "VelDateTime.h"

namespace {

const UINT kHeaderFormat = 32800;

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
