#include "VelThemeLibrary.h"

#include "VelApplication.h"
#include "VelFiles.h"
#include "VelKlTheme.h"
#include "VelResourceLibrary.h"
#include "VelUniqueHandle.h"

#include <memory>

HMODULE ThemeModule = nullptr;

namespace {

// The application owns the current theme and deletes the one it replaces.
void InstallTheme(VelTheme* theme)
{
    if (VelApplication::Instance) {
        VelApplication::Instance->SetTheme(theme);
    } else if (theme != CurrentTheme) {
        delete CurrentTheme;
        CurrentTheme = theme;
    }
}

}  // namespace

VelKlTheme* LoadTheme(const std::wstring& name)
{
    if (!VelResourceLibrary::IsPlainName(name))
        return nullptr;
    VelModule library(VelResourceLibrary::Map(GetThemesDirectory() + name + L".dll"));
    if (!library)
        return nullptr;
    std::unique_ptr<VelKlTheme> theme(new VelKlTheme());
    // The old theme's cached images come from the old library: the theme goes
    // first, then its library.
    if (ThemeModule) {
        InstallTheme(nullptr);
        ::FreeLibrary(ThemeModule);
        ThemeModule = nullptr;
    }
    VelKlTheme* installed = theme.release();
    InstallTheme(installed);
    ThemeModule = library.Detach();
    return installed;
}

VelKlTheme* GetCurrentTheme()
{
    if (VelKlTheme* theme = dynamic_cast<VelKlTheme*>(CurrentTheme))
        return theme;
    // Made on first need and never deleted, so no static destruction order
    // can outlive the object registry it is entered in.
    static VelKlTheme* const imageless = new VelKlTheme();
    return imageless;
}

HMODULE GetThemeModule() { return ThemeModule; }

std::wstring GetThemesDirectory() { return GetModuleDirectory() + L"Themes\\"; }

std::vector<std::wstring> ListThemes() { return ListFiles(GetThemesDirectory(), L"*.dll", VelExtension::kKeep); }

VelBitmap* CurrentThemeImage(UINT id)
{
    VelKlTheme* theme = GetCurrentTheme();
    return theme ? theme->GetImage(id) : nullptr;
}
