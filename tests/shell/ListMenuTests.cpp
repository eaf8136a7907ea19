// The list menu of the contacts, favourites and messages tabs: its entries
// and what each command does.
#include "ShellTestKit.h"

#include "VelContactListView.h"
#include "VelContextMenu.h"
#include "VelLocalizedStrings.h"
#include "VelMainWindow.h"
#include "VelSmsListView.h"
#include "VelContextMenuString.h"
#include "VelToolbar.h"
#include "VelToolbarItem.h"

namespace {

using namespace shell_test;

// What the menu showed, and the row the script then chooses (-1 cancels).
struct MenuScript {
    int choose = -1;
    std::vector<std::wstring> texts;
    std::vector<bool> enabled;
    bool shown = false;
};

MenuScript* g_script = nullptr;
VelMainWindow* g_window = nullptr;

VelContextMenu* OpenMenu()
{
    for (VelAbstractControl* child : g_window->GetChildren())
        if (VelContextMenu* menu = dynamic_cast<VelContextMenu*>(child))
            if (menu->IsVisible())
                return menu;
    return nullptr;
}

// Runs inside the menu's modal loop.
void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD)
{
    VelContextMenu* menu = OpenMenu();
    if (!menu || !menu->GetItemAt(0))
        return;
    ::KillTimer(nullptr, timer);
    g_script->shown = true;
    for (int row = 0; VelItem* item = menu->GetItemAt(row); ++row) {
        const VelContextMenuString* text = dynamic_cast<const VelContextMenuString*>(item);
        g_script->texts.push_back(text ? text->GetText() : L"-");
        g_script->enabled.push_back(!item->IsDisabled());
    }
    if (g_script->choose >= 0) {
        VelItemEventArgs chosen(menu->GetItemAt(g_script->choose), VelPoint(0, g_script->choose));
        menu->OnItemChosen(nullptr, &chosen);
    } else {
        VelMouseEventArgs outside(VelPoint(-5, -5), MK_LBUTTON);
        menu->OnMouseDown(&outside);
    }
}

class ListMenuTest : public ShellTest {
protected:
    void Open(VelKlView* view, int tab, MenuScript& script)
    {
        app->OnTabChanged(app->GetCurrentTab(), tab, nullptr);
        g_script = &script;
        g_window = app->GetMainKlWindow();
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &RunScript);
        app->OnListMenuButton(view->GetTitleBar(), view->FindTitleBarItem(VelKlApplication::kListMenuButtonId));
        ::KillTimer(nullptr, timer);
        g_script = nullptr;
        ASSERT_TRUE(script.shown);
    }
    DWORD AddContact(const wchar_t* name, const wchar_t* mobile)
    {
        VelDevContact c;
        c.fileAs = name;
        c.firstName = name;
        c.mobile = mobile;
        return device.Store().AddContact(c);
    }
    VelListView* ContactList() { return app->GetContactListView()->GetList(); }
};

TEST_F(ListMenuTest, MessagesTabOffersMarkAllReadOnlyWhileSomethingIsUnread)
{
    AddMessages(3, 0);
    Start();
    DrainLoads();
    VelSmsListView* sms = app->GetSmsListView();
    ASSERT_EQ(app->GetUnreadSmsCount(), 0);
    MenuScript none;
    Open(sms, 3, none);
    EXPECT_EQ(none.texts, std::vector<std::wstring>{LoadLocalizedString(kStrMarkAllRead)});
    EXPECT_EQ(none.enabled, std::vector<bool>{false});
}

TEST_F(ListMenuTest, MarkAllReadReachesEveryMessageBeyondTheFirst200)
{
    AddMessages(205, 1);
    Start();
    DrainLoads();
    ASSERT_EQ(app->GetUnreadSmsCount(), 205);
    MenuScript mark;
    mark.choose = 0;
    Open(app->GetSmsListView(), 3, mark);
    EXPECT_EQ(mark.enabled, std::vector<bool>{true});
    for (const VelDevMessage& m : device.Store().Messages())
        EXPECT_TRUE(m.IsRead()) << m.text;
}

TEST_F(ListMenuTest, ContactsMenuEntriesFollowTheSelectionAndEachCommandActs)
{
    AddContact(L"Ann", L"+1001");
    AddContact(L"Bob", L"");
    AddContact(L"Cy \"Q\"", L"+1003");
    Start();
    DrainLoads();
    VelContactListView* contacts = app->GetContactListView();
    ASSERT_EQ(ContactList()->GetItems().size(), 3u);

    MenuScript fresh;
    fresh.choose = 0;  // a new message to nobody yet
    Open(contacts, 1, fresh);
    const std::vector<std::wstring> texts = {LoadLocalizedString(kStrNewMessage),
                                             LoadLocalizedString(kStrMessageSelected), L"-",
                                             LoadLocalizedString(kStrClearSelection)};
    EXPECT_EQ(fresh.texts, texts);
    EXPECT_EQ(fresh.enabled, (std::vector<bool>{true, false, false, false}));
    std::vector<std::wstring> outbox = device.WaitForLog(L"outbox.log", 1);
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_NE(outbox[0].find(L"-to \"\""), std::wstring::npos) << outbox[0];

    // To the selected contacts: the one without a mobile number is left out.
    for (VelItem* row : ContactList()->GetItems())
        ContactList()->Select(row);
    MenuScript send;
    send.choose = 1;
    Open(contacts, 1, send);
    EXPECT_EQ(send.enabled, (std::vector<bool>{true, true, false, true}));
    outbox = device.WaitForLog(L"outbox.log", 2);
    ASSERT_EQ(outbox.size(), 2u);
    EXPECT_NE(outbox[1].find(L"Ann <+1001>;"), std::wstring::npos) << outbox[1];
    EXPECT_NE(outbox[1].find(L"Cy Q <+1003>;"), std::wstring::npos) << outbox[1];
    EXPECT_EQ(outbox[1].find(L"Bob"), std::wstring::npos) << outbox[1];
    EXPECT_TRUE(ContactList()->GetSelection().empty());

    ContactList()->Select(ContactList()->GetItems()[0]);
    MenuScript clear;
    clear.choose = 3;
    Open(contacts, 1, clear);
    EXPECT_TRUE(ContactList()->GetSelection().empty());
    EXPECT_EQ(device.Store().ReadLog(L"outbox.log").size(), 2u);
}

}  // namespace
