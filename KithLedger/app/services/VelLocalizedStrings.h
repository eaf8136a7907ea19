#pragma once
#include "VelKlResourceIds.h"

#include <string>
#include <vector>

// Frees the current language library, then maps "Languages\<name>.dll" beside
// the program for its strings only. False, with no language loaded, when the
// name is not a plain name (letters, digits, '-', '_') or the library does not
// map; the caller then falls back to "English".
bool LoadLanguage(const std::wstring& name);
// Changes at every LoadLanguage: a string kept from the library is stale once
// it differs from the value seen when the string was read.
unsigned GetLanguageGeneration();
std::wstring GetLanguageDirectory();
// The names of the language libraries, without ".dll".
std::vector<std::wstring> ListLanguages();
// Empty when no language is loaded, the library has no such string or its
// string table is damaged.
std::wstring LoadLocalizedString(unsigned id);
