#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "TestFolders.h"
#include "VelFiles.h"
#include "VelLocalizedStrings.h"

namespace {

class ListFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = MakeTestFolder(L"vel-list-files");
        for (const wchar_t* name : {L"Silver.dll", L"a.dll", L"notes.txt"})
            Touch(name);
        CreateDirectoryW((m_dir + L"Sub.dll").c_str(), NULL);
    }
    void TearDown() override { RemoveTestFolder(m_dir); }

    void Touch(const wchar_t* name)
    {
        HANDLE file = CreateFileW((m_dir + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }

    static std::vector<std::wstring> Sorted(std::vector<std::wstring> names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }

    std::wstring m_dir;
};

TEST_F(ListFilesTest, MatchesThePatternDirectoriesIncluded)
{
    EXPECT_EQ(Sorted(ListFiles(m_dir, L"*.dll", VelExtension::kKeep)),
              (std::vector<std::wstring>{L"Silver.dll", L"Sub.dll", L"a.dll"}));
}

TEST_F(ListFilesTest, StripsOnlyNamesLongerThanTheExtension)
{
    Touch(L".dll");
    const std::vector<std::wstring> names = Sorted(ListFiles(m_dir, L"*.dll", VelExtension::kStrip));
    DeleteFileW((m_dir + L".dll").c_str());
    EXPECT_EQ(names, (std::vector<std::wstring>{L".dll", L"Silver", L"Sub", L"a"}));
}

TEST_F(ListFilesTest, NoMatchIsEmpty)
{
    EXPECT_TRUE(ListFiles(m_dir, L"*.png", VelExtension::kStrip).empty());
    EXPECT_TRUE(ListFiles(m_dir + L"missing\\", L"*", VelExtension::kKeep).empty());
}

TEST(ModuleDirectory, IsTheProgramsFolderWithItsBackslash)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    std::wstring expected(path, length);
    expected.resize(expected.rfind(L'\\') + 1);
    EXPECT_EQ(GetModuleDirectory(), expected);
    EXPECT_EQ(GetModuleDirectory(GetModuleHandleW(L"kernel32.dll")).back(), L'\\');
}

// The path is read into 100 characters first and into twice as many while it
// may have been cut: lengths around each size must come back whole.
TEST(ModuleDirectory, PathsAroundTheBufferSizesComeBackWhole)
{
    const std::wstring library = GetLanguageDirectory() + L"English.dll";
    const std::wstring base = MakeTestFolder(L"vel-module-dir");
    const std::wstring name = L"L.dll";
    for (size_t pathChars : {98u, 99u, 100u, 101u, 198u, 199u, 200u, 250u}) {
        const size_t stemChars = pathChars - base.size() - 1 - name.size();
        ASSERT_LT(base.size() + 1 + name.size(), pathChars);
        const std::wstring folder = base + std::wstring(stemChars, L'd') + L"\\";
        const std::wstring path = folder + name;
        ASSERT_EQ(path.size(), pathChars);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL)) << pathChars;
        ASSERT_TRUE(CopyFileW(library.c_str(), path.c_str(), FALSE)) << pathChars;
        HMODULE module = LoadLibraryW(path.c_str());
        ASSERT_NE(module, nullptr) << pathChars;
        EXPECT_EQ(GetModuleDirectory(module), folder) << pathChars;
        FreeLibrary(module);
        DeleteFileW(path.c_str());
        RemoveDirectoryW(folder.c_str());
    }
    RemoveTestFolder(base);
}

}  // namespace
