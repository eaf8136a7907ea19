#include "VelSmsListView.h"

#include "VelCallListView.h"
#include "VelDateGroupItem.h"
#include "VelDetailItem.h"
#include "VelKlResourceIds.h"
#include "VelListLoader.h"
#include "VelLocalizedStrings.h"
#include "VelProgressWindowLess.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"

VelSmsListView::VelSmsListView(VelObject* parent, const std::string& name)
    : VelKlView(kViewId, kStyleTitleBar | kStyleList, parent, name), VelTabPage(kPageId),
      m_grouping(new VelListGrouping), m_image(CurrentThemeImage(kImageMessagesTab)),
      m_selectedImage(CurrentThemeImage(kImageMessagesTabSelected)),
      m_highlightedImage(CurrentThemeImage(kImageMessagesTabHighlighted)), m_loading(0),
      m_baseCaption(LoadLocalizedString(kStrMessagesTab))
{
    m_caption = m_baseCaption;
    SizeTitleBarForTab();
    // The calls tab's date grouping: both lists file their rows by date alike.
    m_grouping->keys = VelCallListView::GroupKey;
    m_grouping->groupComparator = CompareGroupsByDate;
    m_grouping->itemComparator = CompareItemsByDate;
    m_grouping->createHeader = VelCallListView::CreateGroupItem;
}

VelSmsListView::~VelSmsListView() = default;

const wchar_t* VelSmsListView::GetClassName() const { return L"VelSmsListView"; }

const std::wstring& VelSmsListView::GetText() const { return m_caption; }

void VelSmsListView::Create(VelObject* sender, const VelCreateEventArgs* args)
{
    VelKlView::Create(sender, args);
    SetTitleBar(LoadLocalizedString(kStrMessagesTitle), -1, 0, 0, kMenuButtonId, kImageListMenu, kImageListMenuPressed);
    if (VelListView* list = GetList()) {
        list->SetGrouping(m_grouping.get());
        list->SetHighlightEnabled(true);
        list->SetScrollbarVisible(true);
    }
}

void VelSmsListView::ClearList()
{
    if (VelListView* list = GetList()) {
        list->RemoveAllItems();
        list->RemoveAllGroups();
    }
    m_loading = 0;
}

bool VelSmsListView::IsLoading() const { return m_loading != 0; }

void VelSmsListView::SetLoading(bool loading) { m_loading = loading ? 1 : 0; }

void VelSmsListView::ApplyTag(VelTabBar* tabBar, const RECT& pageRect)
{
    CreateWithClassName(0, pageRect, kVelStyleClipToAncestors, tabBar);
    VelTabPage::ApplyTag(tabBar, pageRect);
}

void VelSmsListView::SetActive(bool active)
{
    VelTabPage::SetActive(active);
    ShowAsTab(active);
}

void VelSmsListView::UpdateCaption(int count) { ShowCountOnTab(*this, m_baseCaption, count); }

void VelSmsListView::StartLoad(const VelDateTime*)
{
    if (VelListLoader* loader = VelListLoader::Current())
        loader->StartLoad(VelListLoader::kMessagesLoad, this, GetList() ? GetList()->GetProgress() : nullptr);
}

const std::wstring& VelSmsListView::GetCaption() const { return GetText(); }

void VelSmsListView::SetCaption(const std::wstring& caption)
{
    m_caption = caption;
    RaiseChanged();
}

VelBitmap* VelSmsListView::GetImage() const { return m_image; }
void VelSmsListView::SetImage(VelBitmap* image) { m_image = image; }
VelBitmap* VelSmsListView::GetSelectedImage() const { return m_selectedImage; }
void VelSmsListView::SetSelectedImage(VelBitmap* image) { m_selectedImage = image; }
VelBitmap* VelSmsListView::GetHighlightedImage() const { return m_highlightedImage; }
void VelSmsListView::SetHighlightedImage(VelBitmap* image) { m_highlightedImage = image; }
