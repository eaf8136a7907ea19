#include <gtest/gtest.h>

#include "TestFolders.h"
#include "VelSmsComposer.h"

namespace {

// The messaging stand-in appends the command line it was started with to the
// store's outbox log and exits; it runs on its own, so the log is polled.
class SmsComposerStartTest : public DeviceStoreTest {
protected:
    std::vector<std::wstring> WaitForOutbox(size_t lines) const
    {
        std::vector<std::wstring> log;
        for (DWORD start = GetTickCount(); GetTickCount() - start < kWaitMs; Sleep(20)) {
            log = ReadLog(L"outbox.log");
            if (log.size() >= lines)
                break;
        }
        return log;
    }

    static const DWORD kWaitMs = 10000;
};

TEST_F(SmsComposerStartTest, StartsTheMessagingProgramWithTheRecipient)
{
    ASSERT_TRUE(StartSmsComposer(FormatSmsRecipient(L"+46 70 555", L"Anna \"Bee\" Berg") + L";"));
    const std::vector<std::wstring> log = WaitForOutbox(1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], L"-service \"SMS\" -to \"Anna Bee Berg <+46 70 555>;\"");
}

TEST_F(SmsComposerStartTest, AnEmptyRecipientGivesAnEmptyTo)
{
    ASSERT_TRUE(StartSmsComposer(L""));
    const std::vector<std::wstring> log = WaitForOutbox(1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], L"-service \"SMS\" -to \"\"");
}

TEST_F(SmsComposerStartTest, ARecipientThatCannotFitStartsNothing)
{
    EXPECT_FALSE(StartSmsComposer(std::wstring(600, L'5')));
    ASSERT_TRUE(StartSmsComposer(L"<1>"));
    ASSERT_EQ(WaitForOutbox(1).size(), 1u);
    // Time for a second program to write, had one been started.
    Sleep(500);
    const std::vector<std::wstring> log = ReadLog(L"outbox.log");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], L"-service \"SMS\" -to \"<1>\"");
}

}  // namespace
