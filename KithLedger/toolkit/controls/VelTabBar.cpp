#include "VelTabBar.h"

#include "VelControlCore.h"
#include "VelTheme.h"
#include "VelTabPage.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"

namespace {

// Image with the text below it; the low bit is read by no button.
const DWORD kTabButtonStyle = VelToolbarButton::kStyleImage | VelToolbarButton::kStyleTextBelow | 0x01;
// Posted to the bar by a page change that arrives on another thread.
const int kRefreshButtonMessage = 1;

bool IsSideBar(VelTabBar::Position position) { return position == VelTabBar::kLeft || position == VelTabBar::kRight; }

}  // namespace

VelTabBar::VelTabBar(Position position, VelObject* parent, const std::string& name)
    : VelControl(parent, name), m_position(position), m_barHeight(VelTheme::GetMetrics().GetTabBarHeight()),
      m_barWidth(VelTheme::GetMetrics().GetTabBarWidth()), m_currentIndex(-1),
      m_toolbar(
          new VelToolbar(IsSideBar(position) ? DWORD(VelToolbar::kStyleVertical) : DWORD(0), this, "tabbar-control")),
      m_buttonStyle(kTabButtonStyle)
{
    Created += VelBind(this, &VelTabBar::Layout);
    m_toolbar->ItemClicked += VelBind(this, &VelTabBar::OnButtonClicked);
}

VelTabBar::~VelTabBar()
{
    Destroy();
    // A page that outlives the bar must not call into it. A page object
    // already gone is no longer registered and is not touched.
    for (const PageEntry& entry : m_pages)
        if (entry.objectId < 0 || VelObject::FindById(entry.objectId))
            entry.page->Changed.RemoveReceiver(this);
}

const wchar_t* VelTabBar::GetClassName() const { return L"VelTabBar"; }

void VelTabBar::Layout(VelObject*, const VelCreateEventArgs*)
{
    const int w = GetWidth();
    const int h = GetHeight();
    VelRect bar, page;
    switch (m_position) {
    case kBottom:
        bar = VelRect(0, h - m_barHeight, w, h);
        page = VelRect(0, 0, w, h - m_barHeight);
        break;
    case kLeft:
        bar = VelRect(0, 0, m_barWidth, h);
        page = VelRect(m_barWidth, 0, w, h);
        break;
    case kRight:
        bar = VelRect(w - m_barWidth, 0, w, h);
        page = VelRect(0, 0, w - m_barWidth, h);
        break;
    default:
        bar = VelRect(0, 0, w, m_barHeight);
        page = VelRect(0, m_barHeight, w, h);
        break;
    }
    // Laid out again (a created bar): the toolbar moves instead of being made twice.
    if (m_toolbar->IsCreated())
        m_toolbar->SetBounds(bar);
    else
        m_toolbar->CreateNamed(L"", 0, kVelStyleVisible, bar, this);
    // By index: a page placing its view may add a page.
    for (size_t i = 0; i < m_pages.size(); ++i)
        m_pages[i].page->ApplyTag(this, page);
}

int VelTabBar::AddPage(int position, VelTabPage* page)
{
    if (!page)
        return -1;
    VelToolbarButton* button =
        new VelToolbarButton(page->GetPageId(), page->GetCaption(), page->GetImage(), page->GetSelectedImage(),
                             page->GetHighlightedImage(), m_buttonStyle, this, "tabbar-page-button");
    button->SetSize(SIZE{m_barWidth, m_barHeight});
    const int index = m_toolbar->InsertItem(position, button);
    if (index < 0) {
        delete button;
        return index;
    }
    page->Changed.RemoveReceiver(this);
    page->Changed += VelBind(this, &VelTabBar::OnPageChanged);
    const VelObject* object = dynamic_cast<VelObject*>(page);
    m_pages.insert(m_pages.begin() + index, PageEntry{page, object ? object->GetId() : -1});
    // The current page moved up one place: its index and its pressed button follow it.
    if (m_currentIndex >= index) {
        ++m_currentIndex;
        m_toolbar->SetSelectedIndex(m_currentIndex);
    }
    return index;
}

void VelTabBar::SelectPage(int index)
{
    VelTabPage* page = GetPage(index);
    if (!page)
        return;
    if (index == m_currentIndex) {
        page->SetActive(true);
        return;
    }
    if (VelTabPage* current = GetPage(m_currentIndex))
        current->SetActive(false);
    page->SetActive(true);
    m_toolbar->SetSelectedIndex(index);
    m_currentIndex = index;
}

int VelTabBar::FindPageIndex(int pageId) const
{
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i].page->GetPageId() == pageId)
            return int(i);
    return -1;
}

VelTabPage* VelTabBar::GetPage(int index) const
{
    return index >= 0 && index < int(m_pages.size()) ? m_pages[index].page : nullptr;
}

VelToolbarButton* VelTabBar::FindButton(int id) const
{
    return dynamic_cast<VelToolbarButton*>(m_toolbar->GetItem(m_toolbar->FindItemIndex(id)));
}

void VelTabBar::OnButtonClicked(VelObject*, const VelToolbarItemEventArgs* args)
{
    const int index = FindPageIndex(args->item->GetId());
    VelTabPage* next = GetPage(index);
    // No page behind the button, or one that refuses: the pressed tab stays the current one.
    if (!next || !next->CanActivate()) {
        m_toolbar->SetSelectedIndex(m_currentIndex);
        return;
    }
    VelTabChangeEventArgs change(GetPage(m_currentIndex), next);
    const int id = GetId();
    TabChanged.Invoke(this, &change);
    // A handler may have closed the view that holds the bar.
    if (VelObject::FindById(id) != this)
        return;
    SelectPage(index);
}

void VelTabBar::OnPageChanged(VelObject* sender, const VelObjectChangeEventArgs*)
{
    VelTabPage* page = dynamic_cast<VelTabPage*>(sender);
    if (!page)
        return;
    // The button's font may be selected into the canvas the bar's thread is
    // painting: the button changes only on that thread.
    if (IsCreated() && GetOwnerThreadId() != ::GetCurrentThreadId()) {
        VelControlCore::Instance->PostUserMessage(kRefreshButtonMessage, this, sender->GetId());
        return;
    }
    RefreshButton(page);
}

int VelTabBar::OnUserMessage(const VelUserMessageEventArgs* args)
{
    if (args->code != kRefreshButtonMessage)
        return VelControl::OnUserMessage(args);
    // The page may have gone, or never have been one of ours, by the time the request arrives.
    VelTabPage* page = dynamic_cast<VelTabPage*>(VelObject::FindById(int(args->argument)));
    for (const PageEntry& entry : m_pages)
        if (page && entry.page == page) {
            RefreshButton(page);
            break;
        }
    return 0;
}

void VelTabBar::RefreshButton(VelTabPage* page)
{
    VelToolbarButton* button = FindButton(page->GetPageId());
    if (!button)
        return;
    button->SetText(page->GetCaption());
    button->SetBold(page->GetValue() != 0);
    button->SetHighlightedImage(page->GetHighlightedImage());
    button->SetSelectedImage(page->GetSelectedImage());
    button->SetImage(page->GetImage());
}
