#include "TestControls.h"
#include "VelRootControl.h"
#include "VelToolkitStatics.h"
#include "VelWinException.h"

#include <gtest/gtest.h>

TEST(ToolkitStatics, CoreRootAndClassesExistBeforeMain)
{
    ASSERT_NE(VelControlCore::Instance, nullptr);
    EXPECT_EQ(VelControlCore::Instance->GetId(), 100);
    EXPECT_EQ(VelControlCore::Instance->GetRoot()->GetId(), 101);
    EXPECT_EQ(VelControlCore::Instance->GetRoot()->GetName(), "RootControl");
    EXPECT_STREQ(VelControlCore::Instance->GetRoot()->GetClassName(), L"VelRootControl");

    struct {
        const wchar_t* name;
        UINT style;
    } classes[] = {
        {L"_VELWINDOW_WC_", CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS},
        {L"_VELAPPLICATION_CALLBACK_WC_", 0},
    };
    for (const auto& c : classes) {
        WNDCLASSW info = {};
        ASSERT_TRUE(::GetClassInfoW(::GetModuleHandleW(nullptr), c.name, &info)) << c.name;
        EXPECT_EQ(info.style, c.style) << c.name;
        EXPECT_EQ(info.cbWndExtra, 4) << c.name;
        EXPECT_EQ(info.lpfnWndProc, &VelControlCore::WindowProc) << c.name;
    }

    HWND callback = VelControlCore::Instance->GetCallbackWindow();
    ASSERT_TRUE(::IsWindow(callback));
    wchar_t name[64];
    ::GetClassNameW(callback, name, 64);
    EXPECT_STREQ(name, L"_VELAPPLICATION_CALLBACK_WC_");
    EXPECT_EQ(VelControlCore::Instance->GetRoot()->GetHandle(), callback);
}

