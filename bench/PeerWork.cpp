#include "PeerWork.h"

#include <algorithm>
#include <cwctype>
#include <utility>

#include "PeerListView.h"

namespace {

const wchar_t kNoneLabel[] = L"#";

std::wstring Fold(const std::wstring& text)
{
    std::wstring folded(text);
    for (wchar_t& c : folded)
        c = c < 128 ? (c >= L'A' && c <= L'Z' ? wchar_t(c + 32) : c) : wchar_t(towlower(c));
    return folded;
}

// One entry to sort: its folded key, its label and row; the empty key last.
struct Keyed {
    std::wstring key;
    const std::wstring* label;
    int row;
};

bool KeyedBefore(const Keyed& a, const Keyed& b)
{
    if (a.key.empty() != b.key.empty())
        return b.key.empty();
    return a.key < b.key;
}

void ShowSorted(std::vector<Keyed>& entries, PeerShown& shown)
{
    std::stable_sort(entries.begin(), entries.end(), KeyedBefore);
    shown.Begin();
    static const std::wstring none(kNoneLabel);
    for (const Keyed& e : entries)
        shown.Row(e.row, e.key.empty() ? none : *e.label);
    shown.Show();
}

}  // namespace

PeerShown::PeerShown(PeerListView& list) : m_list(list) { m_list.SetOrder(&m_order, &m_headers); }

void PeerShown::Begin()
{
    m_order.clear();
    m_headers.clear();
}

void PeerShown::Row(int row, const std::wstring& label)
{
    if (m_headers.empty() || m_headers.back() != label) {
        m_headers.push_back(label);
        m_order.push_back(-int(m_headers.size()));
    }
    m_order.push_back(row);
}

void PeerShown::Show() { m_list.Fill(); }

void PeerByName(const PeerContacts& contacts, PeerShown& shown, std::vector<int>* rows,
                std::vector<std::wstring>* labels)
{
    const size_t n = contacts.names.size();
    std::vector<std::wstring> letters(n);
    std::vector<Keyed> entries(n);
    for (size_t i = 0; i < n; ++i) {
        const std::wstring& name = contacts.names[i];
        if (!name.empty())
            letters[i].assign(1, wchar_t(towupper(name[0])));
        entries[i] = Keyed{Fold(name), &letters[i], int(i)};
    }
    ShowSorted(entries, shown);
    if (rows && labels) {
        rows->clear();
        labels->clear();
        for (const Keyed& e : entries) {
            rows->push_back(e.row);
            labels->push_back(e.key.empty() ? std::wstring(kNoneLabel) : *e.label);
        }
    }
}

void PeerByCompany(const PeerContacts& contacts, PeerShown& shown)
{
    const size_t n = contacts.companies.size();
    std::vector<Keyed> entries(n);
    for (size_t i = 0; i < n; ++i)
        entries[i] = Keyed{Fold(contacts.companies[i]), &contacts.companies[i], int(i)};
    ShowSorted(entries, shown);
}

void PeerByCategory(const PeerContacts& contacts, PeerShown& shown)
{
    static const std::wstring empty;
    std::vector<Keyed> entries;
    entries.reserve(contacts.categories.size());
    for (size_t i = 0; i < contacts.categories.size(); ++i) {
        const std::vector<std::wstring>& list = contacts.categories[i];
        if (list.empty())
            entries.push_back(Keyed{std::wstring(), &empty, int(i)});
        for (const std::wstring& category : list)
            entries.push_back(Keyed{Fold(category), &category, int(i)});
    }
    ShowSorted(entries, shown);
}

void PeerKeypad(const PeerContacts& contacts, const std::wstring& typed, PeerShown& shown)
{
    shown.Begin();
    for (size_t i = 0; i < contacts.byName.size(); ++i) {
        const size_t row = size_t(contacts.byName[i]);
        if (typed.empty() || contacts.nameDigits[row].find(typed) != std::wstring::npos ||
            contacts.numberDigits[row].find(typed) != std::wstring::npos)
            shown.Row(int(row), contacts.byNameLabels[i]);
    }
    shown.Show();
}

void PeerCallFilter(const PeerCalls& calls, int filter, PeerShown& shown)
{
    shown.Begin();
    for (size_t i = 0; i < calls.first.size(); ++i) {
        const bool missed = calls.missed[i] != 0;
        const bool outgoing = calls.outgoing[i] != 0;
        const bool wanted = filter == 0 || (filter == 1 && !missed && outgoing) ||
                            (filter == 2 && !missed && !outgoing) || (filter == 3 && missed);
        if (wanted)
            shown.Row(int(i), calls.labels[i]);
    }
    shown.Show();
}
