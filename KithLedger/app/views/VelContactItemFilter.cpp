#include "VelContactItemFilter.h"

#include "VelContactItem.h"
#include "VelContactListViewItem.h"
#include "VelTextSearch.h"

#include <utility>

VelContactItemFilter::VelContactItemFilter(std::vector<std::wstring> typedKeys) : m_keys(std::move(typedKeys)) {}

bool VelContactItemFilter::operator()(const VelItem* item) const
{
    const VelContactListViewItem* found = dynamic_cast<const VelContactListViewItem*>(item);
    if (!found || !found->GetContact())
        return m_keys.empty();
    // The list hands rows over read-only, yet the match belongs on the row it
    // owns: the row paints it.
    VelContactListViewItem* row = const_cast<VelContactListViewItem*>(found);
    const int length = static_cast<int>(m_keys.size());
    if (m_keys.empty()) {
        row->SetMatch(VelContactListViewItem::kMatchNone, 0, 0);
        return true;
    }
    size_t at = 0;
    if (FindNoCase(row->GetContact()->GetDisplayNameText(), m_keys, &at)) {
        row->SetMatch(VelContactListViewItem::kMatchName, static_cast<int>(at), length);
        return true;
    }
    if (FindNoCase(row->GetContact()->GetPrimaryNumberText(), m_keys, &at)) {
        row->SetMatch(VelContactListViewItem::kMatchNumber, static_cast<int>(at), length);
        return true;
    }
    row->SetMatch(VelContactListViewItem::kMatchNone, 0, 0);
    return false;
}