TEST(ToolkitStatics, ARefusedClassRegistrationThrowsWithTheSystemsText)
{
    // An existing class is accepted again; a name the platform refuses is not.
    EXPECT_NO_THROW(VelAbstractControl::RegisterWndClass(L"_VELWINDOW_WC_", CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    try {
        // Not a string and no integer atom either (those stop below 0xC000).
        VelAbstractControl::RegisterWndClass(MAKEINTATOM(0xFFFF), 0);
        ADD_FAILURE() << "registered";
    } catch (const VelWinException& e) {
        EXPECT_NE(e.GetErrorCode(), 0u);
        EXPECT_NE(e.GetErrorCode(), DWORD(ERROR_CLASS_ALREADY_EXISTS));
        EXPECT_EQ(e.GetMessageText(), L"[VelAbstractControl::RegisterWndClass]: Failed with error " +
                                          std::to_wstring(e.GetErrorCode()) + L": " + e.GetSystemText());
        EXPECT_FALSE(e.GetSystemText().empty());
    }
}

TEST(ToolkitStatics, TolerancesAndDefaultFonts)
{
    EXPECT_EQ(DoubleClickTolerance.cx, ::GetSystemMetrics(SM_CXDOUBLECLK) / 3);
    EXPECT_EQ(DoubleClickTolerance.cy, ::GetSystemMetrics(SM_CYDOUBLECLK) / 3);
    const int weights[kDefaultFontCount] = {0, 0, 700, 400, 400, 700, 400, 700};
    for (int i = 0; i < kDefaultFontCount; ++i) {
        LOGFONTW lf = {};
        ASSERT_EQ(::GetObjectW(DefaultFonts[i].GetHandle(), sizeof lf, &lf), int(sizeof lf)) << i;
        EXPECT_STREQ(lf.lfFaceName, L"Tahoma") << i;
        EXPECT_EQ(lf.lfWeight, weights[i]) << i;
        EXPECT_EQ(lf.lfQuality, CLEARTYPE_QUALITY) << i;
    }
}

TEST(NativeWindows, TopLevelWithEmptyBoundsTakesTheScreen)
{
    RecordingControl window;
    window.Create(nullptr, 0, VelRect());
    ASSERT_TRUE(::IsWindow(window.GetHandle()));
    RECT r;
    ::GetWindowRect(window.GetHandle(), &r);
    EXPECT_EQ(r.right - r.left, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom - r.top, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(window.GetBounds().GetWidth(), ::GetSystemMetrics(SM_CXSCREEN));
    ASSERT_NE(window.GetCanvas(), nullptr);
    EXPECT_EQ(window.GetOwnerThreadId(), ::GetCurrentThreadId());
}

TEST(NativeWindows, ChildWindowsAndDemotion)
{
    RecordingControl window;
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
    RecordingControl panel;  // windowless
    panel.Create(&window, kVisible, VelRect(10, 10, 100, 100));
    RecordingControl nested;
    nested.SetHasNativeWindow(true);
    nested.Create(&panel, kVisible, VelRect(5, 5, 50, 50));
    EXPECT_FALSE(nested.HasNativeWindow());
    EXPECT_EQ(nested.GetHandle(), nullptr);
    EXPECT_EQ(nested.GetWindowControl(), &window);

    RecordingControl child;
    child.SetHasNativeWindow(true);
    child.Create(&window, kVisible, VelRect(120, 20, 180, 80));
    ASSERT_TRUE(::IsWindow(child.GetHandle()));
    EXPECT_EQ(::GetParent(child.GetHandle()), window.GetHandle());
    EXPECT_TRUE(::GetWindowLongW(child.GetHandle(), GWL_STYLE) & WS_CHILD);
    // A child's WM_MOVE is in parent coordinates: the bounds must not drift.
    child.SetBounds(130, 30, 190, 90);
    EXPECT_EQ(child.GetBounds(), VelRect(130, 30, 190, 90));
}

namespace {

struct ClosedCounter {
    int count = 0;
    void OnClosed(VelObject*, const VelEventArgs*) { ++count; }
};

}  // namespace

TEST(NativeWindows, AllWindowsClosedOnceWhenTheLastTopLevelGoes)
{
    ClosedCounter counter;
    VelControlCore::Instance->AllWindowsClosed += VelBind(&counter, &ClosedCounter::OnClosed);
    {
        RecordingControl first, second;
        first.Create(nullptr, kVisible, VelRect(0, 0, 50, 50));
        second.Create(nullptr, kVisible, VelRect(60, 0, 110, 50));
        RecordingControl child;
        child.SetHasNativeWindow(true);
        child.Create(&first, kVisible, VelRect(0, 0, 10, 10));
        child.Destroy();
        first.Destroy();
        EXPECT_EQ(counter.count, 0);
        second.Destroy();
        EXPECT_EQ(counter.count, 1);
    }
    EXPECT_EQ(counter.count, 1);
    VelControlCore::Instance->AllWindowsClosed.RemoveReceiver(&counter);
}

namespace {

struct BoundsRecorder : RecordingControl {
    int moves = 0, sizes = 0;
    int OnMove(const VelMoveEventArgs* a) override
    {
        ++moves;
        return RecordingControl::OnMove(a);
    }
    int OnSize(const VelSizeEventArgs* a) override
    {
        ++sizes;
        return RecordingControl::OnSize(a);
    }
};

}  // namespace

TEST(NativeWindows, WindowlessBoundsAndVisibility)
{
    RecordingControl window;
    window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
    BoundsRecorder a;
    a.Create(&window, kVisible, VelRect(0, 0, 50, 50));
    RecordingControl b;
    b.Create(&window, kVisible, VelRect(20, 20, 80, 80));

    a.SetBounds(a.GetBounds());
    EXPECT_EQ(a.moves + a.sizes, 0);
    a.MoveTo(VelPoint(5, 5));
    EXPECT_EQ(a.moves, 1);
    EXPECT_EQ(a.sizes, 0);
    EXPECT_EQ(a.GetBounds(), VelRect(5, 5, 55, 55));
    a.SetLeft(0);
    EXPECT_EQ(a.GetBounds(), VelRect(0, 5, 55, 55));
    EXPECT_EQ(a.sizes, 1);

    // Hiding keeps the order, showing raises.
    a.Hide();
    EXPECT_EQ(window.GetChildren().front(), &a);
    a.Show();
    EXPECT_EQ(window.GetChildren().back(), &a);
}

TEST(NativeWindows, DumpAndHitTest)
{
    RecordingControl window;
    window.Create(nullptr, kVisible, VelRect(10, 20, 210, 220));
    RecordingControl lower, upper, hidden;
    lower.Create(&window, kVisible, VelRect(0, 0, 100, 100));
    upper.Create(&window, kVisible, VelRect(50, 50, 150, 150));
    hidden.Create(&window, 0, VelRect(0, 120, 40, 160));

    EXPECT_EQ(window.ChildFromPoint(VelPoint(60, 60), true), &upper);
    EXPECT_EQ(window.ChildFromPoint(VelPoint(10, 10), true), &lower);
    EXPECT_EQ(window.ChildFromPoint(VelPoint(10, 130), true), &window);
    // Only the first level may pick an invisible child; below it invisible ones are skipped.
    EXPECT_EQ(window.ChildFromPoint(VelPoint(10, 130), false), &window);
    EXPECT_EQ(window.ChildFromPoint(VelPoint(500, 5), true), nullptr);

    EXPECT_EQ(window.DumpToString(),
              L"\t Control: Id " + std::to_wstring(window.GetId()) + L" (10 20 210 220) class name VelControl\n");
    EXPECT_EQ(upper.DumpToString(), L"\t Control: Id " + std::to_wstring(upper.GetId()) + L" Parent Id " +
                                        std::to_wstring(window.GetId()) + L" (60 70 160 170) class name VelControl\n");
}
