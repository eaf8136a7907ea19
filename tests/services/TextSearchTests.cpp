#include <gtest/gtest.h>

#include "VelTextSearch.h"

#include <wchar.h>

#include <algorithm>
#include <string>
#include <vector>

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

int Sign(int value) { return (value > 0) - (value < 0); }

// Names that tell a folded comparison from a careless one: case, accents in
// both cases, letters past Latin, punctuation either side of the letters,
// digits, prefixes, spaces and the empty name.
const std::vector<std::wstring> kTrickyNames = {
    L"",
    L"a",
    L"A",
    L"ab",
    L"aB",
    L"Ab",
    L"abc",
    L"Zed",
    L"zed",
    L"_zed",
    L"[zed]",
    L"^zed",
    L"`zed",
    L"@zed",
    L"Z\x00e9",
    L"Z\x00c9",
    L"ze",
    L"\x00c9mile",
    L"\x00e9mile",
    L"Emile",
    L"emile",
    L"\x00d8ye",
    L"\x00f8ye",
    L"\x0130lker",
    L"\x0131lker",
    L"ilker",
    L"\x0416\x0435\x043d\x044f",
    L"\x0436\x0435\x043d\x044f",
    L"\x03a9mega",
    L"\x03c9mega",
    L"10 Downing",
    L"9 Lives",
    L"010",
    L"O'Brien",
    L"OBrien",
    L"o brien",
    L"o-brien",
    L"Anne Marie",
    L"Anne-Marie",
    L"AnneMarie",
    L"\x00df",
    L"ss",
    L"SS",
    L"\xff21\xff22",
    L"\xff41\xff42",
    L"\xffff",
    L"~",
};

TEST(CompareNoCase, OrdersAsTheRuntimeCaseInsensitiveCompare)
{
    for (const std::wstring& a : kTrickyNames)
        for (const std::wstring& b : kTrickyNames)
            EXPECT_EQ(Sign(CompareNoCase(a, b)), Sign(_wcsicmp(a.c_str(), b.c_str())))
                << "\"" << std::string(a.begin(), a.end()) << "\" against \"" << std::string(b.begin(), b.end())
                << "\"";

    // A sort by either gives the same rows in the same places.
    std::vector<std::wstring> ours = kTrickyNames, theirs = kTrickyNames;
    std::stable_sort(ours.begin(), ours.end(),
                     [](const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) < 0; });
    std::stable_sort(theirs.begin(), theirs.end(),
                     [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
    EXPECT_EQ(ours, theirs);
}

TEST(CompareNoCase, EndsAtTheFirstNullAsTheRuntimeDoes)
{
    const std::wstring withNull(L"ab\0zz", 5);
    EXPECT_EQ(CompareNoCase(withNull, L"AB"), 0);
    EXPECT_EQ(Sign(CompareNoCase(L"AB", L"abc")), Sign(_wcsicmp(L"AB", L"abc")));
    EXPECT_LT(CompareNoCase(L"", L"a"), 0);
    EXPECT_GT(CompareNoCase(L"b", L"A"), 0);
}

}  // namespace
