#pragma once
// One table of categories texts for every reader and writer of them: the
// shared split and join, the contacts server's add and remove, and the
// device tool's favourite switches. Every part counts, empty ones and blanks
// too, so that a text comes back as it was after a category went in and out.
#include <string>
#include <vector>

struct CategoryTextCase {
    const wchar_t* text;
    std::vector<std::wstring> parts;
    const wchar_t* withFavorites;  // after "Favorites" is added
};

inline const std::vector<CategoryTextCase>& CategoryTextCases()
{
    static const std::vector<CategoryTextCase> cases = {
        {L"", {}, L"Favorites"},
        {L"Work", {L"Work"}, L"Work, Favorites"},
        {L"Work, Home", {L"Work", L"Home"}, L"Work, Home, Favorites"},
        {L"Work, , Home", {L"Work", L"", L"Home"}, L"Work, , Home, Favorites"},
        {L"Work, ", {L"Work", L""}, L"Work, , Favorites"},
        {L", Work", {L"", L"Work"}, L", Work, Favorites"},
        {L", ", {L"", L""}, L", , Favorites"},
        {L"Work,Home", {L"Work,Home"}, L"Work,Home, Favorites"},
        {L"Work,  Home", {L"Work", L" Home"}, L"Work,  Home, Favorites"},
        {L" Work ", {L" Work "}, L" Work , Favorites"},
        {L"MyFavorites", {L"MyFavorites"}, L"MyFavorites, Favorites"},
    };
    return cases;
}
