#include "VelListTabView.h"

#include "VelLocalizedStrings.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"

#include <utility>

VelListTabView::VelListTabView(int viewId, int pageId, const Look& look, std::unique_ptr<VelListGrouping> grouping,
                               VelObject* parent, const std::string& name)
    : VelKlView(viewId, kStyleTitleBar | kStyleList, parent, name),
      VelTabPage(pageId, LoadLocalizedString(look.captionId), CurrentThemeImage(look.tabImages.image),
                 CurrentThemeImage(look.tabImages.selectedImage), CurrentThemeImage(look.tabImages.highlightedImage)),
      m_look(look), m_baseCaption(GetCaption()), m_grouping(std::move(grouping)), m_loading(false)
{
    SizeTitleBarForTab();
}

VelListTabView::~VelListTabView() = default;

VelContactListViewItem* VelListTabView::FindContactRow(int32_t) const { return nullptr; }

VelSmsListViewItem* VelListTabView::FindSmsRow(const std::vector<BYTE>&) const { return nullptr; }

const std::wstring& VelListTabView::GetText() const { return GetCaption(); }

void VelListTabView::Create(VelObject* sender, const VelCreateEventArgs* args)
{
    VelKlView::Create(sender, args);
    const TitleButton& left = m_look.left;
    const TitleButton& right = m_look.right;
    SetTitleBar(LoadLocalizedString(m_look.titleId), left.id, left.image, left.pressedImage, right.id, right.image,
                right.pressedImage);
    if (VelListView* list = GetList())
        SetUpList(*list);
}

void VelListTabView::SetUpList(VelListView& list)
{
    if (m_grouping)
        list.SetGrouping(m_grouping.get());
    list.SetHighlightEnabled(true);
    list.SetScrollbarVisible(true);
}

void VelListTabView::ClearList()
{
    VelKlView::ClearList();
    m_loading = false;
}

bool VelListTabView::IsLoading() const { return m_loading; }

void VelListTabView::SetLoading(bool loading) { m_loading = loading; }

void VelListTabView::ApplyTag(VelTabBar* tabBar, const RECT& pageRect)
{
    CreateWithClassName(0, pageRect, kVelStyleClipToAncestors, tabBar);
    VelTabPage::ApplyTag(tabBar, pageRect);
}

void VelListTabView::SetActive(bool active)
{
    if (active == IsActive()) {
        if (active)
            OnTabTappedAgain();
        return;
    }
    VelTabPage::SetActive(active);
    ShowAsTab(active);
}

void VelListTabView::OnTabTappedAgain() { ShowAsTab(true); }

void VelListTabView::UpdateCaption(int count)
{
    std::wstring text = m_baseCaption;
    if (count == 0) {
        if (GetValue() != 0)
            SetValue(0);
    } else {
        text += L"(" + std::to_wstring(count) + L")";
        if (GetValue() == 0)
            SetValue(1);
    }
    SetCaption(text);
}

VelListTabView::TabLook VelListTabView::LoadTabLook(unsigned titleId, const TabImageIds& images)
{
    return TabLook{LoadLocalizedString(titleId), CurrentThemeImage(images.image),
                   CurrentThemeImage(images.selectedImage), CurrentThemeImage(images.highlightedImage)};
}

void VelListTabView::ShowTabLook(const TabLook& look)
{
    SetTitle(look.title);
    SetImage(look.image);
    SetSelectedImage(look.selectedImage);
    SetHighlightedImage(look.highlightedImage);
    // Last: the tab reads the images when the caption raises Changed.
    SetCaption(m_baseCaption);
}
