// The application object and the run loop, inside this process.
#include "AppTestSupport.h"
#include "FakeTick.h"
#include "TestPrograms.h"
#include "VelApplication.h"
#include "VelControl.h"
#include "VelControlCore.h"
#include "VelDevStore.h"
#include "VelRootControl.h"
#include "VelThemeDefault.h"
#include "VelWindow.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// An application that notes its life-cycle and runs test code at each stage.
class TestApp : public VelApplication {
public:
    explicit TestApp(const std::wstring& name) : VelApplication(name)
    {
        Started += VelBind(this, &TestApp::NoteStarted);
        MainWindowShown += VelBind(this, &TestApp::NoteShown);
        Exiting += VelBind(this, &TestApp::NoteExiting);
    }

    VelWindow* OpenWindow()
    {
        VelWindow* window = new VelWindow(nullptr, "test-window");
        window->Create(nullptr, kVelStyleVisible, VelRect(0, 0, 120, 90));
        SetMainWindow(window);
        return window;
    }

    std::function<void()> onStarted, onShown;
    std::wstring stages;
    VelAbstractControl* shownWindow = nullptr;

private:
    void NoteStarted(VelApplication*, const VelEventArgs*)
    {
        stages += L"started;";
        if (onStarted)
            onStarted();
    }
    void NoteShown(VelObject*, const VelControlEventArgs* args)
    {
        stages += L"shown;";
        shownWindow = args->control;
        if (onShown)
            onShown();
    }
    void NoteExiting(VelApplication*, const VelEventArgs*) { stages += L"exiting;"; }
};

class CountingWindow : public VelWindow {
public:
    int moves = 0;
    int OnMouseMove(const VelMouseEventArgs* args) override
    {
        ++moves;
        return VelWindow::OnMouseMove(args);
    }
};

// Ends its modal loop when it gets WM_APP.
class ModalPopup : public VelControl {
public:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP) {
            SetModalResult(int(wParam));
            SetModalDone(true);
            return 0;
        }
        return VelControl::DefWindowProc(message, wParam, lParam);
    }
};

DWORD WINAPI OpenAndCloseAWindow(void*)
{
    VelWindow* window = new VelWindow();
    window->Create(nullptr, 0, VelRect(0, 0, 10, 10));
    delete window;
    return 0;
}

// Each run leaves no top-level window behind for the next test to find.
class RunLoop : public ::testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_TRUE(VelControlCore::Instance->GetRoot()->GetChildren().empty()) << "a window was left behind";
    }
};

}  // namespace

TEST(Application, ConstructionInstallsItselfTheDefaultThemeAndTheName)
{
    {
        TestApp app(UniqueName(L"Construct"));
        EXPECT_EQ(VelApplication::Instance, &app);
        EXPECT_EQ(VelAbstractControl::GetApplication(), &app) << "what a control reaches";
        EXPECT_NE(dynamic_cast<VelThemeDefault*>(CurrentTheme), nullptr);
        EXPECT_EQ(VelControlCore::Instance->GetApplicationName(), app.GetApplicationName());
        EXPECT_STREQ(app.GetClassName(), L"VelApplication");
        app.SetName(L"Renamed");
        EXPECT_EQ(VelControlCore::Instance->GetApplicationName(), L"Renamed");

        VelThemeDefault* replacement = new VelThemeDefault();
        app.SetTheme(replacement);
        EXPECT_EQ(CurrentTheme, replacement);
    }
    EXPECT_EQ(CurrentTheme, nullptr);
    EXPECT_EQ(VelApplication::Instance, nullptr);
    EXPECT_EQ(VelAbstractControl::GetApplication(), nullptr);
}

