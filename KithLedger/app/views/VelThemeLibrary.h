#pragma once
#include <windows.h>

#include <string>
#include <vector>

class VelBitmap;
class VelKlTheme;

// The loaded theme library; null until one loads.
extern HMODULE ThemeModule;

// Maps "Themes\<name>.dll" beside the program for its images only and installs
// a new VelKlTheme over it as the current theme, freeing the library before it
// once the theme that drew from it is gone. A name that is not plain (letters,
// digits, '-', '_') or a library that does not map changes nothing and gives
// null.
VelKlTheme* LoadTheme(const std::wstring& name);
// The current theme. When no theme library has loaded, the current theme is
// not the program's: then a theme of the program's with no images answers,
// so its fonts and colours are still there and every image is missing.
VelKlTheme* GetCurrentTheme();
// The current theme's image of that id; null when it has none.
VelBitmap* CurrentThemeImage(UINT id);
HMODULE GetThemeModule();
std::wstring GetThemesDirectory();
// The file names of the theme libraries, ".dll" included.
std::vector<std::wstring> ListThemes();
