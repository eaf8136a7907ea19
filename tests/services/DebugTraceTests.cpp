#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "VelBoundedFormat.h"
#include "VelDebugTrace.h"

namespace {

TEST(BoundedFormat, CutsAndTerminatesWhatDoesNotFit)
{
    wchar_t buffer[8];
    std::fill(buffer, buffer + 8, L'#');
    EXPECT_TRUE(VelFormatBounded(buffer, 8, L"%s-%d", L"abc", 42));
    EXPECT_EQ(std::wstring(buffer), L"abc-42");
    EXPECT_TRUE(VelFormatBounded(buffer, 8, L"%s", L"1234567"));
    EXPECT_EQ(std::wstring(buffer), L"1234567");
    std::fill(buffer, buffer + 8, L'#');
    EXPECT_FALSE(VelFormatBounded(buffer, 8, L"%s", L"12345678"));
    EXPECT_EQ(std::wstring(buffer), L"1234567");
    EXPECT_FALSE(VelFormatBounded(buffer, 8, L"%s and more", L"a long text"));
    EXPECT_EQ(std::wstring(buffer), L"a long ");
    EXPECT_FALSE(VelFormatBounded(buffer, 0, L"x"));
}

// The platform raises a debug-print exception for every debug line; a
// vectored handler sees it before anyone else.
std::vector<std::string> s_lines;

LONG CALLBACK CatchDebugLine(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
        s_lines.emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class DebugTraceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        s_lines.clear();
        m_handler = AddVectoredExceptionHandler(1, CatchDebugLine);
        ASSERT_NE(m_handler, nullptr);
    }
    void TearDown() override { RemoveVectoredExceptionHandler(m_handler); }

    PVOID m_handler = nullptr;
};

TEST_F(DebugTraceTest, TraceAtNamesThreadFileAndLine)
{
    DebugTraceAt("C:\\src\\app\\VelThing.cpp", 42, L"opened %s with %d rows", L"calls", 7);
    ASSERT_EQ(s_lines.size(), 1u);
    char expected[200];
    snprintf(expected, sizeof(expected), "[%lx] VelThing.cpp(42) -> opened calls with 7 rows.\n",
             static_cast<unsigned long>(GetCurrentThreadId()));
    EXPECT_EQ(s_lines[0], expected);

    s_lines.clear();
    DebugTraceAt("Loose.cpp", 7, L"%s", L"x");
    ASSERT_EQ(s_lines.size(), 1u);
    EXPECT_NE(s_lines[0].find("] Loose.cpp(7) -> x.\n"), std::string::npos) << s_lines[0];
}

TEST_F(DebugTraceTest, AnOverlongMessageIsCutNotOverrun)
{
    const std::wstring message(3000, L'x');
    DebugTraceAt("Long.cpp", 1, L"%s", message.c_str());
    DebugTrace(L"%s", message.c_str());
    ASSERT_EQ(s_lines.size(), 3u);
    EXPECT_EQ(s_lines[0].size(), 1023u);
    EXPECT_EQ(s_lines[0].find_first_not_of('x', s_lines[0].find("-> ") + 3), std::string::npos);
    EXPECT_EQ(s_lines[2], std::string(1023, 'x'));
}

TEST_F(DebugTraceTest, TraceWritesTheTickThenTheMessage)
{
    const DWORD before = GetTickCount();
    DebugTrace(L"%d calls, %s", 3, L"done");
    ASSERT_EQ(s_lines.size(), 2u);
    unsigned long tick = 0;
    char rest[8] = {};
    ASSERT_EQ(sscanf(s_lines[0].c_str(), "[%lu]%7c", &tick, rest), 2) << s_lines[0];
    EXPECT_STREQ(rest, " ");
    EXPECT_LE(tick - before, 5000u);
    EXPECT_EQ(s_lines[1], "3 calls, done");
}

}  // namespace
