#include "MainViewTestKit.h"

#include "FakeTick.h"

#include "VelMainWindow.h"
#include "VelScheduler.h"
#include "VelStringItem.h"
#include "VelTextSearch.h"
#include "ViewTestSupport.h"

VelMainViewTabs TestTabs(int* filtersMade)
{
    VelMainViewTabs tabs;
    tabs.favorites = [](VelMainView* parent, const std::string& name) -> VelKlView* {
        return new TestListTab(0, L"Fav", 155, parent, name);
    };
    tabs.calls = [](VelMainView* parent, const std::string& name) -> VelKlView* {
        return new TestListTab(2, L"Calls", 158, parent, name);
    };
    tabs.contacts = [](VelMainView* parent, const std::string& name, VelKlView* favorites) -> VelKlView* {
        TestListTab* view = new TestListTab(1, L"People", 161, parent, name);
        view->favorites = favorites;
        return view;
    };
    tabs.sms = [](VelMainView* parent, const std::string& name) -> VelKlView* {
        return new TestListTab(3, L"Texts", 164, parent, name);
    };
    tabs.contactFilter = [filtersMade](std::vector<std::wstring> keys) -> VelListView::Predicate {
        ++*filtersMade;
        return [keys](const VelItem* item) {
            const VelStringItem* row = dynamic_cast<const VelStringItem*>(item);
            size_t at = 0;
            return keys.empty() || (row && FindNoCase(row->GetText(), keys, &at));
        };
    };
    return tabs;
}

void RunSlides(VelMainWindow* window, FakeTick& tick)
{
    for (int i = 0; i < 40 && window->GetScheduler()->GetTransitionCount() > 0; ++i)
        window->GetScheduler()->OnTick(tick.Advance(25));
    SettleWindow(window->GetHandle());
}
