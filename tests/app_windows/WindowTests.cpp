// The top-level window: its background, its close decision, top-most.
#include "AppTestSupport.h"
#include "VelApplication.h"
#include "VelWindow.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Notes the order in which close handlers and the destruction come.
struct Journal {
    std::wstring entries;
    void Closing(VelObject*, const VelEventArgs*) { entries += L"close;"; }
    void Destroyed(VelObject*, const VelEventArgs*) { entries += L"destroyed;"; }
};

// Answers the close question from another thread, as a person would.
struct Answer {
    DWORD thread;  // where the question is asked: other test processes may ask too
    int button;
    std::wstring caption, text;
};

BOOL CALLBACK FindQuestion(HWND window, LPARAM found)
{
    wchar_t className[32] = L"";
    ::GetClassNameW(window, className, 32);
    if (std::wstring(className) != L"#32770")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

DWORD WINAPI AnswerCloseQuestion(void* param)
{
    Answer* answer = static_cast<Answer*>(param);
    for (int i = 0; i < 500; ++i) {
        HWND box = nullptr;
        ::EnumThreadWindows(answer->thread, &FindQuestion, reinterpret_cast<LPARAM>(&box));
        if (box && ::IsWindowVisible(box)) {
            wchar_t buffer[256] = L"";
            ::GetWindowTextW(box, buffer, 256);
            answer->caption = buffer;
            for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                wchar_t className[32] = L"";
                ::GetClassNameW(child, className, 32);
                if (std::wstring(className) == L"Static" && ::GetWindowTextW(child, buffer, 256) > 0)
                    answer->text = buffer;
            }
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer->button, BN_CLICKED), 0);
            return 0;
        }
        ::Sleep(20);
    }
    return 1;
}

class WindowTest : public ::testing::Test {
protected:
    WindowTest() : m_app(UniqueName(L"WindowTest")) {}

    VelWindow* NewWindow(int left = 10, int top = 10)
    {
        VelWindow* window = new VelWindow(nullptr, "window");
        window->Create(nullptr, kVelStyleVisible, VelRect(left, top, left + 100, top + 80));
        return window;
    }

    // Closes the window as the platform does, with the answer given from another thread.
    Answer CloseAnswering(VelWindow* window, int button)
    {
        Answer answer{::GetCurrentThreadId(), button, L"", L""};
        HANDLE thread = ::CreateThread(nullptr, 0, &AnswerCloseQuestion, &answer, 0, nullptr);
        ::SendMessageW(window->GetHandle(), WM_CLOSE, 0, 0);
        ::WaitForSingleObject(thread, INFINITE);
        DWORD found = 1;
        ::GetExitCodeThread(thread, &found);
        ::CloseHandle(thread);
        EXPECT_EQ(found, 0u) << "no close question appeared";
        return answer;
    }

    VelApplication m_app;
};

}  // namespace

TEST_F(WindowTest, NewWindowDefaults)
{
    VelWindow window;
    EXPECT_STREQ(window.GetClassName(), L"VelWindow");
    EXPECT_TRUE(window.HasNativeWindow());
    EXPECT_EQ(window.GetCloseQuestion(), L"Do you want to close this window?");
    EXPECT_EQ(window.GetCloseCaption(), L"Close?");
    window.SetCloseQuestion(L"Leave?");
    EXPECT_EQ(window.GetCloseQuestion(), L"Leave?");
}

TEST_F(WindowTest, CloseWithoutConfirmDeletesTheWindowAfterEveryCloseHandler)
{
    VelWindow* window = NewWindow();
    HWND handle = window->GetHandle();
    Journal journal;
    window->CloseRequested += VelBind(&journal, &Journal::Closing);
    window->Destroyed += VelBind(&journal, &Journal::Destroyed);
    ::SendMessageW(handle, WM_CLOSE, 0, 0);
    EXPECT_EQ(journal.entries, L"close;destroyed;");
    EXPECT_FALSE(::IsWindow(handle));
}

TEST_F(WindowTest, ConfirmedCloseAsksAndCancelKeepsTheWindow)
{
    VelWindow* window = NewWindow();
    window->SetConfirmClose(true);
    Journal journal;
    window->Destroyed += VelBind(&journal, &Journal::Destroyed);

    const Answer answer = CloseAnswering(window, IDCANCEL);
    EXPECT_EQ(answer.caption, L"Close?");
    EXPECT_EQ(answer.text, L"Do you want to close this window?");
    EXPECT_TRUE(::IsWindow(window->GetHandle()));
    EXPECT_EQ(journal.entries, L"");
    delete window;
}

TEST_F(WindowTest, ConfirmedCloseWithOkDestroysTheNativeWindow)
{
    VelWindow* window = NewWindow();
    window->SetConfirmClose(true);
    HWND handle = window->GetHandle();
    Journal journal;
    window->Destroyed += VelBind(&journal, &Journal::Destroyed);

    CloseAnswering(window, IDOK);
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_EQ(journal.entries, L"destroyed;");
    EXPECT_EQ(window->GetHandle(), nullptr);
    delete window;
}

TEST_F(WindowTest, TopMostWithoutActivation)
{
    VelWindow* active = NewWindow(0, 0);
    VelWindow* other = NewWindow(50, 50);
    ::SetActiveWindow(active->GetHandle());
    ASSERT_EQ(::GetActiveWindow(), active->GetHandle());

    other->SetTopMost(false);
    EXPECT_TRUE(::GetWindowLongW(other->GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetActiveWindow(), active->GetHandle());

    other->SetTopMost(true);
    EXPECT_EQ(::GetActiveWindow(), other->GetHandle());
    delete other;
    delete active;
}

TEST_F(WindowTest, BackgroundIsTheThemesWindowColour)
{
    VelWindow* window = NewWindow(30, 30);
    ::UpdateWindow(window->GetHandle());
    Pump();
    const COLORREF expected = ::GetSysColor(COLOR_WINDOW);
    HDC dc = ::GetDC(window->GetHandle());
    const COLORREF corners[] = {::GetPixel(dc, 0, 0), ::GetPixel(dc, 99, 79), ::GetPixel(dc, 50, 40)};
    ::ReleaseDC(window->GetHandle(), dc);
    for (COLORREF c : corners)
        EXPECT_EQ(c, expected);
    delete window;
}
