#include <gtest/gtest.h>

#include <windows.h>

#include "VelDevStore.h"
#include "VelPhoneCall.h"

namespace {

// A device store of this test's own, where the phone stand-in logs what it dialled.
class PhoneCallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"vel-services-store-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_folder.c_str(), NULL);
        SetEnvironmentVariableW(VEL_DEVICE_STORE_ENV, m_folder.c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, NULL);
        SetEnvironmentVariableW(VEL_DEVICE_STORE_ENV, NULL);
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((m_folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do
                DeleteFileW((m_folder + L"\\" + found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(m_folder.c_str());
    }

    std::vector<std::wstring> Dialled() { return VelDevStore::OpenAt(m_folder)->ReadLog(L"dialled.log"); }

    static bool Holds(const std::wstring& line, const std::wstring& field)
    {
        return (line + L"\t").find(L"\t" + field + L"\t") != std::wstring::npos;
    }

    std::wstring m_folder;
};

TEST_F(PhoneCallTest, DialsTheNumberForTheCalledParty)
{
    ASSERT_TRUE(PlaceCall(L"+46 70 555 01", L"Anna Berg"));
    const std::vector<std::wstring> lines = Dialled();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Holds(lines[0], L"number=+46 70 555 01")) << lines[0];
    EXPECT_TRUE(Holds(lines[0], L"calledParty=Anna Berg")) << lines[0];
    EXPECT_TRUE(Holds(lines[0], L"flags=0")) << lines[0];
    EXPECT_EQ(lines[0].find(L"app="), std::wstring::npos) << lines[0];
    EXPECT_EQ(lines[0].find(L"comment="), std::wstring::npos) << lines[0];
}

TEST_F(PhoneCallTest, AnEmptyNameNamesNoCalledParty)
{
    ASSERT_TRUE(PlaceCall(L"555", L""));
    const std::vector<std::wstring> lines = Dialled();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Holds(lines[0], L"number=555")) << lines[0];
    EXPECT_EQ(lines[0].find(L"calledParty="), std::wstring::npos) << lines[0];
}

TEST_F(PhoneCallTest, AnEmptyNumberIsNotDialled)
{
    EXPECT_FALSE(PlaceCall(L"", L"Unknown"));
    EXPECT_TRUE(Dialled().empty());
}

TEST_F(PhoneCallTest, AFailingPhoneIsReported)
{
    SetEnvironmentVariableW(VEL_DEVICE_FAULTS_ENV, L"phone.makecall");
    EXPECT_FALSE(PlaceCall(L"555", L"Bo"));
    EXPECT_TRUE(Dialled().empty());
}

}
