#include <gtest/gtest.h>

#include "TestFolders.h"
#include "VelPhoneCall.h"

namespace {

class PhoneCallTest : public DeviceStoreTest {
protected:
    std::vector<std::wstring> Dialled() const { return ReadLog(L"dialled.log"); }
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

}  // namespace
