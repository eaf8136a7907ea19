#include "VelCallListView.h"

#include "VelCallListViewItem.h"
#include "VelDateGroupItem.h"
#include "VelListLoader.h"
#include "VelProgressWindowLess.h"

namespace {

enum : unsigned {
    kCaptionString = 118,
    kAllTitle = 112,
    kIncomingTitle = 133,
    kOutgoingTitle = 134,
    kMissedTitle = 135,
};

constexpr VelListTabView::TabImageIds kAllCallsImages = {158, 159, 160};

constexpr VelListTabView::Look kLook = {
    kCaptionString, kAllCallsImages, kAllTitle, VelListTabView::kNoButton, VelListTabView::kNoButton,
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
        {kAllTitle, kAllCallsImages, nullptr},
        {kOutgoingTitle, {200, 202, 201}, IsOutgoingCall},
        {kIncomingTitle, {204, 205, 203}, IsIncomingCall},
        {kMissedTitle, {207, 208, 206}, IsMissedCall},
    };
    for (const FilterRow& row : rows)
        m_filters.push_back(FilterRecord{LoadTabLook(row.title, row.images), row.predicate});
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
        loader->StartLoad(VelListLoader::kCallsLoad, this, GetList() ? GetList()->GetProgress() : nullptr);
}

void VelCallListView::RequestRefresh(uint32_t code, uint32_t recordId)
{
    if (VelListLoader* loader = VelListLoader::Current())
        loader->PostDataRequest(VelListLoader::kCallLogRequest, this, code, recordId);
}
