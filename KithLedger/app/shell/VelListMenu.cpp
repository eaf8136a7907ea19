#include "VelListMenu.h"

#include <memory>
#include <string>
#include <vector>

#include "VelContactItem.h"
#include "VelContactListView.h"
#include "VelContactListViewItem.h"
#include "VelContextMenu.h"
#include "VelCreateDataTable.h"
#include "VelDataTable.h"
#include "VelFavoritesView.h"
#include "VelKlApplication.h"
#include "VelListView.h"
#include "VelLocalizedStrings.h"
#include "VelMainView.h"
#include "VelMainWindow.h"
#include "VelPoomSession.h"
#include "VelSmsComposer.h"
#include "VelSmsItem.h"
#include "VelSmsListView.h"
#include "VelToolbar.h"
#include "VelToolbarItem.h"

namespace {

// The list menu's rows; the separator counts as one.
const int kMenuNewMessage = 0;
const int kMenuMessageSelected = 1;
const int kMenuClearSelection = 3;
const int kMenuMarkAllRead = 0;

}  // namespace

void VelListMenu::OnButton(VelToolbar* titleBar, VelToolbarItem* button)
{
    VelMainWindow* window = m_app.GetMainKlWindow();
    if (!button || !window)
        return;
    const int id = button->GetId();
    if (id == VelKlApplication::kNewContactButtonId) {
        delete CreateNewContact(window->GetHandle());
        return;
    }
    if (id != VelKlApplication::kListMenuButtonId)
        return;

    const int tab = m_app.GetCurrentTab();
    VelListView* list = nullptr;
    if (tab == VelMainView::kFavoritesPageId)
        list = m_app.ListOf(m_app.GetFavoritesView());
    else if (tab == VelMainView::kContactsPageId)
        list = m_app.ListOf(m_app.GetContactListView());
    else if (tab == VelMainView::kSmsPageId)
        list = m_app.ListOf(m_app.GetSmsListView());
    if (!list)
        return;

    VelContextMenu menu(nullptr, "list-menu");
    const bool messages = tab == VelMainView::kSmsPageId;
    const bool selection = !list->GetSelection().empty();
    if (messages) {
        menu.AddString(LoadLocalizedString(kStrMarkAllRead), m_app.GetUnreadSmsCount() != 0);
    } else {
        menu.AddString(LoadLocalizedString(kStrNewMessage), true);
        menu.AddString(LoadLocalizedString(kStrMessageSelected), selection);
        menu.AddSeparator();
        menu.AddString(LoadLocalizedString(kStrClearSelection), selection);
    }
    const RECT rect = button->GetRect();
    VelPoint corner(rect.right, rect.bottom);
    if (titleBar)
        window->MapPointFrom(titleBar, corner);
    const int chosen = menu.Show(window, corner);

    if (messages) {
        if (chosen == kMenuMarkAllRead)
            MarkAllRead(list);
    } else if (chosen == kMenuNewMessage) {
        StartSmsComposer(std::wstring());
    } else if (chosen == kMenuMessageSelected) {
        MessageSelected(list);
    } else if (chosen == kMenuClearSelection) {
        list->ClearSelection();
    }
}

void VelListMenu::MarkAllRead(VelListView* list)
{
    std::unique_ptr<VelDataTable> table(CreateDataTable(VelListKind::kMessages));
    if (!table)
        return;
    list->BeginLoading();
    while (!m_app.IsClosing()) {
        std::unique_ptr<VelDataItem> entry(table->GetEntry());
        VelSmsItem* message = dynamic_cast<VelSmsItem*>(entry.get());
        if (!message)
            break;
        if (message->IsUnread())
            message->SetUnread(false);
        table->Seek(1, VelDataTable::kSeekCurrent);
    }
    list->EndLoading();
}

void VelListMenu::MessageSelected(VelListView* list)
{
    std::wstring recipients;
    const std::vector<VelItem*> selected = list->GetSelection();
    for (VelItem* item : selected) {
        VelContactListViewItem* row = dynamic_cast<VelContactListViewItem*>(item);
        if (!row || !row->GetContact())
            continue;
        const std::wstring mobile = row->GetContact()->GetMobileNumber();
        if (mobile.empty())
            continue;
        recipients += FormatSmsRecipient(mobile, row->GetContact()->GetDisplayNameText());
        recipients += L";";
    }
    StartSmsComposer(recipients);
    list->ClearSelection();
}
