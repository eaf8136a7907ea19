#include <gtest/gtest.h>

#include "TestFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "VelLocalizedStrings.h"

namespace {

TEST(LocalizedStrings, EnglishHoldsEveryIdTheProgramReads)
{
    ASSERT_TRUE(LoadLanguage(L"English"));
    for (unsigned id = 101; id <= 183; ++id) {
        const bool unused = id == 108 || id == 109 || (id >= 120 && id <= 122) || id == 147;
        EXPECT_EQ(LoadLocalizedString(id).empty(), unused) << id;
    }
    EXPECT_EQ(LoadLocalizedString(kStrToday), L"Today");
    EXPECT_EQ(LoadLocalizedString(kStrFirstDayName), L"Sunday");
    EXPECT_EQ(LoadLocalizedString(kStrFirstMonthName + 11), L"December");
    EXPECT_EQ(LoadLocalizedString(kStrFirstShortMonthName), L"Jan");
    // The texts are UTF-8: a dash must arrive as one character, not as bytes.
    EXPECT_EQ(LoadLocalizedString(kStrNoContactPlaceholder), L"\u2013");
    EXPECT_EQ(LoadLocalizedString(kStrNegativeDuration), L"\u2013");
}

TEST(LocalizedStrings, AbsentIdIsEmpty)
{
    ASSERT_TRUE(LoadLanguage(L"English"));
    EXPECT_EQ(LoadLocalizedString(147), L"");
    EXPECT_EQ(LoadLocalizedString(60000), L"");
}

TEST(LocalizedStrings, MissingLibraryUnloadsTheOldOne)
{
    ASSERT_TRUE(LoadLanguage(L"English"));
    EXPECT_FALSE(LoadLanguage(L"NoSuchLanguage"));
    EXPECT_EQ(LoadLocalizedString(kStrToday), L"");
    EXPECT_FALSE(LoadLanguage(L""));
    EXPECT_EQ(LoadLocalizedString(kStrDial), L"");
}

TEST(LocalizedStrings, ListsLanguagesWithoutExtension)
{
    // A second library beside English, named for this process alone.
    const std::wstring second = L"Second" + std::to_wstring(GetCurrentProcessId());
    const std::wstring secondPath = GetLanguageDirectory() + second + L".dll";
    ASSERT_TRUE(CopyFileW((GetLanguageDirectory() + L"English.dll").c_str(), secondPath.c_str(), FALSE));
    const std::vector<std::wstring> names = ListLanguages();
    EXPECT_TRUE(LoadLanguage(second));
    EXPECT_EQ(LoadLocalizedString(kStrToday), L"Today");
    EXPECT_FALSE(LoadLanguage(L"NoSuchLanguage"));
    DeleteFileW(secondPath.c_str());
    EXPECT_NE(std::find(names.begin(), names.end(), L"English"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), second), names.end());
    EXPECT_TRUE(GetLanguageDirectory().size() > 10);
    EXPECT_EQ(GetLanguageDirectory().substr(GetLanguageDirectory().size() - 10), L"Languages\\");
}

TEST(LocalizedStrings, OnlyAPlainNameIsLoaded)
{
    // A copy of English one folder up: a path would reach it.
    const std::wstring outside = L"Outside" + std::to_wstring(GetCurrentProcessId());
    const std::wstring outsidePath = GetLanguageDirectory() + L"..\\" + outside + L".dll";
    ASSERT_TRUE(CopyFileW((GetLanguageDirectory() + L"English.dll").c_str(), outsidePath.c_str(), FALSE));
    const std::wstring names[] = {
        L"..\\" + outside, L"../" + outside, GetLanguageDirectory() + L"English",
        L"English.",       L"English ",      L"Eng lish",
        L"English:x",      L"\u00c9nglish",  std::wstring(65, L'a'),
    };
    for (const std::wstring& name : names) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        ASSERT_TRUE(LoadLanguage(L"English"));
        EXPECT_FALSE(LoadLanguage(name));
        EXPECT_EQ(LoadLocalizedString(kStrToday), L"") << "no language is loaded";
    }
    DeleteFileW(outsidePath.c_str());
    EXPECT_FALSE(LoadLanguage(L"En-glish_2")) << "plain but absent";
}

