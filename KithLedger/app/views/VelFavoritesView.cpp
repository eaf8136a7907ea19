#include "VelFavoritesView.h"

#include "VelContactListView.h"
#include "VelKlResourceIds.h"

#include <memory>

namespace {

const UINT kHeaderFormat = 0x8020;

constexpr VelListTabView::Look kLook = {
    kStrFavoritesTab,
    {kImageFavoritesTab, kImageFavoritesTabSelected, kImageFavoritesTabHighlighted},
    kStrFavoritesTitle,
    VelListTabView::kNoButton,
    {VelFavoritesView::kMenuButtonId, kImageListMenu, kImageListMenuPressed},
};

std::unique_ptr<VelListGrouping> MakeFavoritesGrouping()
{
    std::unique_ptr<VelListGrouping> grouping(new VelListGrouping);
    grouping->keys = FavoritesGroupKey;
    grouping->itemComparator = CompareFavoriteNames;
    grouping->createHeader = CreateFavoritesHeader;
    return grouping;
}

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
    : VelListTabView(kViewId, kPageId, kLook, MakeFavoritesGrouping(), parent, name)
{
}

VelFavoritesView::~VelFavoritesView() = default;

const wchar_t* VelFavoritesView::GetClassName() const { return L"VelFavoritesView"; }

VelContactListViewItem* VelFavoritesView::FindContactRow(int32_t id) const { return FindContactRowIn(GetList(), id); }

void VelFavoritesView::SetUpList(VelListView& list)
{
    list.SetSelectionMode(true, true);
    list.SetHighlightEnabled(true);
    list.SetHideEmptyGroups(false);
    list.SetLayoutDirty(true);
    list.InvalidateRect(VelRect());
    if (VelGroupItem* fallback = list.GetDefaultGroup()) {
        fallback->SetVisible(false);
        list.SetLayoutDirty(true);
        list.InvalidateRect(VelRect());
    }
    // Otherwise the hidden header would come back as soon as it holds a row.
    list.SetGroupsFollowChildren(false);
    list.SetScrollbarVisible(true);
    list.SetGrouping(GetGrouping());
}
