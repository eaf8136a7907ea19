#include "VelSmsListView.h"

#include "VelDateGroupItem.h"
#include "VelListLoader.h"
#include "VelProgressWindowLess.h"

namespace {

enum : unsigned { kCaptionString = 117, kTitleString = 114 };
enum : UINT { kTabImage = 164, kTabSelectedImage = 165, kTabHighlightedImage = 166 };
enum : UINT { kMenuImage = 233, kMenuPressedImage = 234 };

constexpr VelListTabView::Look kLook = {
    kCaptionString,
    {kTabImage, kTabSelectedImage, kTabHighlightedImage},
    kTitleString,
    VelListTabView::kNoButton,
    {VelSmsListView::kMenuButtonId, kMenuImage, kMenuPressedImage},
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
