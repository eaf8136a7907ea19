#include "VelContactListView.h"

#include "VelContactItem.h"
#include "VelContactListViewItem.h"
#include "VelKlResourceIds.h"
#include "VelLocalizedStrings.h"
#include "VelTextSearch.h"

#include <cwctype>

namespace {

const BYTE kListFlag = 1;

constexpr VelListTabView::TabImageIds kByNameImages = {kImageContactsTab, kImageContactsTabSelected,
                                                       kImageContactsTabHighlighted};

constexpr VelListTabView::Look kLook = {
    kStrContactsTab,
    kByNameImages,
    kStrContactsByName,
    {VelContactListView::kNewContactButtonId, kImageNewContact, kImageNewContactPressed},
    {VelContactListView::kMenuButtonId, kImageListMenu, kImageListMenuPressed},
};

typedef std::vector<std::pair<std::wstring, std::wstring>> GroupKeys;

const VelContactItem* ContactOf(const VelItem* row)
{
    const VelContactListViewItem* item = dynamic_cast<const VelContactListViewItem*>(row);
    return item ? item->GetContact() : nullptr;
}

GroupKeys OneKey(const std::wstring& label) { return GroupKeys{{label, label}}; }

// The fallback group goes last, the others in case-insensitive order.
bool GroupGoesFirst(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b, unsigned fallbackId)
{
    const std::wstring fallback = LoadLocalizedString(fallbackId);
    const std::wstring& first = a->GetText();
    const std::wstring& second = b->GetText();
    if (first == fallback)
        return false;
    return second == fallback || CompareNoCase(first, second) < 0;
}

}  // namespace

GroupKeys ContactNameGroupKeys(const VelItem* row)
{
    const VelContactItem* contact = ContactOf(row);
    if (!contact || contact->GetDisplayNameText().empty())
        return OneKey(LoadLocalizedString(kStrNoName));
    return OneKey(std::wstring(1, static_cast<wchar_t>(towupper(contact->GetDisplayNameText()[0]))));
}

GroupKeys ContactCompanyGroupKeys(const VelItem* row)
{
    const VelContactItem* contact = ContactOf(row);
    if (!contact || contact->GetCompanyText().empty())
        return OneKey(LoadLocalizedString(kStrNoCompany));
    return OneKey(contact->GetCompanyText());
}

GroupKeys ContactCategoryGroupKeys(const VelItem* row)
{
    const VelContactItem* contact = ContactOf(row);
    if (!contact)
        return OneKey(LoadLocalizedString(kStrNoCategory));
    const std::vector<std::wstring>& categories = contact->GetCategoryList();
    if (categories.empty() || (categories.size() == 1 && categories[0].empty()))
        return OneKey(LoadLocalizedString(kStrNoCategory));
    GroupKeys keys;
    for (const std::wstring& category : categories)
        keys.emplace_back(category, category);
    return keys;
}

bool CompareContactNames(const VelGroupItem::ItemPtr& a, const VelGroupItem::ItemPtr& b)
{
    const VelContactItem* first = ContactOf(a.get());
    const VelContactItem* second = ContactOf(b.get());
    if (!first || !second)
        return first && !second;
    return CompareNoCase(first->GetDisplayNameText(), second->GetDisplayNameText()) < 0;
}

bool CompareNameGroups(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b)
{
    return GroupGoesFirst(a, b, kStrNoName);
}

bool CompareCompanyGroups(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b)
{
    return GroupGoesFirst(a, b, kStrNoCompany);
}

bool CompareCategoryGroups(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b)
{
    return GroupGoesFirst(a, b, kStrNoCategory);
}

VelContactListView::VelContactListView(VelObject* parent, const std::string& name)
    : VelListTabView(kViewId, kPageId, kLook, nullptr, parent, name), m_tabState(-1), m_reserved(0)
{
    SetListFlag(kListFlag);

    struct StateRow {
        unsigned title;
        TabImageIds images;
        VelListGrouping::KeyFunction keys;
        VelGridView::GroupComparator groupOrder;
        VelGroupItem::Comparator rowOrder;
    };
    const StateRow rows[] = {
        {kStrContactsByName, kByNameImages, ContactNameGroupKeys, CompareNameGroups, CompareContactNames},
        {kStrContactsByCompany,
         {kImageByCompanyTab, kImageByCompanyTabSelected, kImageByCompanyTabHighlighted},
         ContactCompanyGroupKeys,
         CompareCompanyGroups,
         nullptr},
        {kStrContactsByCategory,
         {kImageByCategoryTab, kImageByCategoryTabSelected, kImageByCategoryTabHighlighted},
         ContactCategoryGroupKeys,
         CompareCategoryGroups,
         nullptr},
    };
    for (const StateRow& row : rows) {
        m_groupings.emplace_back(new VelListGrouping);
        VelListGrouping* grouping = m_groupings.back().get();
        grouping->keys = row.keys;
        grouping->groupComparator = row.groupOrder;
        grouping->itemComparator = row.rowOrder;
        m_tabStates.push_back(TabState{LoadTabLook(row.title, row.images), grouping});
    }
}

VelContactListView::~VelContactListView() = default;

const wchar_t* VelContactListView::GetClassName() const { return L"VelContactListView"; }

VelContactListViewItem* VelContactListView::FindContactRow(int32_t id) const { return FindContactRowIn(GetList(), id); }

VelListView::Predicate FindContactItemId(int32_t id)
{
    return [id](const VelItem* item) {
        const VelContactListViewItem* row = dynamic_cast<const VelContactListViewItem*>(item);
        return row && row->GetContact() && row->GetContact()->GetId() == id;
    };
}

VelContactListViewItem* FindContactRowIn(VelListView* list, int32_t id)
{
    // The predicate admits contact rows only.
    return list ? static_cast<VelContactListViewItem*>(list->FindItem(FindContactItemId(id))) : nullptr;
}

void VelContactListView::SetUpList(VelListView& list)
{
    list.SetSelectionMode(true, true);
    SelectFirstTabState();
    list.SetHighlightEnabled(true);
    list.SetScrollbarVisible(true);
}

void VelContactListView::SetReserved(int value) { m_reserved = value; }

int VelContactListView::GetReserved() const { return m_reserved; }

void VelContactListView::OnTabTappedAgain() { SelectNextTabState(); }

void VelContactListView::SelectFirstTabState()
{
    m_tabState = 0;
    ApplyTabState();
}

void VelContactListView::SelectNextTabState()
{
    m_tabState = static_cast<int>((static_cast<unsigned>(m_tabState) + 1) % m_tabStates.size());
    ApplyTabState();
}

void VelContactListView::ApplyTabState()
{
    const TabState& state = m_tabStates[static_cast<size_t>(m_tabState)];
    ShowTabLook(state.look);
    VelListView* list = GetList();
    if (!list || list->GetGrouping() == state.grouping)
        return;
    list->SetGrouping(state.grouping);
    // A new grouping starts at its first group, not at the old one's offset.
    list->ScrollToCell(VelPoint(0, 0));
}
