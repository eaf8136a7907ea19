#include "VelMainView.h"

#include "VelBackgroundGradient.h"
#include "VelBitmap.h"
#include "VelCallButton.h"
#include "VelKeypad.h"
#include "VelKeypadButton.h"
#include "VelKlTheme.h"
#include "VelListView.h"
#include "VelTabBar.h"
#include "VelTabPage.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"

#include <utility>

namespace {

const int kKeypadRows = 3;
const DWORD kChildStyle = kVelStyleVisible | kVelStyleClipToAncestors;
// The caption band above the tab image.
const DWORD kTabButtonStyle = VelToolbarButton::kStyleImage | VelToolbarButton::kStyleTextAbove;

VelTabPage* PageOf(VelKlView* view) { return dynamic_cast<VelTabPage*>(view); }

int PageIdOf(const VelTabPage* page) { return page ? page->GetPageId() : -1; }

}  // namespace

VelMainView::VelMainView(VelObject* parent, const std::string& name, const VelMainViewTabs& tabs)
    : VelKlView(kViewId, 0, parent, name), m_tabBar(nullptr), m_keypad(nullptr), m_favorites(nullptr),
      m_contacts(nullptr), m_sms(nullptr), m_calls(nullptr), m_callButton(nullptr), m_currentPage(nullptr),
      m_tabBarHeight(0), m_tabButtonWidth(0), m_listInTransition(nullptr), m_listInTransitionId(-1),
      m_transitionsRunning(0), m_rememberedListHeight(-1), m_keypadRowHeight(0), m_contactFilter(tabs.contactFilter)
{
    m_tabBar = new VelTabBar(VelTabBar::kBottom, this, "mainview-tabbar");
    m_tabButtonWidth = VelKlTheme::GetMetrics().GetTabButtonWidth();
    m_tabBar->SetBarWidth(m_tabButtonWidth);
    m_tabBar->SetButtonStyle(kTabButtonStyle);

    if (tabs.favorites)
        m_favorites = tabs.favorites(this, "favorites-listview");
    if (tabs.calls)
        m_calls = tabs.calls(this, "call-listview");
    if (tabs.contacts)
        m_contacts = tabs.contacts(this, "contact-listview", m_favorites);
    if (tabs.sms)
        m_sms = tabs.sms(this, "sms-listview");
    m_callButton = new VelCallButton(this, "call-button");

    // Without a theme image the row is 0 high: the bar keeps its caption band.
    VelTabPage* contactsPage = PageOf(m_contacts);
    const VelBitmap* contactsImage = contactsPage ? contactsPage->GetImage() : nullptr;
    m_keypadRowHeight = contactsImage ? contactsImage->GetHeight() : 0;
    m_tabBarHeight = VelKlTheme::GetMetrics().GetTabCaptionHeight() + m_keypadRowHeight;
    m_tabBar->SetBarHeight(m_tabBarHeight);

    AddTab(m_favorites);
    AddTab(m_calls);
    AddTab(m_contacts);
    AddTab(m_sms);
    m_tabBar->AddPage(-1, m_callButton);

    m_tabBar->TabChanged += VelBind(this, &VelMainView::OnTabChanged);
    TransitionStarted += VelBind(this, &VelMainView::OnTransitionStarted);
    TransitionFinished += VelBind(this, &VelMainView::OnTransitionFinished);

    m_keypad = new VelKeypad(this, "keypad-control");
    m_keypad->KeyPressed += VelBind(this, &VelMainView::OnKeypadButton);
    m_keypad->KeyLongPressed += VelBind(this, &VelMainView::ClearKeypadSearch);
    m_keypad->DockChanged += VelBind(this, &VelMainView::OnKeypadDockChanged);
    m_keypad->SetDockedAnimated(true);

    m_currentPage = contactsPage;
}

VelMainView::~VelMainView()
{
    // Destroyed handlers still see a whole view.
    Destroy();
    // The toolbar lives on until the object tree deletes it, after the gradient.
    m_tabBar->GetToolbar()->SetBackground(nullptr);
}

const wchar_t* VelMainView::GetClassName() const { return L"VelMainView"; }

void VelMainView::AddTab(VelKlView* view)
{
    if (VelTabPage* page = PageOf(view))
        m_tabBar->AddPage(-1, page);
}

void VelMainView::Create(VelObject* sender, const VelCreateEventArgs* args)
{
    VelKlView::Create(sender, args);
    const int width = GetWidth();
    const int height = GetHeight();

    m_tabBarBackground.reset(new VelBackgroundGradient);
    m_tabBarBackground->SetDirection(kGradientVertical);
    VelKlTheme* theme = GetCurrentTheme();
    VelColor top;
    VelColor bottom;
    m_tabBarBackground->AddColorPoint(0, theme->GetTabBarTopColor(top));
    m_tabBarBackground->AddColorPoint(100, theme->GetTabBarBottomColor(bottom));
    m_tabBar->GetToolbar()->SetBackground(m_tabBarBackground.get());
    m_tabBar->CreateNamed(L"", 0, kChildStyle, VelRect(0, 0, width, height), this);

    const int keypadBottom = height - m_tabBarHeight;
    m_keypad->CreateNamed(L"", 0, kChildStyle,
                          VelRect(0, keypadBottom - kKeypadRows * m_keypadRowHeight, width, keypadBottom), this);
    // Docked, the keypad is one key at the bottom right, just above the tabs.
    SIZE key = {0, 0};
    if (theme)
        theme->GetKeySize(key);
    const int margin = VelKlTheme::GetMetrics().GetDockMargin();
    m_keypad->SetDockedRect(VelRect(width - margin - key.cx, keypadBottom - key.cy, width - margin, keypadBottom));
    m_keypad->SetTransparentWhileAnimating(true);
    m_keypad->SetKeysTransparent(true);
    m_keypad->BringToFront();

    m_tabBar->SelectPage(m_tabBar->FindPageIndex(kContactsPageId));
}

