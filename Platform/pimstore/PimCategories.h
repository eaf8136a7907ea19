#pragma once
// A contact's categories text: its categories joined by ", ", split and
// joined here for every stand-in that writes it (the contacts server, the
// device tool). The program may include only the phone's own headers, so it
// keeps a reading of its own, held to the same cases by the tests.
//
// Every part counts, empty ones and blanks included, and joining what was
// split gives the text back as it was: adding or removing one category leaves
// the others of a stored text exactly as they were.
#include <string>
#include <vector>

namespace pimcategories {

const wchar_t kSeparator[] = L", ";
const size_t kSeparatorChars = 2;

// No part for an empty text; otherwise one more part than separators.
inline std::vector<std::wstring> Split(const std::wstring& text)
{
    std::vector<std::wstring> parts;
    if (text.empty())
        return parts;
    size_t start = 0;
    for (size_t at; (at = text.find(kSeparator, start)) != std::wstring::npos; start = at + kSeparatorChars)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

inline std::wstring Join(const std::vector<std::wstring>& parts)
{
    std::wstring text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text += kSeparator;
        text += parts[i];
    }
    return text;
}

}  // namespace pimcategories
