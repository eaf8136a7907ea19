#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The keypad search: true, with the first position, when the text holds a
// run of consecutive characters the first of which is one of keys[0]'s
// characters, the next one of keys[1]'s, and so on. The text is compared in
// upper case, the keys as given. No keys match nothing.
bool FindNoCase(const std::wstring& text, const std::vector<std::wstring>& keys, size_t* position);
