#pragma once
#include <string>
#include <vector>

class PeerListView;

// What a program on the platform's owner-data list does for the changes the
// cases make to ours: it keeps the rows' texts, builds what the list shows
// (an order of rows with group headers), sets the count and repaints.
class PeerShown {
public:
    explicit PeerShown(PeerListView& list);

    void Begin();
    // The row, under a header of the label when it differs from the last one's.
    void Row(int row, const std::wstring& label);
    // Hands the order to the list, sets its count and repaints.
    void Show();
    size_t Size() const { return m_order.size(); }

private:
    PeerListView& m_list;
    std::vector<int> m_order;
    std::vector<std::wstring> m_headers;
};

// The contacts as the peer keeps them: texts, and the keypad digits of name
// and number made when the rows were.
struct PeerContacts {
    std::vector<std::wstring> names, numbers, companies;
    std::vector<std::vector<std::wstring>> categories;
    std::vector<std::wstring> nameDigits, numberDigits;
    // By name, as the keypad search starts from: the rows and their labels.
    std::vector<int> byName;
    std::vector<std::wstring> byNameLabels;
};

// The three groupings, each built in one pass over keys folded once per row,
// sorted once: by the first letter of the name, by company, by category.
void PeerByName(const PeerContacts& contacts, PeerShown& shown, std::vector<int>* rows = nullptr,
                std::vector<std::wstring>* labels = nullptr);
void PeerByCompany(const PeerContacts& contacts, PeerShown& shown);
void PeerByCategory(const PeerContacts& contacts, PeerShown& shown);
// The rows by name whose name or number digits hold the typed digits; every row for none.
void PeerKeypad(const PeerContacts& contacts, const std::wstring& typed, PeerShown& shown);

// The calls as the peer keeps them, newest first, with their date labels.
struct PeerCalls {
    std::vector<std::wstring> first, second, labels;
    std::vector<char> missed, outgoing;
};

// The calls of a filter: 0 every call, 1 outgoing, 2 incoming, 3 missed.
void PeerCallFilter(const PeerCalls& calls, int filter, PeerShown& shown);
