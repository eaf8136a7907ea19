#include "VelLocalizedStrings.h"

#include <windows.h>

#include "VelFiles.h"
#include "VelResourceLibrary.h"

#include <atomic>

namespace {

// A string table block holds 16 strings, each a length word and that many
// characters; block n + 1 holds the ids 16 n to 16 n + 15.
const unsigned kStringsPerBlock = 16;

VelResourceLibrary s_language;
std::atomic<unsigned> s_languageGeneration(1);

}  // namespace

bool LoadLanguage(const std::wstring& name)
{
    s_language.Free();
    const bool loaded =
        VelResourceLibrary::IsPlainName(name) && s_language.Load(GetLanguageDirectory() + name + L".dll");
    ++s_languageGeneration;
    return loaded;
}

unsigned GetLanguageGeneration() { return s_languageGeneration.load(); }

std::wstring GetLanguageDirectory() { return GetModuleDirectory() + L"Languages\\"; }

std::vector<std::wstring> ListLanguages() { return ListFiles(GetLanguageDirectory(), L"*.dll", VelExtension::kStrip); }

std::wstring LoadLocalizedString(unsigned id)
{
    // The library is mapped as data, where the platform's string loader does
    // not serve; the block is read here, every length checked against it.
    const BYTE* block = NULL;
    DWORD size = 0;
    if (id > 0xFFFF || !VelResourceLibrary::Find(s_language.Get(), RT_STRING,
                                                 MAKEINTRESOURCEW(id / kStringsPerBlock + 1), &block, &size))
        return std::wstring();
    const DWORD words = size / sizeof(WORD);
    DWORD at = 0;
    for (unsigned index = id % kStringsPerBlock;; --index) {
        if (at >= words)
            return std::wstring();
        WORD length;
        memcpy(&length, block + at * sizeof(WORD), sizeof(length));
        ++at;
        if (length > words - at)
            return std::wstring();
        if (index == 0) {
            std::wstring text(length, L'\0');
            memcpy(&text[0], block + at * sizeof(WORD), length * sizeof(wchar_t));
            return text;
        }
        at += length;
    }
}
