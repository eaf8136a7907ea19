#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The keypad search: true, with the first position, when the text holds a
// run of consecutive characters the first of which is one of keys[0]'s
// characters, the next one of keys[1]'s, and so on. The text is compared in
// upper case, the keys as given. No keys match nothing.
bool FindNoCase(const std::wstring& text, const std::vector<std::wstring>& keys, size_t* position);

// The order of _wcsicmp: each character lower-cased as the C runtime does
// it, then compared by code unit, up to the first null. Negative, zero or
// positive. A character's lower case is asked of the runtime once and kept,
// so a sort over many rows does not fetch the locale at every character.
int CompareNoCase(const std::wstring& first, const std::wstring& second);

// The first four of the `length` characters at `text` as CompareNoCase sees
// them, packed so that two texts whose prefixes differ order as their
// prefixes do; equal prefixes leave the order to CompareNoCase.
uint64_t CompareNoCasePrefix(const wchar_t* text, size_t length);
