#include "VelSmsListView.h"

#include "VelDateGroupItem.h"
#include "VelDetailItem.h"
#include "VelListLoader.h"
#include "VelLocalizedStrings.h"
#include "VelProgressWindowLess.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"

namespace {

enum : unsigned { kCaptionString = 117, kTitleString = 114 };
enum : UINT { kTabImage = 164, kTabSelectedImage = 165, kTabHighlightedImage = 166 };
enum : UINT { kMenuImage = 233, kMenuPressedImage = 234 };

}  // namespace

VelSmsListView::VelSmsListView(VelObject* parent, const std::string& name)
    : VelKlView(kViewId, kStyleTitleBar | kStyleList, parent, name), VelTabPage(kPageId),
      m_grouping(MakeDateGrouping()), m_image(CurrentThemeImage(kTabImage)),
      m_selectedImage(CurrentThemeImage(kTabSelectedImage)),
      m_highlightedImage(CurrentThemeImage(kTabHighlightedImage)), m_loading(0),
      m_baseCaption(LoadLocalizedString(kCaptionString))
{
    m_caption = m_baseCaption;
    SizeTitleBarForTab();
}

VelSmsListView::~VelSmsListView() = default;

const wchar_t* VelSmsListView::GetClassName() const { return L"VelSmsListView"; }

const std::wstring& VelSmsListView::GetText() const { return m_caption; }

void VelSmsListView::Create(VelObject* sender, const VelCreateEventArgs* args)
{
    VelKlView::Create(sender, args);
    SetTitleBar(LoadLocalizedString(kTitleString), -1, 0, 0, kMenuButtonId, kMenuImage, kMenuPressedImage);
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
