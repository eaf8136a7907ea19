#include "VelCallListView.h"

#include "VelBitmap.h"
#include "VelCallListViewItem.h"
#include "VelDateGroupItem.h"
#include "VelDateTime.h"
#include "VelDetailItem.h"
#include "VelKlResourceIds.h"
#include "VelKlTheme.h"
#include "VelListLoader.h"
#include "VelLocalizedStrings.h"
#include "VelProgressWindowLess.h"
#include "VelScreenMetrics.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"

#include <cstdlib>
#include <cwchar>

namespace {

const wchar_t kKeyFormat[] = L"%Y-%m-%d %H:%M:%S";

// A number of the key, or 0 when the key is too short to hold it.
int KeyField(const std::wstring& key, size_t at, size_t length)
{
    if (key.size() < at + length)
        return 0;
    return static_cast<int>(_wtol(key.substr(at, length).c_str()));
}

}  // namespace

std::vector<std::pair<std::wstring, std::wstring>> VelCallListView::GroupKey(const VelItem* row)
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

VelGroupItem* VelCallListView::CreateGroupItem(const std::wstring& label, const std::wstring& key)
{
    VelDateTime date(0, 0, 0);
    date.Set(KeyField(key, 0, 4), KeyField(key, 5, 2), KeyField(key, 8, 2), KeyField(key, 11, 2),
             KeyField(key, 14, 2), KeyField(key, 17, 2));
    return new VelDateGroupItem(label, key, date.ToSystemTime());
}

VelCallListView::VelCallListView(VelObject* parent, const std::string& name)
    : VelKlView(kViewId, kStyleTitleBar | kStyleList, parent, name), VelTabPage(kPageId),
      m_grouping(new VelListGrouping), m_filterIndex(0), m_loading(0), m_image(nullptr), m_selectedImage(nullptr),
      m_highlightedImage(nullptr), m_baseCaption(LoadLocalizedString(kStrCallsTab))
{
    m_caption = m_baseCaption;
    RaiseChanged();
    m_image = CurrentThemeImage(kImageCallsTab);
    m_selectedImage = CurrentThemeImage(kImageCallsTabSelected);
    m_highlightedImage = CurrentThemeImage(kImageCallsTabHighlighted);
    SizeTitleBarForTab();

    m_grouping->keys = GroupKey;
    m_grouping->groupComparator = CompareGroupsByDate;
    m_grouping->itemComparator = CompareItemsByDate;
    m_grouping->createHeader = CreateGroupItem;

    struct FilterRow {
        unsigned title;
        UINT image, selectedImage, highlightedImage;
        VelListView::Predicate predicate;
    };
    const FilterRow rows[] = {
        {kStrAllCalls, kImageCallsTab, kImageCallsTabSelected, kImageCallsTabHighlighted, nullptr},
        {kStrOutgoingCalls, kImageOutgoingTab, kImageOutgoingTabSelected, kImageOutgoingTabHighlighted, IsOutgoingCall},
        {kStrIncomingCalls, kImageIncomingTab, kImageIncomingTabSelected, kImageIncomingTabHighlighted, IsIncomingCall},
        {kStrMissedCalls, kImageMissedTab, kImageMissedTabSelected, kImageMissedTabHighlighted, IsMissedCall},
    };
    for (const FilterRow& row : rows)
        m_filters.push_back(FilterRecord{m_baseCaption, LoadLocalizedString(row.title), CurrentThemeImage(row.image),
                                         CurrentThemeImage(row.selectedImage), CurrentThemeImage(row.highlightedImage),
                                         row.predicate});
}

VelCallListView::~VelCallListView() = default;

const wchar_t* VelCallListView::GetClassName() const { return L"VelCallListView"; }

const std::wstring& VelCallListView::GetText() const { return m_caption; }

void VelCallListView::Create(VelObject* sender, const VelCreateEventArgs* args)
{
    VelKlView::Create(sender, args);
    SetTitleBar(LoadLocalizedString(kStrAllCalls), -1, 0, 0, -1, 0, 0);
    if (VelListView* list = GetList()) {
        list->SetGrouping(m_grouping.get());
        list->SetHighlightEnabled(true);
        list->SetScrollbarVisible(true);
    }
}

void VelCallListView::ClearList()
{
    if (VelListView* list = GetList()) {
        list->RemoveAllItems();
        list->RemoveAllGroups();
    }
    m_loading = 0;
}

bool VelCallListView::IsLoading() const { return m_loading != 0; }

void VelCallListView::SetLoading(bool loading) { m_loading = loading ? 1 : 0; }

void VelCallListView::ApplyTag(VelTabBar* tabBar, const RECT& pageRect)
{
    CreateWithClassName(0, pageRect, kVelStyleClipToAncestors, tabBar);
    VelTabPage::ApplyTag(tabBar, pageRect);
}

void VelCallListView::SetActive(bool active)
{
    if (active == IsActive()) {
        // A tap on the tab that is already current; a page that is told again
        // that it is not current keeps its filter.
        if (!active)
            return;
        m_filterIndex = static_cast<int>((static_cast<unsigned>(m_filterIndex) + 1) % m_filters.size());
        const FilterRecord& record = m_filters[static_cast<size_t>(m_filterIndex)];
        SetCaption(record.caption);
        SetTitle(record.title);
        SetImage(record.image);
        SetHighlightedImage(record.highlightedImage);
        SetSelectedImage(record.selectedImage);
        SetListFilter(record.predicate, true);
        RaiseChanged();
        return;
    }
    VelTabPage::SetActive(active);
    ShowAsTab(active);
}

void VelCallListView::UpdateCaption(int count) { ShowCountOnTab(*this, m_baseCaption, count); }

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

const std::wstring& VelCallListView::GetCaption() const { return GetText(); }

void VelCallListView::SetCaption(const std::wstring& caption)
{
    m_caption = caption;
    RaiseChanged();
}

VelBitmap* VelCallListView::GetImage() const { return m_image; }
void VelCallListView::SetImage(VelBitmap* image) { m_image = image; }
VelBitmap* VelCallListView::GetSelectedImage() const { return m_selectedImage; }
void VelCallListView::SetSelectedImage(VelBitmap* image) { m_selectedImage = image; }
VelBitmap* VelCallListView::GetHighlightedImage() const { return m_highlightedImage; }
void VelCallListView::SetHighlightedImage(VelBitmap* image) { m_highlightedImage = image; }
