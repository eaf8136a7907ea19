#pragma once
#include "VelKlView.h"
#include "VelTabPage.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class VelBitmap;

// The favourites tab: the favourite contacts' rows in one alphabetical list
// whose only group header stays hidden. A tap on the tab while it is current
// changes nothing.
class VelFavoritesView : public VelKlView, public VelTabPage {
public:
    enum : int { kViewId = 0, kPageId = 0 };
    enum : int { kMenuButtonId = 12 };

    VelFavoritesView(VelObject* parent, const std::string& name);
    ~VelFavoritesView() override;

    const wchar_t* GetClassName() const override;
    const std::wstring& GetText() const override;
    void Create(VelObject* sender, const VelCreateEventArgs* args) override;

    void ApplyTag(VelTabBar* tabBar, const RECT& pageRect) override;
    void SetActive(bool active) override;
    const std::wstring& GetCaption() const override;
    void SetCaption(const std::wstring& caption) override;
    VelBitmap* GetImage() const override;
    void SetImage(VelBitmap* image) override;
    VelBitmap* GetSelectedImage() const override;
    void SetSelectedImage(VelBitmap* image) override;
    VelBitmap* GetHighlightedImage() const override;
    void SetHighlightedImage(VelBitmap* image) override;

    VelListGrouping* GetGrouping() const { return m_grouping.get(); }

private:
    std::unique_ptr<VelListGrouping> m_grouping;
    VelBitmap* m_image;
    VelBitmap* m_selectedImage;
    VelBitmap* m_highlightedImage;
    std::wstring m_caption;
};

// Every row goes into the one favourites group.
std::vector<std::pair<std::wstring, std::wstring>> FavoritesGroupKey(const VelItem* row);
// Its header, hidden from the start.
VelGroupItem* CreateFavoritesHeader(const std::wstring& label, const std::wstring& key);
// Rows by display name, ignoring case.
bool CompareFavoriteNames(const VelGroupItem::ItemPtr& a, const VelGroupItem::ItemPtr& b);
