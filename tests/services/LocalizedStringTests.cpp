#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

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

}
