// The single-instance guard between real processes of the probe program.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

namespace {

// What the program sets up before its window shows (the language, the
// theme, the views): the time in which a second start finds the mutex but
// no window yet.
const DWORD kSetUpMs = 300;

// Starts `count` instances of one name at the same moment, as a double tap
// on the launcher does: exactly one runs, with one window, in front; every
// other start ends at once with the answer.
void StartTogether(int trial, int count)
{
    const std::wstring name = UniqueName(L"Together");
    std::vector<std::unique_ptr<ProbeProcess>> starts;
    for (int i = 0; i < count; ++i)
        starts.emplace_back(new ProbeProcess(name, 0, kSetUpMs));
    // Each either ends or shows its window; then a moment for a start that
    // ran when it should not have to show itself too.
    const DWORD begin = ::GetTickCount();
    for (auto& start : starts) {
        ASSERT_TRUE(start->Started()) << "trial " << trial;
        while (start->WaitExit(20) == STILL_ACTIVE && !start->WaitReady(0) && ::GetTickCount() - begin < kStartMs) {
        }
    }
    ::Sleep(300);
    int answered = 0, running = 0;
    ProbeProcess* survivor = nullptr;
    for (auto& start : starts) {
        const DWORD code = start->WaitExit(0);
        if (code == STILL_ACTIVE) {
            ++running;
            survivor = start.get();
        } else if (code == kAnswered) {
            ++answered;
        }
    }
    EXPECT_EQ(running, 1) << "trial " << trial << " of " << count << " starts";
    EXPECT_EQ(answered, count - 1) << "trial " << trial << " of " << count << " starts";
    const std::vector<HWND> windows = FindToolkitWindows(name);
    EXPECT_EQ(windows.size(), 1u) << "trial " << trial << " of " << count << " starts";
    if (windows.size() == 1) {
        EXPECT_TRUE(::IsWindowVisible(windows.front())) << "trial " << trial;
        // In front, unless a window of another test program, which may run
        // alongside, has come in front of it since.
        const HWND front = ::GetForegroundWindow();
        wchar_t title[512] = L"";
        ::GetWindowTextW(front, title, 512);
        const bool otherProgram = front != windows.front() && std::wstring(title) != name;
        EXPECT_TRUE(front == windows.front() || otherProgram) << "trial " << trial << ": not brought to the front";
    }
    for (HWND window : windows)
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (survivor)
        EXPECT_EQ(survivor->WaitExit(kStartMs), 0u) << "trial " << trial;
}

}  // namespace

TEST(SingleInstance, TwoStartsAtOnceLeaveOneProgramWithOneWindowInFront)
{
    for (int trial = 0; trial < 20; ++trial)
        StartTogether(trial, 2);
}

TEST(SingleInstance, FiveStartsAtOnceLeaveOneProgramWithOneWindowInFront)
{
    for (int trial = 0; trial < 5; ++trial)
        StartTogether(trial, 5);
}
