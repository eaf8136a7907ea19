#include "VelSmsListView.h"

#include "VelDateGroupItem.h"
#include "VelKlResourceIds.h"
#include "VelListLoader.h"
#include "VelProgressWindowLess.h"
#include "VelSmsItem.h"
#include "VelSmsListViewItem.h"

namespace {

constexpr VelListTabView::Look kLook = {
    kStrMessagesTab,
    {kImageMessagesTab, kImageMessagesTabSelected, kImageMessagesTabHighlighted},
    kStrMessagesTitle,
    VelListTabView::kNoButton,
    {VelSmsListView::kMenuButtonId, kImageListMenu, kImageListMenuPressed},
};

}  // namespace

VelSmsListView::VelSmsListView(VelObject* parent, const std::string& name)
    : VelListTabView(kViewId, kPageId, kLook, MakeDateGrouping(), parent, name)
{
}

VelSmsListView::~VelSmsListView() = default;

const wchar_t* VelSmsListView::GetClassName() const { return L"VelSmsListView"; }

VelSmsListViewItem* VelSmsListView::FindSmsRow(const std::vector<BYTE>& entryId) const
{
    VelListView* list = GetList();
    // The predicate admits message rows only.
    return list ? static_cast<VelSmsListViewItem*>(list->FindItem(FindSmsItemId(entryId))) : nullptr;
}

VelListView::Predicate FindSmsItemId(const std::vector<BYTE>& entryId)
{
    return [entryId](const VelItem* item) {
        const VelSmsListViewItem* row = dynamic_cast<const VelSmsListViewItem*>(item);
        return row && row->GetMessage() && row->GetMessage()->GetEntryId() == entryId;
    };
}

void VelSmsListView::StartLoad(const VelDateTime*)
{
    if (VelListLoader* loader = VelListLoader::Current())
        loader->StartLoad(VelListKind::kMessages, this, GetList() ? GetList()->GetProgress() : nullptr);
}
