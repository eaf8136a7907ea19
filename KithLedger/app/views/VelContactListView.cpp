#include "VelContactListView.h"

#include "VelContactItem.h"
#include "VelContactListViewItem.h"
#include "VelKlResourceIds.h"
#include "VelLocalizedStrings.h"
#include "VelScopedLock.h"
#include "VelTextSearch.h"

#include <algorithm>
#include <cstdint>
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

// The label of a fallback group, asked for at each row a grouping files and
// each comparison of two groups: read from the language library once, and
// again only after another library was loaded. Data handlers file rows on
// their own threads, hence the lock.
class FallbackLabel {
public:
    explicit FallbackLabel(unsigned id) : m_id(id), m_generation(0) {}
    FallbackLabel(const FallbackLabel&) = delete;
    FallbackLabel& operator=(const FallbackLabel&) = delete;

    GroupKeys Keys()
    {
        VelScopedLock lock(&m_lock);
        Refresh();
        return OneKey(m_text);
    }
    // First holds the label, second holds it.
    void Match(const std::wstring& first, const std::wstring& second, bool& firstIs, bool& secondIs)
    {
        VelScopedLock lock(&m_lock);
        Refresh();
        firstIs = first == m_text;
        secondIs = second == m_text;
    }

private:
    void Refresh()
    {
        // The generation starts at 1: a zero means never read.
        const unsigned generation = GetLanguageGeneration();
        if (generation == m_generation)
            return;
        m_text = LoadLocalizedString(m_id);
        m_generation = generation;
    }

    const unsigned m_id;
    unsigned m_generation;
    std::wstring m_text;
    VelCriticalSection m_lock;
};

FallbackLabel s_noName(kStrNoName);
FallbackLabel s_noCompany(kStrNoCompany);
FallbackLabel s_noCategory(kStrNoCategory);

// The fallback group goes last, the others in case-insensitive order.
bool GroupGoesFirst(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b, FallbackLabel& fallback)
{
    const std::wstring& first = a->GetText();
    const std::wstring& second = b->GetText();
    bool firstIsFallback = false;
    bool secondIsFallback = false;
    fallback.Match(first, second, firstIsFallback, secondIsFallback);
    if (firstIsFallback)
        return false;
    return secondIsFallback || CompareNoCase(first, second) < 0;
}

}  // namespace

GroupKeys ContactNameGroupKeys(const VelItem* row)
{
    const VelContactItem* contact = ContactOf(row);
    if (!contact || contact->GetDisplayNameText().empty())
        return s_noName.Keys();
    return OneKey(std::wstring(1, static_cast<wchar_t>(towupper(contact->GetDisplayNameText()[0]))));
}

GroupKeys ContactCompanyGroupKeys(const VelItem* row)
{
    const VelContactItem* contact = ContactOf(row);
    if (!contact || contact->GetCompanyText().empty())
        return s_noCompany.Keys();
    return OneKey(contact->GetCompanyText());
}

GroupKeys ContactCategoryGroupKeys(const VelItem* row)
{
    const VelContactItem* contact = ContactOf(row);
    if (!contact)
        return s_noCategory.Keys();
    const std::vector<std::wstring>& categories = contact->GetCategoryList();
    if (categories.empty() || (categories.size() == 1 && categories[0].empty()))
        return s_noCategory.Keys();
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

void SortContactRowsByName(std::vector<VelGroupItem::ItemPtr>& rows)
{
    // A sort of thousands of rows would otherwise reach each row, its contact
    // and its name at every comparison: the names are folded once, side by
    // side, and compared there as CompareNoCase compares them.
    const size_t kNoName = size_t(-1);
    struct Keyed {
        uint64_t prefix;
        size_t folded;  // kNoName for a row without a contact: those go last
        size_t at;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    std::vector<uint64_t> folded;
    for (size_t i = 0; i < rows.size(); ++i) {
        const VelContactItem* contact = ContactOf(rows[i].get());
        if (!contact) {
            keyed.push_back(Keyed{0, kNoName, i});
            continue;
        }
        // Four characters a word, the last word ending in at least one zero.
        const std::wstring& name = contact->GetDisplayNameText();
        keyed.push_back(Keyed{0, folded.size(), i});
        for (size_t from = 0;; from += 4) {
            const size_t at = std::min(from, name.size());
            const uint64_t word = CompareNoCasePrefix(name.data() + at, name.size() - at);
            folded.push_back(word);
            if ((word & 0xFFFF) == 0)
                break;
        }
        keyed.back().prefix = folded[keyed.back().folded];
    }
    const uint64_t* words = folded.data();
    std::stable_sort(keyed.begin(), keyed.end(), [words](const Keyed& a, const Keyed& b) {
        if (a.folded == kNoName || b.folded == kNoName)
            return a.folded != kNoName && b.folded == kNoName;
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        for (const uint64_t *x = words + a.folded, *y = words + b.folded;; ++x, ++y) {
            if (*x != *y)
                return *x < *y;
            if ((*x & 0xFFFF) == 0)
                return false;
        }
    });
    std::vector<VelGroupItem::ItemPtr> sorted;
    sorted.reserve(rows.size());
    for (const Keyed& k : keyed)
        sorted.push_back(std::move(rows[k.at]));
    rows.swap(sorted);
}

bool CompareNameGroups(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b)
{
    return GroupGoesFirst(a, b, s_noName);
}

bool CompareCompanyGroups(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b)
{
    return GroupGoesFirst(a, b, s_noCompany);
}

bool CompareCategoryGroups(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b)
{
    return GroupGoesFirst(a, b, s_noCategory);
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
        VelGroupItem::Sorter rowSorter;
    };
    const StateRow rows[] = {
        {kStrContactsByName, kByNameImages, ContactNameGroupKeys, CompareNameGroups, CompareContactNames,
         SortContactRowsByName},
        {kStrContactsByCompany,
         {kImageByCompanyTab, kImageByCompanyTabSelected, kImageByCompanyTabHighlighted},
         ContactCompanyGroupKeys,
         CompareCompanyGroups,
         nullptr,
         nullptr},
        {kStrContactsByCategory,
         {kImageByCategoryTab, kImageByCategoryTabSelected, kImageByCategoryTabHighlighted},
         ContactCategoryGroupKeys,
         CompareCategoryGroups,
         nullptr,
         nullptr},
    };
    for (const StateRow& row : rows) {
        m_groupings.emplace_back(new VelListGrouping);
        VelListGrouping* grouping = m_groupings.back().get();
        grouping->keys = row.keys;
        grouping->groupComparator = row.groupOrder;
        grouping->itemComparator = row.rowOrder;
        grouping->itemSorter = row.rowSorter;
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
