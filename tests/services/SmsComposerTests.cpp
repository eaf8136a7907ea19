#include <gtest/gtest.h>

#include "VelSmsComposer.h"

namespace {

const std::wstring kLineStart = L"-service \"SMS\" -to \"";

TEST(SmsRecipient, NameThenNumberInAngleBrackets)
{
    EXPECT_EQ(FormatSmsRecipient(L"+46 70 123", L"Anna Berg"), L"Anna Berg <+46 70 123>");
    EXPECT_EQ(FormatSmsRecipient(L"555", L""), L"<555>");
}

TEST(SmsRecipient, CharactersThatSplitTheListAreLeftOut)
{
    EXPECT_EQ(FormatSmsRecipient(L"555;1", L"Smith; Bob <work>"), L"Smith Bob work <5551>");
}

TEST(SmsComposerLine, QuotesAreRemoved)
{
    std::wstring line;
    ASSERT_TRUE(FormatSmsComposerLine(L"\"Bob\" <555>;", &line));
    EXPECT_EQ(line, L"-service \"SMS\" -to \"Bob <555>;\"");
    ASSERT_TRUE(FormatSmsComposerLine(L"", &line));
    EXPECT_EQ(line, L"-service \"SMS\" -to \"\"");
}

TEST(SmsComposerLine, ALongListKeepsWholeRecipients)
{
    // 40 recipients of 21 characters, far more than the 490 the line holds.
    std::wstring list;
    for (int i = 0; i < 40; ++i)
        list += L"Contact <" + std::to_wstring(1000000000 + i) + L">;";
    std::wstring line;
    ASSERT_TRUE(FormatSmsComposerLine(list, &line));
    EXPECT_LE(line.size(), 511u);
    const std::wstring kept = line.substr(kLineStart.size(), line.size() - kLineStart.size() - 1);
    EXPECT_EQ(kept, list.substr(0, kept.size()));
    EXPECT_EQ(kept.size() % 21, 0u);
    EXPECT_EQ(kept.size(), 21u * (490 / 21));
}

TEST(SmsComposerLine, ListThatFitsExactlyIsKept)
{
    const std::wstring recipient(490, L'7');
    std::wstring line;
    ASSERT_TRUE(FormatSmsComposerLine(recipient, &line));
    EXPECT_EQ(line.size(), 511u);
    EXPECT_FALSE(FormatSmsComposerLine(recipient + L"7", &line));

    // The list menu ends every recipient with a separator: the last one that
    // fills the room keeps its place, only the separator is left out.
    const std::wstring first = L"<" + std::wstring(200, L'1') + L">;";
    const std::wstring second = L"<" + std::wstring(490 - first.size() - 2, L'2') + L">";
    ASSERT_TRUE(FormatSmsComposerLine(first + second + L";", &line));
    EXPECT_EQ(line, L"-service \"SMS\" -to \"" + first + second + L"\"");
    ASSERT_TRUE(FormatSmsComposerLine(first + second + L"2;", &line));
    EXPECT_EQ(line, L"-service \"SMS\" -to \"" + first + L"\"");
}

}  // namespace
