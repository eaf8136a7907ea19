#pragma once
// A contact's categories text: its categories joined by ", ". Header only, so
// that the program and the stand-ins that write the text read it the one way
// without the program linking a stand-in.
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
