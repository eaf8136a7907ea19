#pragma once
#include "VelControl.h"
#include "VelListView.h"
#include "VelSignal.h"
#include "VelSlotHolder.h"

#include <memory>
#include <string>

class VelBackgroundGradient;
class VelItem;
class VelToolbar;
class VelToolbarItem;

// The base of every screen: a view id, an optional title bar across the top
// with a title and two square buttons, and an optional list filling the rest.
// Taps in them come out as the view's three signals. The children are built
// when the view's own window has been created.
class VelKlView : public VelControl, public VelSlotHolder {
public:
    enum : DWORD {
        kStyleList = 0x02,
        kStyleTitleBar = 0x04,
    };
    enum : int {
        kTitleItemId = 253,
        kBackButtonId = 6,
    };

    VelKlView(int viewId, DWORD viewStyle, VelObject* parent, const std::string& name);
    ~VelKlView() override;

    using VelControl::Create;

    // The stored title itself.
    virtual const std::wstring& GetTitle() const;
    // Stores the title and shows it in the title bar when there is one.
    virtual void SetTitle(const std::wstring& title);
    // Runs on the view's Created event. Views that override it call this first.
    virtual void Create(VelObject* sender, const VelCreateEventArgs* args);
    virtual void OnListItemClicked(VelObject* sender, const VelItemEventArgs* args);
    virtual void OnTitleBarClicked(VelObject* sender, const VelToolbarItemEventArgs* args);

    // Puts the title between a left and a right square button; an id below 0
    // gives a button without images. Does nothing on a view without a title bar.
    void SetTitleBar(const std::wstring& title, int leftId, UINT leftImageId, UINT leftPressedImageId, int rightId,
                     UINT rightImageId, UINT rightPressedImageId);
    // The title bar's item with that id, or null.
    VelToolbarItem* FindTitleBarItem(int id) const;
    // Hands the predicate to the list's filter; nothing without a list.
    void SetListFilter(VelListView::Predicate predicate, bool apply);
    // Empties the list, rows and groups; nothing without a list.
    virtual void ClearList();

    int GetViewId() const { return m_viewId; }
    DWORD GetViewStyle() const { return m_viewStyle; }
    // Null until the window exists, and always null without their style bits.
    VelListView* GetList() const { return m_list; }
    VelToolbar* GetTitleBar() const { return m_titleBar; }
    int GetTitleBarHeight() const { return m_titleBarHeight; }

    VelSignal<VelItem*> ItemActivated;
    VelSignal<VelToolbar*, VelToolbarItem*> TitleButtonClicked;
    VelSignal<> BackClicked;

protected:
    // Both take effect when the window is created; for views whose list or
    // title bar is made otherwise.
    void SetListFlag(BYTE flag) { m_listFlag = flag; }
    void SetTitleBarHeight(int height) { m_titleBarHeight = height; }
    // The list tabs' title bar: as high as the theme's square title button
    // plus a 160th of the screen's longer side; unchanged without that image.
    void SizeTitleBarForTab();
    // Shows the view with its list focused when its tab becomes current, hides it otherwise.
    void ShowAsTab(bool current);

private:
    void BuildTitleBar(int width);
    void BuildList(int top, int width, int height);
    void AddTitleButton(int index, int id, UINT imageId, UINT pressedImageId, const std::string& name);

    int m_viewId;
    DWORD m_viewStyle;
    VelListView* m_list;
    VelToolbar* m_titleBar;
    std::wstring m_title;
    BYTE m_listFlag;
    int m_titleBarHeight;
    // The title bar only points at it.
    std::unique_ptr<VelBackgroundGradient> m_titleBarBackground;
};
