#include "VelContactItemFilter.h"

#include "VelContactItem.h"
#include "VelContactListViewItem.h"

#include <wctype.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

// Characters below this have their upper case and their keys in flat tables;
// it covers the keypad's letters and the accented Latin ones.
const unsigned kTableChars = 0x250;
// Keys past this many are looked up in their text.
const size_t kMaskedKeys = 64;

}  // namespace

struct VelContactItemFilter::Keys {
    std::vector<std::wstring> typed;
    wchar_t upper[kTableChars];
    uint64_t tableMask[kTableChars];                   // bit k: typed[k] holds the character
    std::vector<std::pair<wchar_t, uint64_t>> others;  // the same for the rest, sorted

    explicit Keys(std::vector<std::wstring> keys) : typed(std::move(keys)), upper(), tableMask()
    {
        for (unsigned c = 0; c < kTableChars; ++c)
            upper[c] = static_cast<wchar_t>(towupper(static_cast<wint_t>(c)));
        for (size_t k = 0; k < typed.size() && k < kMaskedKeys; ++k) {
            for (wchar_t c : typed[k]) {
                if (unsigned(c) < kTableChars) {
                    tableMask[unsigned(c)] |= uint64_t(1) << k;
                    continue;
                }
                auto at = std::lower_bound(others.begin(), others.end(), std::make_pair(c, uint64_t(0)),
                                           [](const std::pair<wchar_t, uint64_t>& a,
                                              const std::pair<wchar_t, uint64_t>& b) { return a.first < b.first; });
                if (at == others.end() || at->first != c)
                    at = others.insert(at, std::make_pair(c, uint64_t(0)));
                at->second |= uint64_t(1) << k;
            }
        }
    }

    wchar_t Upper(wchar_t c) const
    {
        return unsigned(c) < kTableChars ? upper[unsigned(c)] : static_cast<wchar_t>(towupper(c));
    }

    bool Holds(size_t key, wchar_t c) const
    {
        if (key >= kMaskedKeys)
            return typed[key].find(c) != std::wstring::npos;
        if (unsigned(c) < kTableChars)
            return (tableMask[unsigned(c)] >> key) & 1;
        auto at = std::lower_bound(others.begin(), others.end(), std::make_pair(c, uint64_t(0)),
                                   [](const std::pair<wchar_t, uint64_t>& a, const std::pair<wchar_t, uint64_t>& b) {
                                       return a.first < b.first;
                                   });
        return at != others.end() && at->first == c && ((at->second >> key) & 1);
    }
};

VelContactItemFilter::VelContactItemFilter(std::vector<std::wstring> typedKeys) : m_keys(new Keys(std::move(typedKeys)))
{
}

bool VelContactItemFilter::Find(const std::wstring& text, size_t* position) const
{
    const Keys& keys = *m_keys;
    const size_t count = keys.typed.size();
    if (count == 0 || text.size() < count)
        return false;
    for (size_t start = 0; start + count <= text.size(); ++start) {
        size_t k = 0;
        while (k < count && keys.Holds(k, keys.Upper(text[start + k])))
            ++k;
        if (k == count) {
            *position = start;
            return true;
        }
    }
    return false;
}

bool VelContactItemFilter::operator()(const VelItem* item) const
{
    const bool noKeys = m_keys->typed.empty();
    const VelContactListViewItem* found = dynamic_cast<const VelContactListViewItem*>(item);
    if (!found || !found->GetContact())
        return noKeys;
    // The list hands rows over read-only, yet the match belongs on the row it
    // owns: the row paints it.
    VelContactListViewItem* row = const_cast<VelContactListViewItem*>(found);
    const int length = static_cast<int>(m_keys->typed.size());
    if (noKeys) {
        row->SetMatch(VelContactListViewItem::kMatchNone, 0, 0);
        return true;
    }
    size_t at = 0;
    if (Find(row->GetContact()->GetDisplayNameText(), &at)) {
        row->SetMatch(VelContactListViewItem::kMatchName, static_cast<int>(at), length);
        return true;
    }
    if (Find(row->GetContact()->GetPrimaryNumberText(), &at)) {
        row->SetMatch(VelContactListViewItem::kMatchNumber, static_cast<int>(at), length);
        return true;
    }
    row->SetMatch(VelContactListViewItem::kMatchNone, 0, 0);
    return false;
}
