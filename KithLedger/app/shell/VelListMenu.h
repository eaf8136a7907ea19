#pragma once

class VelKlApplication;
class VelListView;
class VelToolbar;
class VelToolbarItem;

// The title-bar buttons of the favourites, contacts and messages tabs: the
// new contact, and the list menu of the current tab with its commands.
class VelListMenu {
public:
    explicit VelListMenu(VelKlApplication& app) : m_app(app) {}

    void OnButton(VelToolbar* titleBar, VelToolbarItem* button);

private:
    // Every message: older unread ones would keep the command enabled while
    // it could never reach them.
    void MarkAllRead(VelListView* list);
    void MessageSelected(VelListView* list);

    VelKlApplication& m_app;
};
