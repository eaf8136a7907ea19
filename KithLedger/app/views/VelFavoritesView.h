#pragma once
#include "VelListTabView.h"

#include <string>
#include <utility>
#include <vector>

// The favourites tab: the favourite contacts' rows in one alphabetical list
// whose only group header stays hidden. A tap on the tab while it is current
// changes nothing.
class VelFavoritesView : public VelListTabView {
public:
    enum : int { kViewId = 0, kPageId = 0 };
    enum : int { kMenuButtonId = 12 };

    VelFavoritesView(VelObject* parent, const std::string& name);
    ~VelFavoritesView() override;

    const wchar_t* GetClassName() const override;
    VelContactListViewItem* FindContactRow(int32_t id) const override;

protected:
    void SetUpList(VelListView& list) override;
};

// Every row goes into the one favourites group.
std::vector<std::pair<std::wstring, std::wstring>> FavoritesGroupKey(const VelItem* row);
// Its header, hidden from the start.
VelGroupItem* CreateFavoritesHeader(const std::wstring& label, const std::wstring& key);
// Rows by display name, ignoring case.
bool CompareFavoriteNames(const VelGroupItem::ItemPtr& a, const VelGroupItem::ItemPtr& b);
