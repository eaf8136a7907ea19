#include "VelTextSearch.h"

#include <wctype.h>

namespace {

bool RunMatches(const std::wstring& text, size_t start, const std::vector<std::wstring>& keys)
{
    if (text.size() - start < keys.size())
        return false;
    for (size_t k = 1; k < keys.size(); ++k) {
        if (keys[k].find(text[start + k]) == std::wstring::npos)
            return false;
    }
    return true;
}

}  // namespace

bool FindNoCase(const std::wstring& text, const std::vector<std::wstring>& keys, size_t* position)
{
    if (keys.empty())
        return false;
    std::wstring upper(text);
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));

    const std::wstring& first = keys.front();
    for (size_t start = upper.find_first_of(first); start != std::wstring::npos;
         start = upper.find_first_of(first, start + 1)) {
        if (RunMatches(upper, start, keys)) {
            if (position)
                *position = start;
            return true;
        }
    }
    return false;
}
