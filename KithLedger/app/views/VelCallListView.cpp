#include "VelCallListView.h"

#include "VelBitmap.h"
#include "VelCallListViewItem.h"
#include "VelDateGroupItem.h"
#include "VelDateTime.h"
#include "VelDetailItem.h"
#include "VelKlTheme.h"
#include "VelListLoader.h"
#include "VelLocalizedStrings.h"
#include "VelProgressWindowLess.h"
#include "VelScreenMetrics.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"

namespace {

enum : unsigned {
    kCaptionString = 118,
    kAllTitle = 112,
    kIncomingTitle = 133,
    kOutgoingTitle = 134,
    kMissedTitle = 135,
};

}  // namespace

VelCallListView::VelCallListView(VelObject* parent, const std::string& name)
    : VelKlView(kViewId, kStyleTitleBar | kStyleList, parent, name), VelTabPage(kPageId),
      m_grouping(MakeDateGrouping()), m_filterIndex(0), m_loading(0), m_image(nullptr), m_selectedImage(nullptr),
      m_highlightedImage(nullptr), m_baseCaption(LoadLocalizedString(kCaptionString))
{
    m_caption = m_baseCaption;
    RaiseChanged();
    m_image = CurrentThemeImage(158);
    m_selectedImage = CurrentThemeImage(159);
    m_highlightedImage = CurrentThemeImage(160);
    SizeTitleBarForTab();

    struct FilterRow {
        unsigned title;
        UINT image, selectedImage, highlightedImage;
        VelListView::Predicate predicate;
    };
    const FilterRow rows[] = {
        {kAllTitle, 158, 159, 160, nullptr},
        {kOutgoingTitle, 200, 202, 201, IsOutgoingCall},
        {kIncomingTitle, 204, 205, 203, IsIncomingCall},
        {kMissedTitle, 207, 208, 206, IsMissedCall},
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
    SetTitleBar(LoadLocalizedString(kAllTitle), -1, 0, 0, -1, 0, 0);
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
