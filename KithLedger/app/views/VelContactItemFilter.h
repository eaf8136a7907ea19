#pragma once
#include <boost/shared_ptr.hpp>

#include <cstddef>
#include <string>
#include <vector>

class VelItem;

// Shows the contact rows whose name, or else primary number, holds a run of
// the typed keys, and marks the matched run on the row. It keeps its own copy
// of the keys: rows added on other threads are filtered while the keypad
// changes the main view's list. The keys are turned once into tables of which
// key holds which character, so that looking at a row allocates nothing.
class VelContactItemFilter {
public:
    explicit VelContactItemFilter(std::vector<std::wstring> typedKeys);

    bool operator()(const VelItem* row) const;

private:
    struct Keys;

    // The first position of the run in the text compared in upper case, as the
    // text search does; false when there is none.
    bool Find(const std::wstring& text, size_t* position) const;

    // Shared by the copies the list makes of the filter.
    boost::shared_ptr<const Keys> m_keys;
};
