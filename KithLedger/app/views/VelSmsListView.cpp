#include "VelSmsListView.h"

#include "VelDateGroupItem.h"
#include "VelKlResourceIds.h"
#include "VelListLoader.h"
#include "VelProgressWindowLess.h"

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

void VelSmsListView::StartLoad(const VelDateTime*)
{
    if (VelListLoader* loader = VelListLoader::Current())
        loader->StartLoad(VelListLoader::kMessagesLoad, this, GetList() ? GetList()->GetProgress() : nullptr);
}
