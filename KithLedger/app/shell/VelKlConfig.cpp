#include "VelKlConfig.h"

#include <windows.h>

#include <SimpleIni.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "VelFiles.h"

namespace {

const wchar_t kDefaultLanguage[] = L"English";

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};

bool LooksLikeUtf16(const std::vector<char>& bytes, bool* bigEndian)
{
    if (bytes.size() >= 2) {
        const unsigned char a = static_cast<unsigned char>(bytes[0]);
        const unsigned char b = static_cast<unsigned char>(bytes[1]);
        if (a == 0xFF && b == 0xFE) {
            *bigEndian = false;
            return true;
        }
        if (a == 0xFE && b == 0xFF) {
            *bigEndian = true;
            return true;
        }
        // No mark, but ASCII text in UTF-16 has a zero in every other byte.
        if (bytes.size() >= 4 && a != 0 && b == 0 && bytes[3] == 0) {
            *bigEndian = false;
            return true;
        }
        if (bytes.size() >= 4 && a == 0 && b != 0 && bytes[2] == 0) {
            *bigEndian = true;
            return true;
        }
    }
    return false;
}

// The UTF-16 text as UTF-8, which is what the parser reads.
std::vector<char> Utf16ToUtf8(const std::vector<char>& bytes, bool bigEndian)
{
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned char lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        const unsigned char hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        text.push_back(static_cast<wchar_t>(lo | (hi << 8)));
    }
    if (!text.empty() && text[0] == 0xFEFF)
        text.erase(0, 1);
    std::vector<char> utf8;
    if (text.empty())
        return utf8;
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return utf8;
    utf8.resize(static_cast<size_t>(size));
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

}  // namespace

VelConfigResult ReadConfiguredLanguage(const std::wstring& path, std::wstring* language)
{
    *language = kDefaultLanguage;
    std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"rb"));
    if (!file)
        return VelConfigResult::kMissing;
    std::vector<char> bytes(kConfigReadLimitBytes);
    bytes.resize(fread(bytes.data(), 1, bytes.size(), file.get()));
    file.reset();

    bool bigEndian = false;
    if (LooksLikeUtf16(bytes, &bigEndian)) {
        ::OutputDebugStringW(L"VelKlApplication: config.ini is UTF-16; read as such.\n");
        bytes = Utf16ToUtf8(bytes, bigEndian);
    }
    // Section and key names in any case, as INI users write them.
    CSimpleIniW ini(true, true, true);
    if (ini.LoadData(bytes.data(), bytes.size()) < 0)
        return VelConfigResult::kMalformed;
    const wchar_t* value = ini.GetValue(L"config", L"language", kDefaultLanguage);
    *language = value ? value : kDefaultLanguage;
    return VelConfigResult::kRead;
}

std::wstring GetConfigPath() { return GetModuleDirectory() + L"config.ini"; }

bool LoadConfiguredLanguage(const std::wstring& path, const std::function<bool(const std::wstring& name)>& load)
{
    std::wstring language;
    if (ReadConfiguredLanguage(path, &language) == VelConfigResult::kRead && load(language))
        return true;
    ::OutputDebugStringW(L"VelKlApplication::Init: the configured language did not load; English is used.\n");
    return load(kDefaultLanguage);
}
