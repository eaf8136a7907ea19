#pragma once
// The main view at 480 x 640 with Silver and English, over contacts seeded
// into a device store of the test's own; a fixture gives the tabs it tests
// their real views, taps the window and adds rows to a tab's list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ContactStoreSupport.h"
#include "MainViewTestKit.h"
#include "VelApplication.h"
#include "VelControlCore.h"
#include "VelMainView.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"
#include "ViewTestSupport.h"

class ContactTabTest : public ::testing::Test {
protected:
    ContactTabTest() : screen(480, 640) {}

    // Puts the views under test into the test kit's tabs.
    virtual void MakeTabs(VelMainViewTabs& tabs) = 0;

    void SetUp() override
    {
        static contact_store::English english;
        ASSERT_NE(LoadTheme(L"Silver"), nullptr);
        VelControlCore::SetTickSource(&Tick);
        Now() = 700000;
        VelMainViewTabs tabs = TestTabs(&filtersMade);
        MakeTabs(tabs);
        view = new VelMainView(nullptr, "main-view", tabs);
        view->Create(nullptr, kVelStyleVisible, VelRect(0, 0, 480, 640));
        Settle();
    }
    void TearDown() override
    {
        MainWindowHandle = nullptr;
        delete view;
        VelControlCore::SetTickSource(nullptr);
    }

    void Settle() { SettleWindow(view->GetHandle()); }
    void Tap(const VelPoint& p)
    {
        ::SendMessageW(view->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        Now() += 20;
        ::SendMessageW(view->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        Now() += 400;
        Settle();
    }
    void TapTab(int pageId)
    {
        VelTabBar* bar = view->GetTabBar();
        VelRect r = bar->FindButton(pageId)->GetRect();
        r.Offset(bar->GetToolbar()->GetLeft(), bar->GetToolbar()->GetTop());
        Tap(VelPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    void Add(VelListView* list, const std::vector<contact_store::Person>& people)
    {
        for (const contact_store::Person& p : people)
            list->AddItem(store.Row(p));
        Settle();
    }

    VelApplication app{L"Velmora KL contact tab test"};
    ScreenScope screen;
    contact_store::SeededStore store;
    VelMainView* view = nullptr;
    int filtersMade = 0;

private:
    static DWORD& Now()
    {
        static DWORD now = 0;
        return now;
    }
    static DWORD WINAPI Tick() { return Now(); }
};
