#include "VelFavoritesView.h"

#include "VelBitmap.h"
#include "VelContactListView.h"
#include "VelKlResourceIds.h"
#include "VelKlTheme.h"
#include "VelLocalizedStrings.h"
#include "VelScreenMetrics.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"

namespace {

const UINT kHeaderFormat = 0x8020;

}  // namespace

std::vector<std::pair<std::wstring, std::wstring>> FavoritesGroupKey(const VelItem*)
{
    return {{L"Favorites", L"FavoritesGroup"}};
}

VelGroupItem* CreateFavoritesHeader(const std::wstring& label, const std::wstring& key)
{
    VelGroupItem* header = new VelGroupItem(label, key, kHeaderFormat);
    header->SetVisible(false);
    return header;
}

bool CompareFavoriteNames(const VelGroupItem::ItemPtr& a, const VelGroupItem::ItemPtr& b)
{
    return CompareContactNames(a, b);
}

VelFavoritesView::VelFavoritesView(VelObject* parent, const std::string& name)
    : VelKlView(kViewId, kStyleTitleBar | kStyleList, parent, name), VelTabPage(kPageId),
      m_grouping(new VelListGrouping), m_image(CurrentThemeImage(kImageFavoritesTab)),
      m_selectedImage(CurrentThemeImage(kImageFavoritesTabSelected)),
      m_highlightedImage(CurrentThemeImage(kImageFavoritesTabHighlighted)),
      m_caption(LoadLocalizedString(kStrFavoritesTab))
{
    m_grouping->keys = FavoritesGroupKey;
    m_grouping->itemComparator = CompareFavoriteNames;
    m_grouping->createHeader = CreateFavoritesHeader;
    SizeTitleBarForTab();
}

VelFavoritesView::~VelFavoritesView() = default;

const wchar_t* VelFavoritesView::GetClassName() const { return L"VelFavoritesView"; }

const std::wstring& VelFavoritesView::GetText() const { return m_caption; }

void VelFavoritesView::Create(VelObject* sender, const VelCreateEventArgs* args)
{
    VelKlView::Create(sender, args);
    SetTitleBar(LoadLocalizedString(kStrFavoritesTitle), -1, 0, 0, kMenuButtonId, kImageListMenu,
                kImageListMenuPressed);
    VelListView* list = GetList();
    if (!list)
        return;
    list->SetSelectionMode(true, true);
    list->SetHighlightEnabled(true);
    list->SetHideEmptyGroups(false);
    list->SetLayoutDirty(true);
    list->InvalidateRect(VelRect());
    if (VelGroupItem* fallback = list->GetDefaultGroup()) {
        fallback->SetVisible(false);
        list->SetLayoutDirty(true);
        list->InvalidateRect(VelRect());
    }
    // Otherwise the hidden header would come back as soon as it holds a row.
    list->SetGroupsFollowChildren(false);
    list->SetScrollbarVisible(true);
    list->SetGrouping(m_grouping.get());
}

void VelFavoritesView::ApplyTag(VelTabBar* tabBar, const RECT& pageRect)
{
    CreateWithClassName(0, pageRect, kVelStyleClipToAncestors, tabBar);
    VelTabPage::ApplyTag(tabBar, pageRect);
}

void VelFavoritesView::SetActive(bool active)
{
    VelTabPage::SetActive(active);
    ShowAsTab(active);
}

const std::wstring& VelFavoritesView::GetCaption() const { return GetText(); }
void VelFavoritesView::SetCaption(const std::wstring& caption) { m_caption = caption; }
VelBitmap* VelFavoritesView::GetImage() const { return m_image; }
void VelFavoritesView::SetImage(VelBitmap* image) { m_image = image; }
VelBitmap* VelFavoritesView::GetSelectedImage() const { return m_selectedImage; }
void VelFavoritesView::SetSelectedImage(VelBitmap* image) { m_selectedImage = image; }
VelBitmap* VelFavoritesView::GetHighlightedImage() const { return m_highlightedImage; }
void VelFavoritesView::SetHighlightedImage(VelBitmap* image) { m_highlightedImage = image; }
