// The single-instance guard between real processes of the probe program.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

namespace {

const DWORD kStartMs = 30000;
const DWORD kAnswered = DWORD(-1);

HWND TheWindow(const std::wstring& name)
{
    std::vector<HWND> windows = FindToolkitWindows(name);
    return windows.size() == 1 ? windows.front() : nullptr;
}

}  // namespace

TEST(SingleInstance, SecondInstanceShowsTheFirstAndEnds)
{
    const std::wstring name = UniqueName(L"Answering");
    ProbeProcess first(name);
    ASSERT_TRUE(first.WaitReady(kStartMs));
    HWND window = TheWindow(name);
    ASSERT_NE(window, nullptr);
    // Hidden, so that showing it again is the second instance's doing.
    ::ShowWindow(window, SW_HIDE);
    ASSERT_FALSE(::IsWindowVisible(window));

    ProbeProcess second(name);
    EXPECT_EQ(second.WaitExit(kStartMs), kAnswered);
    EXPECT_FALSE(second.WaitReady(0)) << "the second instance showed a window";
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(FindToolkitWindows(name).size(), 1u);

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitExit(kStartMs), 0u);
}

TEST(SingleInstance, HungFirstInstanceIsAskedToQuitAfterTheProbe)
{
    const std::wstring name = UniqueName(L"Hung");
    const DWORD hangMs = 9000;
    ProbeProcess first(name, hangMs);
    ASSERT_TRUE(first.WaitReady(kStartMs));

    const DWORD start = ::GetTickCount();
    ProbeProcess second(name);
    ASSERT_TRUE(second.WaitReady(kStartMs));
    const DWORD waited = ::GetTickCount() - start;
    EXPECT_GE(waited, 5900u) << "the probe gave up before its 6000 ms";
    EXPECT_LT(waited, hangMs) << "the second instance waited for the first to wake";

    // Awake again, the first finds the quit the second posted and ends.
    EXPECT_EQ(first.WaitExit(kStartMs), 0u);
    HWND window = TheWindow(name);
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(second.WaitExit(kStartMs), 0u);
}

TEST(SingleInstance, DifferentNamesRunSideBySide)
{
    const std::wstring one = UniqueName(L"One"), other = UniqueName(L"Other");
    ProbeProcess a(one), b(other);
    ASSERT_TRUE(a.WaitReady(kStartMs));
    ASSERT_TRUE(b.WaitReady(kStartMs));
    HWND wa = TheWindow(one), wb = TheWindow(other);
    ASSERT_NE(wa, nullptr);
    ASSERT_NE(wb, nullptr);
    ::PostMessageW(wa, WM_CLOSE, 0, 0);
    ::PostMessageW(wb, WM_CLOSE, 0, 0);
    EXPECT_EQ(a.WaitExit(kStartMs), 0u);
    EXPECT_EQ(b.WaitExit(kStartMs), 0u);
}
