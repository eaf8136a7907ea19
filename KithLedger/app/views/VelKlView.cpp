#include "VelKlView.h"

#include "VelBackgroundGradient.h"
#include "VelCanvas.h"
#include "VelKlResourceIds.h"
#include "VelKlTheme.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"
#include "VelToolbarStatic.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

const DWORD kChildStyle = kVelStyleVisible | kVelStyleClipToAncestors;
const UINT kTitleFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;  // GDI centres only a single line
const int kRowSeparatorLines = 1;

}  // namespace

VelKlView::VelKlView(int viewId, DWORD viewStyle, VelObject* parent, const std::string& name)
    : VelControl(parent, name), m_viewId(viewId), m_viewStyle(viewStyle), m_list(nullptr), m_titleBar(nullptr),
      m_listFlag(0), m_titleBarHeight(VelKlTheme::GetMetrics().GetTitleBarHeight())
{
    Created += VelBind(this, &VelKlView::Create);
}

VelKlView::~VelKlView()
{
    // Destroyed handlers still see a whole view.
    Destroy();
    // The title bar lives on until the object tree deletes it, after the gradient.
    if (m_titleBar)
        m_titleBar->SetBackground(nullptr);
}

const std::wstring& VelKlView::GetTitle() const { return m_title; }

void VelKlView::SetTitle(const std::wstring& title)
{
    m_title = title;
    if (VelToolbarStatic* item = dynamic_cast<VelToolbarStatic*>(FindTitleBarItem(kTitleItemId)))
        item->SetText(title);
}

void VelKlView::Create(VelObject*, const VelCreateEventArgs*)
{
    const VelRect bounds = GetBounds();
    const int width = std::abs(bounds.right - bounds.left);
    int height = std::abs(bounds.bottom - bounds.top);
    if (m_viewStyle & kStyleTitleBar) {
        BuildTitleBar(width);
        height -= m_titleBarHeight;
    }
    if (m_viewStyle & kStyleList)
        BuildList(m_titleBar ? m_titleBarHeight : 0, width, height);
}

void VelKlView::BuildTitleBar(int width)
{
    VelToolbar* bar = new VelToolbar(0, this, "view-titlebar");
    m_titleBarBackground.reset(new VelBackgroundGradient);
    m_titleBarBackground->SetDirection(kGradientVertical);
    VelKlTheme* theme = GetCurrentTheme();
    VelColor top;
    VelColor bottom;
    m_titleBarBackground->AddColorPoint(0, theme->GetTitleBarTopColor(top));
    m_titleBarBackground->AddColorPoint(100, theme->GetTitleBarBottomColor(bottom));
    bar->SetBackground(m_titleBarBackground.get());
    bar->CreateNamed(L"", 0, kChildStyle, VelRect(0, 0, width, m_titleBarHeight), this);
    bar->ItemClicked += VelBind(this, &VelKlView::OnTitleBarClicked);
    m_titleBar = bar;
    bar->AddItem(new VelToolbarStatic(kTitleItemId, GetTitle(), nullptr, false, kTitleFormat,
                                      SIZE{width, m_titleBarHeight}, bar, "view-title"));
}

void VelKlView::BuildList(int top, int width, int height)
{
    VelListView* list = new VelListView(this, "view-listview");
    list->SetStateFlags(m_listFlag, m_listFlag);
    list->CreateNamed(L"", 0, kChildStyle, VelRect(0, top, width, top + height), this);

    auto change = [list](auto apply) {
        apply();
        list->SetLayoutDirty(true);
        list->InvalidateRect(VelRect());
    };
    change([&] { list->SetSelectionMode(false, false); });
    change([&] { list->SetRowHeight(-1); });
    change([&] {
        list->SetCollapsibleGroups(true);
        list->ExpandAllGroups();
    });
    change([&] { list->SetGroupRowHeight(VelKlTheme::GetMetrics().GetGroupRowHeight()); });
    change([&] { list->SetSeparatorStyle(kRowSeparatorLines); });
    change([&] {
        if (VelGroupItem* group = list->GetDefaultGroup())
            group->SetVisible(true);
    });
    change([&] { list->SetLabelMode(VelGridView::kLabelWhileScrolling); });
    // A group, the default one too, shows while it has a row to show.
    change([&] { list->SetGroupsFollowChildren(true); });

    list->ItemClicked += VelBind(this, &VelKlView::OnListItemClicked);
    m_list = list;
}

