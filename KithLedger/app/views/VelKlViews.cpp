#include "VelKlViews.h"

#include "VelCallListView.h"
#include "VelCallView.h"
#include "VelContactItemFilter.h"
#include "VelContactListView.h"
#include "VelContactView.h"
#include "VelFavoritesView.h"
#include "VelSmsListView.h"
#include "VelSmsView.h"

#include <utility>

VelMainWindowViews MakeKlViews()
{
    VelMainWindowViews views;
    views.tabs.favorites = [](VelMainView* parent, const std::string& name) -> VelKlView* {
        return new VelFavoritesView(parent, name);
    };
    views.tabs.contacts = [](VelMainView* parent, const std::string& name, VelKlView*) -> VelKlView* {
        return new VelContactListView(parent, name);
    };
    views.tabs.calls = [](VelMainView* parent, const std::string& name) -> VelKlView* {
        return new VelCallListView(parent, name);
    };
    views.tabs.sms = [](VelMainView* parent, const std::string& name) -> VelKlView* {
        return new VelSmsListView(parent, name);
    };
    views.tabs.contactFilter = [](std::vector<std::wstring> keys) -> VelListView::Predicate {
        return VelContactItemFilter(std::move(keys));
    };
    views.contact = [](VelMainWindow* parent, const std::string& name) -> VelKlView* {
        return new VelContactView(parent, name);
    };
    views.call = [](VelMainWindow* parent, const std::string& name) -> VelKlView* {
        return new VelCallView(parent, name);
    };
    views.sms = [](VelMainWindow* parent, const std::string& name) -> VelKlView* {
        return new VelSmsView(parent, name);
    };
    return views;
}