TEST_F(RunLoop, StagesRunInOrderAndTheLastWindowClosedEndsWithZero)
{
    TestApp app(UniqueName(L"Stages"));
    VelWindow* window = nullptr;
    bool destroyed = false;
    struct Flag {
        bool* flag;
        void Set(VelObject*, const VelEventArgs*) { *flag = true; }
    } flag{&destroyed};
    app.onStarted = [&] {
        window = app.OpenWindow();
        window->Destroyed += VelBind(&flag, &Flag::Set);
    };
    app.onShown = [&] {
        EXPECT_TRUE(::IsWindowVisible(window->GetHandle()));
        EXPECT_EQ(MainWindowHandle, window->GetHandle());
        ::PostMessageW(window->GetHandle(), WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(app.Run(true, 0), 0);
    EXPECT_EQ(app.stages, L"started;shown;exiting;");
    EXPECT_EQ(app.shownWindow, window);
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(VelControlCore::Instance->GetRoot()->GetChildren().empty());
}

TEST_F(RunLoop, WithoutAWindowNothingIsShownAndTheQuitCodeIsReturned)
{
    TestApp app(UniqueName(L"Windowless"));
    app.onStarted = [] { ::PostQuitMessage(7); };
    EXPECT_EQ(app.Run(true, 0), 7);
    EXPECT_EQ(app.stages, L"started;exiting;");
}

TEST_F(RunLoop, LastWindowClosedOnAnotherThreadStillEndsTheLoop)
{
    TestApp app(UniqueName(L"OtherThread"));
    HANDLE thread = nullptr;
    app.onStarted = [&] {
        // A window of a second thread is the last one to go.
        thread = ::CreateThread(nullptr, 0, &OpenAndCloseAWindow, nullptr, 0, nullptr);
    };
    EXPECT_EQ(app.Run(true, 0), 0);
    ASSERT_NE(thread, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
}

TEST_F(RunLoop, ModalLoopEndsWhenThePopupIsDoneAndSwallowsTheClosingGesture)
{
    TestApp app(UniqueName(L"Modal"));
    CountingWindow* window = nullptr;
    int result = 0;
    app.onStarted = [&] {
        window = new CountingWindow();
        window->Create(nullptr, kVelStyleVisible, VelRect(0, 0, 100, 100));
        app.SetMainWindow(window);
    };
    app.onShown = [&] {
        ModalPopup popup;
        popup.SetHasNativeWindow(true);
        popup.Create(nullptr, kVelStyleVisible, VelRect(10, 10, 60, 60));
        ::PostMessageW(popup.GetHandle(), WM_APP, 42, 0);
        result = popup.RunModal();

        // The release and moves of the gesture that closed the popup go nowhere.
        ::SendMessageW(window->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(window->moves, 0);
        ::SendMessageW(window->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::SendMessageW(window->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
        EXPECT_EQ(window->moves, 1);
        ::PostQuitMessage(3);
    };
    EXPECT_EQ(app.Run(true, 0), 3);
    EXPECT_EQ(result, 42);
    delete window;
}

TEST_F(RunLoop, QuitDuringAModalLoopStillEndsTheProgram)
{
    TestApp app(UniqueName(L"ModalQuit"));
    bool modalReturned = false;
    app.onShown = [&] {
        ModalPopup popup;
        popup.SetHasNativeWindow(true);
        popup.Create(nullptr, kVelStyleVisible, VelRect(10, 10, 60, 60));
        popup.SetModalResult(9);
        ::PostQuitMessage(5);
        EXPECT_EQ(popup.RunModal(), 9);
        modalReturned = true;
    };
    VelWindow* window = nullptr;
    app.onStarted = [&] { window = app.OpenWindow(); };
    EXPECT_EQ(app.Run(true, 0), 5);
    EXPECT_TRUE(modalReturned);
    delete window;
}

TEST_F(RunLoop, FailingInstanceGuardSaysSoAndEndsWith255)
{
    DebugCapture debug;
    ASSERT_TRUE(debug.IsActive());
    const std::wstring name = UniqueName(L"Blocked");
    // Another kind of object holds the mutex's name, so the mutex cannot be made.
    HANDLE squatter = ::CreateEventW(nullptr, TRUE, FALSE, (L"VEL_WMTOOLKITAPP_MUTEX_" + name).c_str());
    ASSERT_NE(squatter, nullptr);
    TestApp app(name);
    EXPECT_EQ(app.Run(true, 0), 255);
    EXPECT_EQ(app.stages, L"");
    EXPECT_TRUE(debug.WaitFor("Fatal failure during mutex creation, aborting.", 5000));
    ::CloseHandle(squatter);
}

TEST_F(RunLoop, LongApplicationNameRunsAndGuards)
{
    const std::wstring name = UniqueName(L"Long") + std::wstring(4000, L'n');
    TestApp app(name);
    app.onStarted = [&] {
        // The guard of the cut name is in force for this run.
        HANDLE again =
            ::CreateMutexW(nullptr, FALSE, (L"VEL_WMTOOLKITAPP_MUTEX_" + name).substr(0, MAX_PATH - 1).c_str());
        EXPECT_EQ(::GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
        if (again)
            ::CloseHandle(again);
        ::PostQuitMessage(4);
    };
    EXPECT_EQ(app.Run(true, 0), 4);
    EXPECT_EQ(app.stages, L"started;exiting;");
}

TEST(Application, IdleTimeCountsFromTheLatestInput)
{
    TestApp app(UniqueName(L"Idle"));
    VelWindow* window = app.OpenWindow();
    {
        FakeTick tick(100000);
        ::SendMessageW(window->GetHandle(), WM_KEYDOWN, VK_DOWN, 0);
        tick.Advance(2500);
        EXPECT_EQ(app.GetIdleTime(), 2500u);
        tick.Advance(120001);
        EXPECT_EQ(app.GetIdleTime(), 122501u);
        ::SendMessageW(window->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        EXPECT_EQ(app.GetIdleTime(), 0u);
    }
    delete window;
}

TEST(Application, FullScreenGoesThroughTheShellAndTakesTheScreen)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + UniqueName(L"shellstore");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring log = folder + L"\\shell.log";
    ::DeleteFileW(log.c_str());  // process ids come round again in later runs
    ::SetEnvironmentVariableW(L"VEL_DEVICE_STORE", folder.c_str());

    TestApp app(UniqueName(L"Full"));
    VelWindow* window = app.OpenWindow();
    window->SetFullScreen(0x01);  // none of the phone's shell bits
    EXPECT_EQ(window->GetBounds(), VelRect(0, 0, 120, 90));
    EXPECT_TRUE(VelDevStore::OpenAt(folder)->ReadLog(L"shell.log").empty());

    window->SetFullScreen(0x08);
    EXPECT_EQ(window->GetBounds(), VelRect(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)));
    RECT r;
    ::GetWindowRect(window->GetHandle(), &r);
    EXPECT_EQ(r.right - r.left, ::GetSystemMetrics(SM_CXSCREEN));
    std::vector<std::wstring> lines = VelDevStore::OpenAt(folder)->ReadLog(L"shell.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(L"00000008"), std::wstring::npos) << lines[0];
    delete window;
    ::DeleteFileW(log.c_str());
    ::RemoveDirectoryW(folder.c_str());
    ::SetEnvironmentVariableW(L"VEL_DEVICE_STORE", nullptr);
}

// In a process of its own: the core cannot come back once it is gone.
TEST(ToolkitShutdown, DestroyInstanceTakesTheCoreItsWindowsAndClassesDown)
{
    const ProgramRun run = RunTestProgram(L"toolkit_probe.exe", L"--destroy-core");
    EXPECT_EQ(0, run.exitCode) << "10 no window to begin with, 11 Instance kept, 12 a window left, 13 the callback "
                                  "window left, 14-15 a window class left";
}