TEST(LocalizedStrings, NoCodeOfTheLibraryRuns)
{
    // Loaded to run, a library is entered at its start-up routine; loaded for
    // its resources, it never is, and no module of that name appears.
    ASSERT_TRUE(LoadLanguage(L"English"));
    EXPECT_EQ(GetModuleHandleW((GetLanguageDirectory() + L"English.dll").c_str()), nullptr);
    EXPECT_EQ(LoadLocalizedString(kStrToday), L"Today");
}

namespace {

// Where a string block lies in the file: a library mapped as a plain data
// file keeps the file's layout.
size_t StringBlockOffset(const std::wstring& path, unsigned id)
{
    HMODULE flat = LoadLibraryExW(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!flat)
        return 0;
    HRSRC block = FindResourceW(flat, MAKEINTRESOURCEW(id / 16 + 1), RT_STRING);
    const BYTE* bytes = block ? static_cast<const BYTE*>(LockResource(LoadResource(flat, block))) : NULL;
    const BYTE* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(flat) & ~ULONG_PTR(3));
    const size_t offset = bytes ? static_cast<size_t>(bytes - base) : 0;
    FreeLibrary(flat);
    return offset;
}

class DamagedLanguage : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_english = ReadFileBytes(GetLanguageDirectory() + L"English.dll");
        ASSERT_GT(m_english.size(), 1024u);
        m_name = L"Damaged" + std::to_wstring(GetCurrentProcessId());
        m_path = GetLanguageDirectory() + m_name + L".dll";
    }
    void TearDown() override
    {
        LoadLanguage(L"English");
        DeleteFileW(m_path.c_str());
    }

    // Every id the program reads, and the ones around them.
    static void ReadEveryString()
    {
        for (unsigned id = 0; id <= 300; ++id)
            LoadLocalizedString(id);
        LoadLocalizedString(0xFFFF);
        LoadLocalizedString(0x10000);
    }

    std::string m_english;
    std::wstring m_name;
    std::wstring m_path;
};

}  // namespace

TEST_F(DamagedLanguage, AnOverlongStringLengthEmptiesOnlyWhatItCovers)
{
    const size_t block = StringBlockOffset(GetLanguageDirectory() + L"English.dll", kStrToday);
    ASSERT_NE(block, 0u);
    // The block of "Today" (140) starts with id 128; its length word lies first.
    std::string damaged = m_english;
    damaged[block] = '\xFF';
    damaged[block + 1] = '\xFF';
    ASSERT_TRUE(WriteFileBytes(m_path, damaged));

    ASSERT_TRUE(LoadLanguage(m_name));
    EXPECT_EQ(LoadLocalizedString(kStrFavoritesTab), L"");
    EXPECT_EQ(LoadLocalizedString(kStrToday), L"") << "past the damaged length nothing is trusted";
    EXPECT_EQ(LoadLocalizedString(kStrFirstDayName), L"Sunday") << "another block";
}

TEST_F(DamagedLanguage, RandomDamageNeverCrashes)
{
    size_t start = 0;
    size_t size = 0;
    ASSERT_TRUE(ResourceSection(m_english, &start, &size));
    ASSERT_GT(size, 64u);
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::string damaged = m_english;
        std::uniform_int_distribution<size_t> where(start, start + size - 1);
        const int hits = 1 + static_cast<int>(random() % 16);
        for (int i = 0; i < hits; ++i)
            damaged[where(random)] = static_cast<char>(random() & 0xFF);
        // Now and then a whole length word gone wild.
        if (seed % 4 == 0) {
            const size_t at = where(random) & ~size_t(1);
            if (at + 1 < damaged.size())
                damaged[at] = damaged[at + 1] = '\xFF';
        }
        ASSERT_TRUE(WriteFileBytes(m_path, damaged));
        LoadLanguage(m_name);
        ReadEveryString();
        LoadLanguage(L"English");
    }
    EXPECT_EQ(LoadLocalizedString(kStrToday), L"Today");
}

}  // namespace
