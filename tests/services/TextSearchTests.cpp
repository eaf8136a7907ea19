#include <gtest/gtest.h>

#include "VelTextSearch.h"

namespace {

// Uppercase keypad keys, digits first.
const std::wstring k2 = L"2ABC", k3 = L"3DEF", k5 = L"5JKL", k6 = L"6MNO", k7 = L"7PQRS";

struct SearchCase {
    const wchar_t* text;
    std::vector<std::wstring> keys;
    bool found;
    size_t position;
};

TEST(FindNoCase, KeypadRunsOverNamesAndNumbers)
{
    const SearchCase cases[] = {
        {L"anna berg", {k2, k6}, true, 0},  // lower-case text, upper-case keys
        {L"Bob", {k2, k6, k2}, true, 0},
        {L"Joe Adams", {k2, k3}, true, 4},
        {L"Abba Adele", {k2, k3}, true, 5},  // four runs start on key 1 and fail
        {L"Eva", {k3, k7}, false, 0},
        {L"Ann", {k2, k6, k6, k6}, false, 0},      // the text ends before the fourth key
        {L"+46 555 0123", {k5, k5, k5}, true, 4},  // digits stand for themselves
        {L"+46 555 0123", {k2, k3}, true, 10},
        {L"", {k2}, false, 0},
        {L"anna", {L"a", L"n"}, false, 0},  // the keys are not upper-cased
        {L"Anna", {}, false, 0},
    };
    for (const SearchCase& c : cases) {
        size_t position = 99;
        EXPECT_EQ(FindNoCase(c.text, c.keys, &position), c.found) << c.text;
        if (c.found)
            EXPECT_EQ(position, c.position) << c.text;
    }
}

}  // namespace
