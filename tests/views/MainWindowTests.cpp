// The main window on the fake clock with the Silver theme: its screens, the
// slides between them stepped through its scheduler, activation, and going
// away in the middle of a slide.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MainViewTestKit.h"
#include "VelApplication.h"
#include "VelControlCore.h"
#include "VelListView.h"
#include "VelMainWindow.h"
#include "VelScheduler.h"
#include "VelToolbar.h"
#include "FakeTick.h"
#include "ViewTestSupport.h"

namespace {

// Notes the full-screen flags instead of asking the shell.
class FullScreenLog : public VelApplication {
public:
    FullScreenLog() : VelApplication(L"Velmora KL main window test") {}
    void SetFullScreen(VelAbstractControl*, DWORD flags) override { flags_.push_back(flags); }
    std::vector<DWORD> flags_;
};

class SignalLog : public VelSlotHolder {
public:
    void OnActivated() { entries.push_back("activated"); }
    void OnDeactivated() { entries.push_back("deactivated"); }
    std::vector<std::string> entries;
};

VelKlView* DetailView(int id, VelMainWindow* parent, const std::string& name)
{
    return new VelKlView(id, VelKlView::kStyleTitleBar | VelKlView::kStyleList, parent, name);
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : screen(480, 640) {}

    void SetUp() override
    {
        ASSERT_NE(LoadTheme(L"Silver"), nullptr);
        VelMainWindowViews views;
        views.tabs = TestTabs(&filtersMade);
        views.contact = [](VelMainWindow* p, const std::string& n) { return DetailView(1, p, n); };
        views.sms = [](VelMainWindow* p, const std::string& n) { return DetailView(3, p, n); };
        views.call = [](VelMainWindow* p, const std::string& n) { return DetailView(2, p, n); };
        window = new VelMainWindow(nullptr, "main-window", views);
        window->WindowActivated.Connect(&signals, &SignalLog::OnActivated);
        window->WindowDeactivated.Connect(&signals, &SignalLog::OnDeactivated);
        window->Open();
        SettleWindow(window->GetHandle());
        RECT area;
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        workArea = area;
        W = workArea.GetWidth();
    }
    void TearDown() override { delete window; }

    VelPoint At(int id) { return VelPoint(window->GetView(id)->GetLeft(), window->GetView(id)->GetTop()); }
    void Tick(DWORD ms)
    {
        tick.Advance(ms);
        window->GetScheduler()->OnTick(tick.Now());
    }
    void RunSlides()
    {
        for (int i = 0; i < 40 && window->GetScheduler()->GetTransitionCount() > 0; ++i)
            Tick(25);
        SettleWindow(window->GetHandle());
    }
    VelListView* ContactsList() { return window->GetMainView()->GetListTabView(1)->GetList(); }

    FullScreenLog app;
    ScreenScope screen;
    FakeTick tick{800000};
    VelMainWindow* window = nullptr;
    SignalLog signals;
    VelRect workArea;
    int W = 0;
    int filtersMade = 0;
};

}  // namespace

TEST_F(MainWindowTest, OpensWithItsFourScreensOverTheWorkAreaAndTheMainViewInFront)
{
    ASSERT_NE(window->GetHandle(), nullptr);
    wchar_t title[64] = {};
    ::GetWindowTextW(window->GetHandle(), title, 64);
    EXPECT_EQ(std::wstring(title), L"Velmora Kith Ledger");
    EXPECT_EQ(window->GetBounds(), workArea);
    ASSERT_FALSE(app.flags_.empty());
    EXPECT_EQ(app.flags_.front(), 8u);

    const char* names[] = {"main-view", "contact-view", "call-view", "sms-view"};
    for (int id = 0; id < 4; ++id) {
        SCOPED_TRACE(id);
        VelKlView* view = window->GetView(id);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->GetName(), names[id]);
        EXPECT_EQ(view->GetViewId(), id);
        EXPECT_EQ(view->GetParent(), window);
        EXPECT_EQ(view->GetBounds(), VelRect(0, 0, W, workArea.GetHeight()));
        EXPECT_TRUE(view->IsVisible());
    }
    EXPECT_EQ(window->GetView(4), nullptr);
    EXPECT_EQ(window->GetView(-1), nullptr);
    EXPECT_EQ(window->GetMainView(), window->GetView(0));
    EXPECT_EQ(window->GetCurrentView(), window->GetView(0));
    EXPECT_EQ(window->GetChildren().back(), window->GetView(0));
    EXPECT_EQ(window->GetScheduler()->GetTransitionCount(), 0u) << "the first screen does not slide";
    // The main view's tab bar is what the window shows at its bottom.
    EXPECT_NE(window->GetMainView()->GetTabBar()->GetToolbar()->GetHeight(), 0);
}