void VelKlView::OnListItemClicked(VelObject*, const VelItemEventArgs* args)
{
    // A tap on a group header opens or closes the group and activates nothing.
    if (args && args->item && args->item->IsCellItem())
        ItemActivated.Emit(args->item);
}

void VelKlView::OnTitleBarClicked(VelObject*, const VelToolbarItemEventArgs* args)
{
    if (!args || !args->item)
        return;
    // A handler may delete the button or close the view: read and check first.
    const int buttonId = args->item->GetId();
    const int objectId = VelObject::GetId();
    TitleButtonClicked.Emit(m_titleBar, args->item);
    if (buttonId == kBackButtonId && VelObject::FindById(objectId) == this)
        BackClicked.Emit();
}

void VelKlView::SetTitleBar(const std::wstring& title, int leftId, UINT leftImageId, UINT leftPressedImageId,
                            int rightId, UINT rightImageId, UINT rightPressedImageId)
{
    if (!m_titleBar)
        return;
    AddTitleButton(0, leftId, leftImageId, leftPressedImageId, "view-top-left-button");
    if (VelToolbarStatic* item = dynamic_cast<VelToolbarStatic*>(FindTitleBarItem(kTitleItemId))) {
        // Room for the two square buttons, so the title stays centred.
        SIZE size = {0, 0};
        item->GetSize(size);
        size.cx = std::max<LONG>(0, size.cx - 2 * m_titleBarHeight);
        item->SetSize(size);
        item->SetText(title);
    }
    m_title = title;
    AddTitleButton(-1, rightId, rightImageId, rightPressedImageId, "view-top-right-button");
}

void VelKlView::AddTitleButton(int index, int id, UINT imageId, UINT pressedImageId, const std::string& name)
{
    VelKlTheme* theme = id >= 0 ? GetCurrentTheme() : nullptr;
    VelBitmap* image = theme ? theme->GetImage(imageId) : nullptr;
    VelBitmap* pressedImage = theme ? theme->GetImage(pressedImageId) : nullptr;
    // The pressed image shows while the finger is on the button; a selected
    // image would stay after the tap.
    VelToolbarButton* button = new VelToolbarButton(id, std::wstring(), image, nullptr, pressedImage,
                                                    VelToolbarButton::kStyleImage, m_titleBar, name);
    button->SetSize(SIZE{m_titleBarHeight, m_titleBarHeight});
    if (m_titleBar->InsertItem(index, button) < 0)
        delete button;
}

void VelKlView::ClearList()
{
    if (m_list) {
        m_list->BeginLoading();
        m_list->RemoveAllItems();
        m_list->RemoveAllGroups();
        m_list->EndLoading();
    }
}

void VelKlView::SetListFilter(VelListView::Predicate predicate, bool apply)
{
    if (m_list)
        m_list->SetFilter(std::move(predicate), apply);
}

VelToolbarItem* VelKlView::FindTitleBarItem(int id) const
{
    return m_titleBar ? m_titleBar->GetItem(m_titleBar->FindItemIndex(id)) : nullptr;
}

void VelKlView::SizeTitleBarForTab()
{
    // Every title-bar button image is one size.
    if (VelBitmap* button = CurrentThemeImage(kImageNewContact))
        SetTitleBarHeight(button->GetHeight() + VelKlTheme::GetMetrics().GetTitleBarExtra());
}

void VelKlView::ShowAsTab(bool current)
{
    if (!current) {
        Hide();
        return;
    }
    Show();
    if (VelListView* list = GetList())
        list->SetFocus();
}
