#include "VelCallListView.h"

#include "VelCallListViewItem.h"
#include "VelDateGroupItem.h"
#include "VelKlResourceIds.h"
#include "VelListLoader.h"
#include "VelProgressWindowLess.h"

namespace {

constexpr VelListTabView::TabImageIds kAllCallsImages = {kImageCallsTab, kImageCallsTabSelected,
                                                         kImageCallsTabHighlighted};

constexpr VelListTabView::Look kLook = {
    kStrCallsTab, kAllCallsImages, kStrAllCalls, VelListTabView::kNoButton, VelListTabView::kNoButton,
};

}  // namespace

VelCallListView::VelCallListView(VelObject* parent, const std::string& name)
    : VelListTabView(kViewId, kPageId, kLook, MakeDateGrouping(), parent, name), m_filterIndex(0)
{
    struct FilterRow {
        unsigned title;
        TabImageIds images;
        VelListView::Predicate predicate;
    };
    const FilterRow rows[] = {
        {kStrAllCalls, kAllCallsImages, nullptr},
        {kStrOutgoingCalls,
         {kImageOutgoingTab, kImageOutgoingTabSelected, kImageOutgoingTabHighlighted},
         IsOutgoingCall},
        {kStrIncomingCalls,
         {kImageIncomingTab, kImageIncomingTabSelected, kImageIncomingTabHighlighted},
         IsIncomingCall},
        {kStrMissedCalls, {kImageMissedTab, kImageMissedTabSelected, kImageMissedTabHighlighted}, IsMissedCall},
    };
    for (const FilterRow& row : rows)
        m_filters.push_back(FilterRecord{LoadTabLook(row.title, row.images), row.predicate});
}

std::vector<VelListGrouping::GroupKey> VelCallListView::GroupKey(const VelItem* row) const { return DateGroupKey(row); }

VelGroupItem* VelCallListView::CreateGroupItem(const std::wstring& label, const std::wstring& key) const
{
    return CreateDateGroupItem(label, key);
}

VelCallListView::~VelCallListView() = default;

const wchar_t* VelCallListView::GetClassName() const { return L"VelCallListView"; }

void VelCallListView::OnTabTappedAgain()
{
    m_filterIndex = static_cast<int>((static_cast<unsigned>(m_filterIndex) + 1) % m_filters.size());
    const FilterRecord& record = m_filters[static_cast<size_t>(m_filterIndex)];
    ShowTabLook(record.look);
    SetListFilter(record.predicate, true);
}

void VelCallListView::StartLoad(const VelDateTime*)
{
    if (VelListLoader* loader = VelListLoader::Current())
        loader->StartLoad(VelListKind::kCalls, this, GetList() ? GetList()->GetProgress() : nullptr);
}

void VelCallListView::RequestRefresh(uint32_t code, uint32_t recordId)
{
    if (VelListLoader* loader = VelListLoader::Current())
        loader->PostDataRequest(VelListLoader::kCallLogRequest, this, code, recordId);
}