TEST_F(MainWindowTest, ADetailViewSlidesInFromTheRightAndBackFromTheLeft)
{
    window->ShowView(1, VelMainWindow::kSlideFromRight);
    EXPECT_EQ(window->GetCurrentView(), window->GetView(1)) << "current before the slide ends";
    EXPECT_EQ(At(1), VelPoint(W, 0));
    EXPECT_EQ(window->GetChildren().back(), window->GetView(1));
    EXPECT_EQ(window->GetScheduler()->GetTransitionCount(), 2u);
    EXPECT_TRUE(ContactsList()->IsUpdateSuspended()) << "the main view's list waits while it slides";

    Tick(150);
    EXPECT_EQ(At(1), VelPoint(W / 2, 0));
    EXPECT_EQ(At(0), VelPoint(-W / 2, 0));
    RunSlides();
    EXPECT_EQ(At(1), VelPoint(0, 0));
    EXPECT_EQ(At(0), VelPoint(-W, 0)) << "the old screen stays off to the left";
    EXPECT_TRUE(window->GetView(0)->IsVisible());
    EXPECT_FALSE(ContactsList()->IsUpdateSuspended());

    // The screen already shown: nothing moves, nothing starts.
    window->ShowView(1, VelMainWindow::kSlideFromRight);
    EXPECT_EQ(window->GetScheduler()->GetTransitionCount(), 0u);
    EXPECT_FALSE(ContactsList()->IsUpdateSuspended());
    // An id nobody registered: likewise.
    window->ShowView(7, VelMainWindow::kSlideFromRight);
    EXPECT_EQ(window->GetScheduler()->GetTransitionCount(), 0u);
    EXPECT_EQ(window->GetCurrentView(), window->GetView(1));

    window->ShowView(0, VelMainWindow::kSlideFromLeft);
    EXPECT_EQ(At(0), VelPoint(-W, 0));
    Tick(150);
    EXPECT_EQ(At(0), VelPoint(-W / 2, 0));
    EXPECT_EQ(At(1), VelPoint(W / 2, 0));
    RunSlides();
    EXPECT_EQ(At(0), VelPoint(0, 0));
    EXPECT_EQ(At(1), VelPoint(W, 0));
    EXPECT_EQ(window->GetCurrentView(), window->GetView(0));
    EXPECT_FALSE(ContactsList()->IsUpdateSuspended());
}

TEST_F(MainWindowTest, BackDuringTheSlideInStartsFromTheNewViewAndEndsHome)
{
    window->ShowView(2, VelMainWindow::kSlideFromRight);
    Tick(100);
    window->ShowView(0, VelMainWindow::kSlideFromLeft);
    EXPECT_EQ(window->GetCurrentView(), window->GetView(0));
    EXPECT_TRUE(ContactsList()->IsUpdateSuspended());
    RunSlides();
    EXPECT_EQ(window->GetScheduler()->GetTransitionCount(), 0u);
    EXPECT_EQ(At(0), VelPoint(0, 0));
    EXPECT_EQ(At(2), VelPoint(W, 0));
    EXPECT_FALSE(ContactsList()->IsUpdateSuspended()) << "suspended once, resumed once";
    EXPECT_EQ(window->GetMainView()->GetListInTransition(), nullptr);
}

TEST_F(MainWindowTest, WithoutSlideTheNewViewCoversTheOldOneAtOnce)
{
    window->ShowView(3, VelMainWindow::kSlideNone);
    EXPECT_EQ(At(3), VelPoint(0, 0));
    EXPECT_EQ(window->GetChildren().back(), window->GetView(3));
    RunSlides();
    EXPECT_EQ(At(3), VelPoint(0, 0));
    EXPECT_EQ(At(0), VelPoint(0, 0));
    EXPECT_EQ(window->GetCurrentView(), window->GetView(3));
}

TEST_F(MainWindowTest, ActivationSetsTheFullScreenFlagsFitsTheWorkAreaAndTellsListeners)
{
    app.flags_.clear();
    signals.entries.clear();
    window->SetBounds(VelRect(0, 0, 100, 100));
    ::SendMessageW(window->GetHandle(), WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    ::SendMessageW(window->GetHandle(), WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    EXPECT_EQ(app.flags_, (std::vector<DWORD>{4, 8}));
    EXPECT_EQ(signals.entries, (std::vector<std::string>{"deactivated", "activated"}));
    EXPECT_EQ(window->GetBounds(), workArea);
}

TEST_F(MainWindowTest, AWindowClosedInTheMiddleOfASlideLeavesNothingBehind)
{
    window->ShowView(1, VelMainWindow::kSlideFromRight);
    Tick(100);
    const int id = window->GetId();
    const int viewId = window->GetView(1)->GetId();
    HWND handle = window->GetHandle();
    ::SendMessageW(handle, WM_CLOSE, 0, 0);
    SettleWindow(nullptr);
    ASSERT_EQ(VelObject::FindById(id), nullptr) << "the window deletes itself when closed";
    window = nullptr;
    EXPECT_EQ(VelObject::FindById(viewId), nullptr);
    EXPECT_FALSE(::IsWindow(handle));
}
