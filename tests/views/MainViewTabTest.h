#pragma once
// The main view at 480 x 640 with Silver and English on a fake tick; a
// fixture gives the tabs it tests their real views and taps the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeTick.h"
#include "MainViewTestKit.h"
#include "Taps.h"
#include "VelApplication.h"
#include "VelKlView.h"
#include "VelListView.h"
#include "VelLocalizedStrings.h"
#include "VelMainView.h"
#include "VelTabBar.h"
#include "VelSlotHolder.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"
#include "ViewTestSupport.h"

// What a tab's view signals: the rows it activates and the title-bar
// buttons pressed.
class TabSignalLog : public VelSlotHolder {
public:
    void Listen(VelKlView* tab)
    {
        tab->ItemActivated.Connect(this, &TabSignalLog::OnItem);
        tab->TitleButtonClicked.Connect(this, &TabSignalLog::OnTitleButton);
    }
    void OnItem(VelItem* item) { items.push_back(item); }
    void OnTitleButton(VelToolbar*, VelToolbarItem* button) { buttons.push_back(button->GetId()); }

    std::vector<VelItem*> items;
    std::vector<int> buttons;
};

class MainViewTabTest : public ::testing::Test {
protected:
    explicit MainViewTabTest(const wchar_t* appName) : app(appName), screen(480, 640), tick(700000) {}

    // Puts the views under test into the test kit's tabs.
    virtual void MakeTabs(VelMainViewTabs& tabs) = 0;

    void SetUp() override
    {
        static const bool english = LoadLanguage(L"English");
        (void)english;
        ASSERT_NE(LoadTheme(L"Silver"), nullptr);
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
    }

    void Settle() { SettleWindow(view->GetHandle()); }
    void Tap(const VelPoint& p)
    {
        TapWindow(view->GetHandle(), p, &tick);
        Settle();
    }
    // A point of a tab's view in the main view's window.
    VelPoint InWindowOf(VelKlView* tab, const VelPoint& p)
    {
        VelPoint mapped = p;
        ::MapWindowPoints(tab->GetHandle(), view->GetHandle(), reinterpret_cast<POINT*>(&mapped), 1);
        return mapped;
    }
    // The first and last rows of pixels of the list, down its x = 100, that
    // show the item; -1 where none does.
    static void FindRowSpan(VelListView* list, const VelItem* item, int* first, int* last)
    {
        for (int y = 0; y < list->GetHeight(); ++y) {
            VelPoint cell;
            if (list->GetItemAtPoint(VelPoint(100, y), cell) == item) {
                *last = y;
                if (*first < 0)
                    *first = y;
            }
        }
    }
    void TapTab(int pageId)
    {
        VelTabBar* bar = view->GetTabBar();
        VelRect r = bar->FindButton(pageId)->GetRect();
        r.Offset(bar->GetToolbar()->GetLeft(), bar->GetToolbar()->GetTop());
        Tap(VelPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }

    VelApplication app;
    ScreenScope screen;
    FakeTick tick;
    VelMainView* view = nullptr;
    int filtersMade = 0;
};