VelTabPage* VelMainView::GetTabPage(int tabId) const { return m_tabBar->GetPage(m_tabBar->FindPageIndex(tabId)); }

VelKlView* VelMainView::GetListTabView(int tabId) const
{
    for (VelKlView* view : {m_contacts, m_sms, m_favorites, m_calls})
        if (VelTabPage* page = PageOf(view))
            if (page->GetPageId() == tabId)
                return view;
    return nullptr;
}

void VelMainView::OnTabChanged(VelObject*, const VelTabChangeEventArgs* args)
{
    if (VelKlView* old = GetListTabView(PageIdOf(args->previous)))
        if (VelListView* list = old->GetList()) {
            list->StopScrolling();
            list->ClearSelection();
        }
    if (PageIdOf(args->next) == kContactsPageId)
        m_keypad->Show();
    else
        m_keypad->Hide();
    m_currentPage = args->next;
    TabChanged.Emit(PageIdOf(args->previous), PageIdOf(args->next), args->next);
}

void VelMainView::OnKeypadButton(VelKeypad*, const VelKeypadButtonEventArgs* args)
{
    if (!args || !args->key)
        return;
    switch (args->key->GetButtonId()) {
    case VelKeypad::kBackspaceKeyId:
        if (m_typedKeys.empty())
            return;
        m_typedKeys.pop_back();
        break;
    case VelKeypad::kDockKeyId:
        return;
    default:
        // Every character the key can type, its digit too, so numbers match as well as names.
        m_typedKeys.push_back(args->key->GetMultiTapChars());
        break;
    }
    ApplyContactFilter();
}

void VelMainView::ClearKeypadSearch(VelKeypad*, const VelKeypadButtonEventArgs*)
{
    if (m_typedKeys.empty())
        return;
    m_typedKeys.clear();
    ApplyContactFilter();
}

void VelMainView::ResetKeypadSearch()
{
    if (!m_keypad->IsDocked())
        m_keypad->SetDockedAnimated(true);
    ClearKeypadSearch(nullptr, nullptr);
}

void VelMainView::ApplyContactFilter()
{
    if (m_contacts && m_contactFilter)
        m_contacts->SetListFilter(m_contactFilter(m_typedKeys), true);
}

void VelMainView::OnKeypadDockChanged(VelKeypad*, const VelKeypadDockChangeEventArgs* args)
{
    VelListView* list = m_contacts ? m_contacts->GetList() : nullptr;
    if (!list || !args)
        return;
    if (!args->docked) {
        // Out twice in a row (a forced change) must not shrink the list twice.
        if (m_rememberedListHeight >= 0)
            return;
        m_rememberedListHeight = list->GetHeight();
        list->SetHeight(m_rememberedListHeight - m_keypad->GetHeight());
    } else {
        const int remembered = m_rememberedListHeight;
        m_rememberedListHeight = -1;
        if (remembered <= 0)
            return;
        list->SetHeight(remembered);
    }
    list->SetLayoutDirty(true);
    list->InvalidateRect(VelRect());
}

void VelMainView::OnTransitionStarted(VelObject*, const VelTransitionEventArgs*)
{
    // Two slides may overlap (back within a slide): the first suspends, the last resumes.
    if (m_transitionsRunning++ > 0)
        return;
    // A tap that starts a slide may have reset the search just before: the
    // keypad still on its way down and the list not yet laid out for it.
    // Finish both now, or the slide moves a list that cannot repaint until
    // it ends.
    if (m_keypad && m_keypad->IsDocked() && m_rememberedListHeight >= 0)
        m_keypad->SetDocked(true, VelKeypad::DockChange::Always, VelKeypad::DockMotion::Immediate);
    VelKlView* view = GetListTabView(PageIdOf(m_currentPage));
    VelListView* list = view ? view->GetList() : nullptr;
    if (!list)
        return;
    list->Update(false);
    list->BeginUpdate();
    list->SetFullRepaint(true);
    m_listInTransition = list;
    m_listInTransitionId = list->GetId();
}

void VelMainView::OnTransitionFinished(VelObject*, const VelTransitionEventArgs*)
{
    if (m_transitionsRunning == 0 || --m_transitionsRunning > 0)
        return;
    VelListView* list = GetListInTransition();
    m_listInTransition = nullptr;
    m_listInTransitionId = -1;
    if (list)
        list->EndUpdate();
}

VelListView* VelMainView::GetListInTransition() const
{
    return m_listInTransition && VelObject::FindById(m_listInTransitionId) == m_listInTransition ? m_listInTransition
                                                                                                 : nullptr;
}
