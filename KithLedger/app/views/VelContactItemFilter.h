#pragma once
#include <string>
#include <vector>

class VelItem;

// Shows the contact rows whose name, or else primary number, holds a run of
// the typed keys, and marks the matched run on the row. It keeps its own copy
// of the keys: rows added on other threads are filtered while the keypad
// changes the main view's list.
class VelContactItemFilter {
public:
    explicit VelContactItemFilter(std::vector<std::wstring> typedKeys);

    bool operator()(const VelItem* row) const;

private:
    std::vector<std::wstring> m_keys;
};
