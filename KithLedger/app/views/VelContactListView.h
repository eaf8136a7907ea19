#pragma once
#include "VelListTabView.h"
#include "VelListView.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// The contacts tab: every contact in a list grouped by the first letter of
// the name, by company or by category. A tap on the tab while it is current
// moves to the next of these three tab states.
class VelContactListView : public VelListTabView {
public:
    enum : int { kViewId = 1, kPageId = 1 };
    enum : int { kNewContactButtonId = 11, kMenuButtonId = 12 };
    enum : int { kByName = 0, kByCompany = 1, kByCategory = 2 };

    VelContactListView(VelObject* parent, const std::string& name);
    ~VelContactListView() override;

    const wchar_t* GetClassName() const override;
    VelContactListViewItem* FindContactRow(int32_t id) const override;
    virtual void SetReserved(int value);
    virtual int GetReserved() const;

    void SelectFirstTabState();
    void SelectNextTabState();
    // -1 until the window has been created.
    int GetTabState() const { return m_tabState; }

protected:
    void OnTabTappedAgain() override;
    void SetUpList(VelListView& list) override;

private:
    struct TabState {
        TabLook look;
        VelListGrouping* grouping;
    };

    void ApplyTabState();

    int m_tabState;
    std::vector<TabState> m_tabStates;
    int m_reserved;
    std::vector<std::unique_ptr<VelListGrouping>> m_groupings;
};

// Finds the row whose contact has that object id.
VelListView::Predicate FindContactItemId(int32_t id);
// That row in the list, or null; the favourites' rows are found the same way.
VelContactListViewItem* FindContactRowIn(VelListView* list, int32_t id);

// The groups a contact row is filed in, as (label, key) pairs.
std::vector<std::pair<std::wstring, std::wstring>> ContactNameGroupKeys(const VelItem* row);
std::vector<std::pair<std::wstring, std::wstring>> ContactCompanyGroupKeys(const VelItem* row);
std::vector<std::pair<std::wstring, std::wstring>> ContactCategoryGroupKeys(const VelItem* row);

// Row and group orders: case-insensitive, the group of contacts without a
// name, company or category last.
bool CompareContactNames(const VelGroupItem::ItemPtr& a, const VelGroupItem::ItemPtr& b);
// The rows in the order of a stable sort by CompareContactNames, each row's
// name read once.
void SortContactRowsByName(std::vector<VelGroupItem::ItemPtr>& rows);
bool CompareNameGroups(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b);
bool CompareCompanyGroups(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b);
bool CompareCategoryGroups(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b);
