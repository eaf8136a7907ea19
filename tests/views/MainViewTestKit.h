#pragma once
#include <string>
#include <vector>

#include "VelKlTheme.h"
#include "VelKlView.h"
#include "VelMainView.h"
#include "VelTabBar.h"
#include "VelTabPage.h"
#include "VelThemeLibrary.h"

// A list tab as the application's list views are: a view with a title bar
// and a list, placed by the tab bar, shown while it is the current tab.
class TestListTab : public VelKlView, public VelTabPage {
public:
    TestListTab(int pageId, const std::wstring& caption, UINT firstImage, VelObject* parent, const std::string& name)
        : VelKlView(pageId, kStyleTitleBar | kStyleList, parent, name),
          VelTabPage(pageId, caption, GetCurrentTheme()->GetImage(firstImage),
                     GetCurrentTheme()->GetImage(firstImage + 1), GetCurrentTheme()->GetImage(firstImage + 2))
    {
    }

    void ApplyTag(VelTabBar* bar, const RECT& rect) override
    {
        CreateWithClassName(0, rect, kVelStyleClipToAncestors, bar);
        VelTabPage::ApplyTag(bar, rect);
    }
    void SetActive(bool active) override
    {
        VelTabPage::SetActive(active);
        if (active)
            Show();
        else
            Hide();
    }

    VelKlView* favorites = nullptr;
};

// The four list tabs with the Silver tab images, and a contacts filter that
// shows the rows whose text holds a run of the typed keys; each filter made
// counts in `filtersMade`.
VelMainViewTabs TestTabs(int* filtersMade);

class FakeTick;
class VelMainWindow;
// Moves the fake tick on in 25 ms steps until the window's slides have
// ended, then paints the window.
void RunSlides(VelMainWindow* window, FakeTick& tick);
