#pragma once
// The main view at 480 x 640 with Silver and English on a fake tick; a
// fixture gives the tabs it tests their real views and taps the window.
#include <gtest/gtest.h>

#include <string>

#include "FakeTick.h"
#include "MainViewTestKit.h"
#include "Taps.h"
#include "VelApplication.h"
#include "VelLocalizedStrings.h"
#include "VelMainView.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"
#include "ViewTestSupport.h"

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
