#pragma once
#include "VelControl.h"

#include <vector>

class VelTabPage;
class VelToolbar;
class VelToolbarButton;

// Switches between pages through a bar of tab buttons, one per page. The bar
// tells each page its rectangle and whether it is active; the pages belong to
// the application and must outlive their place in the bar.
class VelTabBar : public VelControl {
public:
    typedef VelDelegate<VelObject*, const VelTabChangeEventArgs*> TabChangeEvent;

    // Where the bar lies in the control.
    enum Position { kTop = 0, kBottom = 1, kLeft = 2, kRight = 3 };

    VelTabBar(Position position, VelObject* parent, const std::string& name);
    ~VelTabBar() override;

    const wchar_t* GetClassName() const override;
    int OnUserMessage(const VelUserMessageEventArgs* args) override;

    // Runs on Created: creates the bar and tells every page its rectangle.
    virtual void Layout(VelObject* sender, const VelCreateEventArgs* args);
    virtual void OnButtonClicked(VelObject* sender, const VelToolbarItemEventArgs* args);
    // May arrive on any thread; the tab button changes on the bar's own thread.
    virtual void OnPageChanged(VelObject* sender, const VelObjectChangeEventArgs* args);

    // Inserts the page's tab button at that toolbar position (negative: at the
    // end) and the page at the same place in the page list, so page and button
    // indexes stay one. Returns the index, or a negative value when refused.
    int AddPage(int position, VelTabPage* page);
    // Re-activates the current page, or switches to another one; an index out
    // of range is ignored.
    void SelectPage(int index);
    int FindPageIndex(int pageId) const;
    // Null when the index is out of range.
    VelTabPage* GetPage(int index) const;
    int GetBarHeight() const { return m_barHeight; }
    int GetBarWidth() const { return m_barWidth; }
    // The bar's size and the style of its tab buttons apply to the pages
    // added and the layouts made after the call.
    void SetBarHeight(int height) { m_barHeight = height; }
    void SetBarWidth(int width) { m_barWidth = width; }
    void SetButtonStyle(DWORD style) { m_buttonStyle = style; }
    DWORD GetButtonStyle() const { return m_buttonStyle; }
    // The holder of the bar may dress the toolbar of tab buttons (its background).
    VelToolbar* GetToolbar() const { return m_toolbar; }
    int GetCurrentIndex() const { return m_currentIndex; }
    // The tab button with that page id, or null.
    VelToolbarButton* FindButton(int id) const;

    TabChangeEvent TabChanged;

private:
    struct PageEntry {
        VelTabPage* page;
        int objectId;  // the page's VelObject id, or -1 when the page is none
    };

    void RefreshButton(VelTabPage* page);

    Position m_position;
    int m_barHeight;
    int m_barWidth;
    int m_currentIndex;
    std::vector<PageEntry> m_pages;
    VelToolbar* m_toolbar;
    DWORD m_buttonStyle;
};
