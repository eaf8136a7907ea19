#pragma once
#include "VelKlView.h"
#include "VelTabPage.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class VelBitmap;
class VelContactListViewItem;
class VelSmsListViewItem;

// A list tab of the main view: a view with a title bar over a list, and the
// page its tab shows. The caption comes from a string and may carry a count;
// a tap on the tab while it is current is the view's own to handle.
class VelListTabView : public VelKlView, public VelTabPage {
public:
    // Theme image ids of the three tab images.
    struct TabImageIds {
        UINT image;
        UINT selectedImage;
        UINT highlightedImage;
    };
    // A square title bar button; an id below 0 gives one without images.
    struct TitleButton {
        int id;
        UINT image;
        UINT pressedImage;
    };
    // What a list tab is made of, as string and theme image ids.
    struct Look {
        unsigned captionId;
        TabImageIds tabImages;
        unsigned titleId;  // the title the view opens with
        TitleButton left;
        TitleButton right;
    };
    static constexpr TitleButton kNoButton = {-1, 0, 0};

    // The grouping, when there is one, is the view's and handed to the list on Create.
    VelListTabView(int viewId, int pageId, const Look& look, std::unique_ptr<VelListGrouping> grouping,
                   VelObject* parent, const std::string& name);
    ~VelListTabView() override;

    // The caption.
    const std::wstring& GetText() const override;
    // Builds the view, its title bar with the first title and buttons, then sets up the list.
    void Create(VelObject* sender, const VelCreateEventArgs* args) override;
    // Also ends the loading state.
    void ClearList() override;
    virtual bool IsLoading() const;
    virtual void SetLoading(bool loading);
    // The row of the contact of that object id, or of the message of that
    // entry id, for the handlers that keep the lists current; null on a tab
    // that lists no such rows. The caller holds the list's lock.
    virtual VelContactListViewItem* FindContactRow(int32_t id) const;
    virtual VelSmsListViewItem* FindSmsRow(const std::vector<BYTE>& entryId) const;

    void ApplyTag(VelTabBar* tabBar, const RECT& pageRect) override;
    // A page told again that it is current was tapped again (OnTabTappedAgain);
    // one told again that it is not keeps its state.
    void SetActive(bool active) override;

    // The caption with the count after it ("Calls(3)"), or alone for 0; the
    // value turns 1 while the count is not 0, which the tab bar shows in bold.
    void UpdateCaption(int count);
    const std::wstring& GetBaseCaption() const { return m_baseCaption; }
    VelListGrouping* GetGrouping() const { return m_grouping.get(); }

protected:
    // A tab state: its title and three tab images.
    struct TabLook {
        std::wstring title;
        VelBitmap* image;
        VelBitmap* selectedImage;
        VelBitmap* highlightedImage;
    };
    static TabLook LoadTabLook(unsigned titleId, const TabImageIds& images);

    // What a tap on the tab does while it is current; here the view shows
    // again with its list focused.
    virtual void OnTabTappedAgain();
    // Runs on Create once the list exists; here the grouping, row highlight and scroll bar.
    virtual void SetUpList(VelListView& list);
    // The title and images of the state, and the caption without its count;
    // the tab shows them at once.
    void ShowTabLook(const TabLook& look);

private:
    Look m_look;
    std::wstring m_baseCaption;
    std::unique_ptr<VelListGrouping> m_grouping;
    bool m_loading;
};
