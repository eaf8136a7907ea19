#pragma once
#include "VelKlView.h"
#include "VelSignal.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class VelBackgroundGradient;
class VelCallButton;
class VelKeypad;
class VelListView;
class VelTabBar;
class VelTabPage;

class VelMainView;

// Makes the list views the main view shows as its tabs: each a view with a
// list that is also a tab page. A missing maker leaves its tab out.
struct VelMainViewTabs {
    typedef std::function<VelKlView*(VelMainView* parent, const std::string& name)> ViewMaker;
    // The contacts view is given the favourites view (null when there is none).
    typedef std::function<VelKlView*(VelMainView* parent, const std::string& name, VelKlView* favorites)> ContactsMaker;
    // The contacts filter over the keys typed so far, one entry per key (its
    // letters). It gets its own copy: rows added on other threads are
    // filtered while the keypad changes the main view's list.
    typedef std::function<VelListView::Predicate(std::vector<std::wstring> typedKeys)> FilterMaker;

    ViewMaker favorites;
    ViewMaker calls;
    ContactsMaker contacts;
    ViewMaker sms;
    FilterMaker contactFilter;
};

// The start screen: a tab bar along the bottom over the list tabs and the call
// button, and a keypad, docked to one key, that filters the contacts tab by
// the keys typed. While the view slides, its current list does not repaint.
class VelMainView : public VelKlView {
public:
    enum : int { kViewId = 0 };
    enum : int { kFavoritesPageId = 0, kContactsPageId = 1, kCallsPageId = 2, kSmsPageId = 3 };

    VelMainView(VelObject* parent, const std::string& name, const VelMainViewTabs& tabs);
    ~VelMainView() override;

    using VelKlView::Create;
    const wchar_t* GetClassName() const override;
    void Create(VelObject* sender, const VelCreateEventArgs* args) override;

    virtual void OnTabChanged(VelObject* sender, const VelTabChangeEventArgs* args);
    virtual void OnKeypadButton(VelKeypad* sender, const VelKeypadButtonEventArgs* args);
    virtual void ClearKeypadSearch(VelKeypad* sender, const VelKeypadButtonEventArgs* args);
    virtual void OnKeypadDockChanged(VelKeypad* sender, const VelKeypadDockChangeEventArgs* args);
    virtual void OnTransitionStarted(VelObject* sender, const VelTransitionEventArgs* args);
    virtual void OnTransitionFinished(VelObject* sender, const VelTransitionEventArgs* args);

    // The tab bar's page with that id, or null.
    VelTabPage* GetTabPage(int tabId) const;
    // The list tab whose page id it is, or null.
    VelKlView* GetListTabView(int tabId) const;
    // Docks the keypad (animated) when it is out, then clears the search.
    void ResetKeypadSearch();

    VelTabBar* GetTabBar() const { return m_tabBar; }
    VelKeypad* GetKeypad() const { return m_keypad; }
    VelCallButton* GetCallButton() const { return m_callButton; }
    VelTabPage* GetCurrentTabPage() const { return m_currentPage; }
    const std::vector<std::wstring>& GetTypedKeys() const { return m_typedKeys; }
    int GetTabBarHeight() const { return m_tabBarHeight; }
    int GetTabButtonWidth() const { return m_tabButtonWidth; }
    int GetKeypadRowHeight() const { return m_keypadRowHeight; }
    // The list whose repaints wait for the running slide, or null.
    VelListView* GetListInTransition() const;

    // Old page id (-1 for none), new page id, new page.
    VelSignal<int, int, VelTabPage*> TabChanged;

private:
    void AddTab(VelKlView* view);
    void ApplyContactFilter();

    std::vector<std::wstring> m_typedKeys;
    VelTabBar* m_tabBar;
    VelKeypad* m_keypad;
    VelKlView* m_favorites;
    VelKlView* m_contacts;
    VelKlView* m_sms;
    VelKlView* m_calls;
    VelCallButton* m_callButton;
    VelTabPage* m_currentPage;
    int m_tabBarHeight;
    int m_tabButtonWidth;
    VelListView* m_listInTransition;
    int m_listInTransitionId;
    // Slides of this view under way: the list is suspended by the first to
    // start and resumed by the last to finish.
    int m_transitionsRunning;
    int m_rememberedListHeight;
    int m_keypadRowHeight;
    VelMainViewTabs::FilterMaker m_contactFilter;
    // The tab bar's toolbar only points at it.
    std::unique_ptr<VelBackgroundGradient> m_tabBarBackground;
};
