#include "VelLocalizedStrings.h"

#include <windows.h>

#include "VelFiles.h"

namespace {

class LanguageLibrary {
public:
    ~LanguageLibrary() { Replace(NULL); }

    void Replace(HMODULE module)
    {
        if (m_module)
            FreeLibrary(m_module);
        m_module = module;
    }

    HMODULE Get() const { return m_module; }

private:
    HMODULE m_module = NULL;
};

LanguageLibrary s_language;

}

bool LoadLanguage(const std::wstring& name)
{
    s_language.Replace(NULL);
    s_language.Replace(LoadLibraryW((GetLanguageDirectory() + name + L".dll").c_str()));
    return s_language.Get() != NULL;
}

std::wstring GetLanguageDirectory()
{
    return GetModuleDirectory() + L"Languages\\";
}

std::vector<std::wstring> ListLanguages()
{
    return ListFiles(GetLanguageDirectory(), L"*.dll", VelExtension::kStrip);
}

std::wstring LoadLocalizedString(unsigned id)
{
    if (!s_language.Get())
        return std::wstring();
    // Asked for no copy, LoadString hands out the resource's own text, which is
    // not terminated; its result is the length.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(s_language.Get(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (!text || length <= 0)
        return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}
