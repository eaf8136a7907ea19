#include "ButtonTextTestKit.h"
#include "Taps.h"

#include "VelScreenMetrics.h"
#include "VelTabBar.h"
#include "VelTabPage.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"

#include <gtest/gtest.h>
#include <set>
#include <thread>

namespace {

using kit::Pump;
using kit::SolidBitmap;

const COLORREF kBar = RGB(0, 0, 128), kNormal = RGB(255, 0, 0), kSelected = RGB(0, 255, 0), kPressed = RGB(0, 0, 255),
               kOther = RGB(255, 255, 0);

// A phone screen of 240 x 320, whatever the display: the bar is 32 high, a tab 40 wide.
int WINAPI PhoneMetrics(int index)
{
    if (index == SM_CXSCREEN)
        return 240;
    if (index == SM_CYSCREEN)
        return 320;
    return ::GetSystemMetrics(index);
}

class TabTheme : public VelThemeDefault {
public:
    VelColor& GetToolbarColor(VelColor& c) override { return c = VelColor::FromColorRef(kBar); }
};

typedef std::vector<std::string> Log;

// A page as the views make one: an object with the page as its second base,
// noting what the bar asks of it.
class TestPage : public VelObject, public VelTabPage {
public:
    TestPage(int id, const std::wstring& caption, VelBitmap* image, VelBitmap* selected, VelBitmap* pressed, Log* log)
        : VelTabPage(id, caption, image, selected, pressed), m_log(log)
    {
    }

    void ApplyTag(VelTabBar* bar, const RECT& rect) override
    {
        rects.push_back(rect);
        VelTabPage::ApplyTag(bar, rect);
    }
    bool CanActivate() override { return canActivate; }
    void SetActive(bool active) override
    {
        m_log->push_back(std::string(GetCaption().begin(), GetCaption().end()) + (active ? "+" : "-"));
        VelTabPage::SetActive(active);
    }

    bool canActivate = true;
    std::vector<VelRect> rects;

private:
    Log* m_log;
};

std::string Name(const VelTabPage* page)
{
    if (!page)
        return "none";
    const std::wstring& caption = page->GetCaption();
    return std::string(caption.begin(), caption.end());
}

// Notes every TabChanged in the same log as the pages' activations.
struct TabLog {
    void OnTabChanged(VelObject*, const VelTabChangeEventArgs* args)
    {
        log->push_back("tab " + Name(args->previous) + ">" + Name(args->next));
        EXPECT_EQ(args->reserved, 0);
    }
    Log* log;
};

// The window's pixels as they are on the screen, read once.
class Screen {
public:
    explicit Screen(const VelAbstractControl& window)
    {
        HDC source = ::GetDC(window.GetHandle());
        m_dc = ::CreateCompatibleDC(source);
        m_bitmap = ::CreateCompatibleBitmap(source, 240, 320);
        m_previous = ::SelectObject(m_dc, m_bitmap);
        ::BitBlt(m_dc, 0, 0, 240, 320, source, 0, 0, SRCCOPY);
        ::ReleaseDC(window.GetHandle(), source);
    }
    ~Screen()
    {
        ::SelectObject(m_dc, m_previous);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    // The colours found in the rectangle.
    std::set<COLORREF> Colours(const RECT& r) const
    {
        std::set<COLORREF> found;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                found.insert(Pixel(x, y));
        return found;
    }
    // Pixels of the rectangle in none of the flat colours: the text's ink.
    int Ink(const RECT& r) const
    {
        const std::set<COLORREF> flat = {kBar, kNormal, kSelected, kPressed, kOther};
        int ink = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                ink += flat.count(Pixel(x, y)) ? 0 : 1;
        return ink;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
};

// A 240 x 320 window on a 240 x 320 screen holding one tab bar over all of it.
class TabBarTest : public ::testing::Test {
protected:
    TabBarTest()
        : themeScope(&theme), normal(SolidBitmap(16, 12, kNormal)), selected(SolidBitmap(16, 12, kSelected)),
          pressed(SolidBitmap(16, 12, kPressed)), other(SolidBitmap(16, 12, kOther))
    {
        VelScreenMetrics::SetMetricSource(&PhoneMetrics);
    }
    ~TabBarTest() override { VelScreenMetrics::SetMetricSource(nullptr); }

    void SetUp() override { window.Create(nullptr, kit::kVisible, VelRect(0, 0, 240, 320)); }

    TestPage* NewPage(int id, const wchar_t* caption)
    {
        pages.emplace_back(new TestPage(id, caption, &normal, &selected, &pressed, &log));
        return pages.back().get();
    }
    // A bar with one page per caption (page ids 0, 1, ...), created over `bounds`.
    VelTabBar* MakeBar(VelTabBar::Position position, std::vector<const wchar_t*> captions,
                       const RECT& bounds = VelRect(0, 0, 240, 320))
    {
        VelTabBar* bar = new VelTabBar(position, &window, "tabbar");
        for (const wchar_t* caption : captions)
            bar->AddPage(-1, NewPage(int(pages.size()), caption));
        bar->TabChanged += VelBind(&tabLog, &TabLog::OnTabChanged);
        bar->Create(&window, kit::kVisible, bounds);
        return bar;
    }
    // Two tabs along the bottom, the second one current; the first one's
    // caption is short enough for a tab 40 pixels wide, so none is cut short.
    VelTabBar* MakeCaptionBar()
    {
        VelTabBar* bar = MakeBar(VelTabBar::kBottom, {L"C", L"T"});
        bar->SelectPage(1);
        return bar;
    }
    static VelToolbar* Toolbar(VelTabBar* bar) { return dynamic_cast<VelToolbar*>(bar->GetChildren().at(0)); }
    // The rectangle of a tab of a bar along the bottom, in window coordinates.
    static VelRect Tab(int index) { return VelRect(40 * index, 288, 40 * index + 40, 320); }
    void Send(UINT message, int x, int y)
    {
        ::SendMessageW(window.GetHandle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    }
    void TapTab(int index)
    {
        const VelRect r = Tab(index);
        TapWindow(window.GetHandle(), VelPoint(r.left + 20, r.top + 16));
    }
    void Repaint() { kit::Repaint(window); }
    // The one tab image (normal, selected, pressed or other) a tab shows, after a repaint.
    COLORREF TabImage(int index)
    {
        Repaint();
        return ShownImage(Screen(window), index);
    }
    static COLORREF ShownImage(const Screen& screen, int index)
    {
        const std::set<COLORREF> found = screen.Colours(Tab(index));
        std::vector<COLORREF> images;
        for (COLORREF c : {kNormal, kSelected, kPressed, kOther})
            if (found.count(c))
                images.push_back(c);
        EXPECT_EQ(images.size(), 1u) << "tab " << index;
        return images.empty() ? CLR_INVALID : images[0];
    }
    int TabInk(int index)
    {
        Repaint();
        return Screen(window).Ink(Tab(index));
    }

    TabTheme theme;
    kit::ThemeScope themeScope;
    VelBitmap normal, selected, pressed, other;
    kit::HostWindow window;
    Log log;
    TabLog tabLog{&log};
    // Declared after the window: the pages go first, before the bar that lists them.
    std::vector<std::unique_ptr<TestPage>> pages;
};

}  // namespace

TEST_F(TabBarTest, BarAndPagesTakeTheirSideOfTheControl)
{
    struct Case {
        VelTabBar::Position position;
        RECT bar;
        RECT page;
        POINT insidePage;  // next to the bar
    };
    // The bar paints nothing over the page rectangle: the pages' views cover it.
    // The control is 240 x 300; the bar 32 high or 40 wide.
    const Case cases[] = {
        {VelTabBar::kTop, {0, 0, 240, 32}, {0, 32, 240, 300}, {120, 32}},
        {VelTabBar::kBottom, {0, 268, 240, 300}, {0, 0, 240, 268}, {120, 267}},
        {VelTabBar::kLeft, {0, 0, 40, 300}, {40, 0, 240, 300}, {40, 150}},
        {VelTabBar::kRight, {200, 0, 240, 300}, {0, 0, 200, 300}, {199, 150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        std::unique_ptr<VelTabBar> bar(MakeBar(c.position, {L"Calls"}, VelRect(0, 0, 240, 300)));
        EXPECT_EQ(bar->GetBarHeight(), 32);
        EXPECT_EQ(bar->GetBarWidth(), 40);
        VelToolbar* toolbar = Toolbar(bar.get());
        EXPECT_EQ(toolbar->GetName(), "tabbar-control");
        EXPECT_EQ(toolbar->GetBounds(), VelRect(c.bar));
        EXPECT_TRUE(toolbar->IsVisible());
        const bool side = c.position == VelTabBar::kLeft || c.position == VelTabBar::kRight;
        EXPECT_EQ(toolbar->GetStyle(), side ? DWORD(VelToolbar::kStyleVertical) : DWORD(0));
        TestPage* page = pages.back().get();
        EXPECT_EQ(page->rects, std::vector<VelRect>{VelRect(c.page)});
        EXPECT_EQ(page->GetTag(), bar.get());

        // The tab sits at the bar's start; its far corner is bare bar, and the page begins where the bar ends.
        Repaint();
        Screen screen(window);
        EXPECT_EQ(screen.Pixel(c.bar.right - 1, c.bar.bottom - 1), kBar);
        EXPECT_TRUE(screen.Colours(VelRect(c.bar.left, c.bar.top, c.bar.left + 40, c.bar.top + 32)).count(kNormal));
        EXPECT_NE(screen.Pixel(c.insidePage.x, c.insidePage.y), kBar);
    }
}

TEST_F(TabBarTest, SixTabsFillThePhoneWidthAndEachTapSwitchesToItsPage)
{
    VelTabBar* bar = MakeBar(VelTabBar::kBottom, {L"A", L"B", L"C", L"D", L"E", L"F"});
    VelToolbar* toolbar = Toolbar(bar);
    for (int i = 0; i < 6; ++i) {
        VelToolbarButton* button = bar->FindButton(i);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetName(), "tabbar-page-button");
        EXPECT_EQ(button->GetText(), pages[i]->GetCaption());
        EXPECT_EQ(button->GetStyle(), 11u);
        EXPECT_EQ(button->GetImage(), &normal);
        EXPECT_EQ(button->GetSelectedImage(), &selected);
        EXPECT_EQ(button->GetHighlightedImage(), &pressed);
        EXPECT_EQ(toolbar->GetItem(i), button);
    }
    EXPECT_EQ(bar->FindButton(6), nullptr);
    EXPECT_EQ(bar->GetCurrentIndex(), -1);
    Repaint();
    EXPECT_EQ(VelRect(bar->FindButton(5)->GetRect()), VelRect(200, 0, 240, 32)) << "the last tab ends at the edge";

    const std::vector<int> taps = {2, 0, 5, 3};
    std::string previous = "none";
    for (int tab : taps) {
        SCOPED_TRACE(tab);
        log.clear();
        TapTab(tab);
        const std::string name = Name(pages[tab].get());
        Log expected = {"tab " + previous + ">" + name};
        if (previous != "none")
            expected.push_back(previous + "-");
        expected.push_back(name + "+");
        EXPECT_EQ(log, expected);
        EXPECT_EQ(bar->GetCurrentIndex(), tab);
        EXPECT_EQ(toolbar->GetSelectedIndex(), tab);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(pages[i]->IsActive(), i == tab) << i;
        EXPECT_EQ(TabImage(tab), kSelected);
        EXPECT_EQ(TabImage((tab + 1) % 6), kNormal);
        previous = name;
    }
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(TabBarTest, PressedTabShowsItsPressedImageUntilRelease)
{
    VelTabBar* bar = MakeBar(VelTabBar::kBottom, {L"A", L"B"});
    bar->SelectPage(0);
    Repaint();
    // No pump while captured: the platform would post moves from the real cursor.
    Send(WM_LBUTTONDOWN, 60, 300);
    ::UpdateWindow(window.GetHandle());
    Screen screen(window);
    EXPECT_EQ(ShownImage(screen, 1), kPressed);
    EXPECT_EQ(ShownImage(screen, 0), kSelected);
    Send(WM_LBUTTONUP, 60, 300);
    EXPECT_EQ(TabImage(1), kSelected);
    EXPECT_EQ(TabImage(0), kNormal);
}

TEST_F(TabBarTest, ATapThatCannotSwitchLeavesThePreviousTabPressed)
{
    struct Case {
        const char* name;
        bool refuse;         // the second page refuses to become active
        bool foreignButton;  // a button of no page sits behind the first two
        int tappedTab;
    };
    const Case cases[] = {
        {"page refuses", true, false, 1},
        {"button of no page", false, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<VelTabBar> bar(MakeBar(VelTabBar::kBottom, {L"A", L"B"}));
        pages.back()->canActivate = !c.refuse;
        VelToolbarButton stranger(77, L"?", &other, &other, &other, 11, nullptr, "stranger");
        stranger.SetSize(SIZE{40, 32});
        if (c.foreignButton)
            Toolbar(bar.get())->AddItem(&stranger);
        bar->SelectPage(0);
        log.clear();

        TapTab(c.tappedTab);
        EXPECT_TRUE(log.empty()) << "no TabChanged, no activation: " << (log.empty() ? "" : log[0]);
        EXPECT_EQ(bar->GetCurrentIndex(), 0);
        EXPECT_EQ(Toolbar(bar.get())->GetSelectedIndex(), 0);
        EXPECT_TRUE(pages[pages.size() - 2]->IsActive());
        EXPECT_EQ(TabImage(0), kSelected);
        EXPECT_EQ(TabImage(c.tappedTab), c.foreignButton ? kOther : kNormal);
        EXPECT_FALSE(Toolbar(bar.get())->GetItem(c.tappedTab)->IsSelected());
    }
}

TEST_F(TabBarTest, SelectPageSwitchesOnlyToAnotherPageInRange)
{
    struct Case {
        const char* name;
        int before;  // selected first, -1 for none
        int select;
        Log log;
        int current;
    };
    const Case cases[] = {
        {"first selection", -1, 1, {"B+"}, 1},
        {"another page", 0, 2, {"A-", "C+"}, 2},
        {"the current page again", 1, 1, {"B+"}, 1},
        {"past the end", 1, 3, {}, 1},
        {"negative", 1, -1, {}, 1},
        {"negative with none current", -1, -1, {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<VelTabBar> bar(MakeBar(VelTabBar::kBottom, {L"A", L"B", L"C"}));
        bar->SelectPage(c.before);
        log.clear();
        bar->SelectPage(c.select);
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(bar->GetCurrentIndex(), c.current);
        EXPECT_EQ(Toolbar(bar.get())->GetSelectedIndex(), c.current);
    }
    std::unique_ptr<VelTabBar> bar(MakeBar(VelTabBar::kBottom, {L"A"}));
    EXPECT_EQ(bar->GetPage(0), pages.back().get());
    EXPECT_EQ(bar->GetPage(1), nullptr);
    EXPECT_EQ(bar->GetPage(-1), nullptr);
}

TEST_F(TabBarTest, RefusedPageLeavesNoButtonAndNoSubscription)
{
    VelTabBar* bar = MakeBar(VelTabBar::kBottom, {L"A", L"B"});
    struct Children {
        void OnAdded(VelObject*, const VelObjectEventArgs* args) { ids.push_back(args->child->GetId()); }
        std::vector<int> ids;
    } children;
    bar->ChildAdded += VelBind(&children, &Children::OnAdded);
    TestPage* late = NewPage(9, L"Late");

    EXPECT_LT(bar->AddPage(3, late), 0);
    ASSERT_EQ(children.ids.size(), 1u);
    EXPECT_EQ(VelObject::FindById(children.ids[0]), nullptr) << "the refused button is deleted";
    EXPECT_EQ(Toolbar(bar)->GetItemCount(), 2);
    EXPECT_EQ(bar->FindPageIndex(9), -1);
    EXPECT_EQ(bar->GetPage(2), nullptr);
    EXPECT_EQ(late->Changed.GetCount(), 0u);
    EXPECT_EQ(bar->AddPage(0, nullptr), -1);

    EXPECT_EQ(bar->AddPage(2, late), 2) << "the end itself is a place to insert at";
    EXPECT_EQ(bar->FindPageIndex(9), 2);
}

TEST_F(TabBarTest, PageInsertedBeforeTheCurrentOneKeepsTabsAndPagesInStep)
{
    VelTabBar* bar = MakeBar(VelTabBar::kBottom, {L"A", L"B"});
    bar->SelectPage(1);
    TestPage* first = NewPage(7, L"N");
    EXPECT_EQ(bar->AddPage(0, first), 0);
    EXPECT_EQ(bar->GetPage(0), first);
    EXPECT_EQ(bar->GetPage(2), pages[1].get());
    EXPECT_EQ(bar->GetCurrentIndex(), 2);
    EXPECT_EQ(bar->FindPageIndex(1), 2);
    EXPECT_EQ(Toolbar(bar)->GetSelectedIndex(), 2);
    EXPECT_EQ(TabImage(2), kSelected) << "B's tab, now third, still shows pressed";
    EXPECT_EQ(TabImage(0), kNormal);

    log.clear();
    TapTab(0);
    EXPECT_EQ(log, (Log{"tab B>N", "B-", "N+"}));
    EXPECT_EQ(TabImage(0), kSelected);
    EXPECT_EQ(TabImage(2), kNormal);
}

TEST_F(TabBarTest, PageChangeShowsOnItsTab)
{
    VelTabBar* bar = MakeCaptionBar();
    TestPage* calls = pages[0].get();
    const int plain = TabInk(0);
    ASSERT_GT(plain, 0) << "the caption shows";

    calls->SetValue(4);
    const int bold = TabInk(0);
    EXPECT_GT(bold, plain) << "a non-zero value turns the caption bold";
    calls->SetValue(0);
    EXPECT_EQ(TabInk(0), plain);

    calls->SetCaption(L"Missed");
    calls->SetImage(&other);
    calls->RaiseChanged();
    EXPECT_EQ(bar->FindButton(0)->GetText(), L"Missed");
    EXPECT_EQ(bar->FindButton(1)->GetText(), L"T");
    EXPECT_EQ(TabImage(0), kOther);
    EXPECT_EQ(TabImage(1), kSelected);
}

TEST_F(TabBarTest, PageChangeFromAnotherThreadReachesTheTabOnTheBarsThread)
{
    VelTabBar* bar = MakeCaptionBar();
    TestPage* calls = pages[0].get();
    const int plain = TabInk(0);
    struct Threads {
        void OnChanged(VelObject*, const VelObjectChangeEventArgs*) { ids.push_back(::GetCurrentThreadId()); }
        std::vector<DWORD> ids;
    } threads;
    bar->FindButton(0)->Changed += VelBind(&threads, &Threads::OnChanged);
    const size_t requests = VelControlCore::Instance->GetLiveRequestCount();

    std::thread([calls] { calls->SetValue(3); }).join();
    EXPECT_TRUE(threads.ids.empty()) << "the data thread leaves the tab alone";
    EXPECT_EQ(VelControlCore::Instance->GetLiveRequestCount(), requests + 1);

    Pump();
    ASSERT_FALSE(threads.ids.empty());
    for (DWORD id : threads.ids)
        EXPECT_EQ(id, ::GetCurrentThreadId());
    EXPECT_GT(TabInk(0), plain);
    EXPECT_EQ(VelControlCore::Instance->GetLiveRequestCount(), requests);

    // A request still on its way when the bar goes finds nobody.
    std::thread([calls] { calls->SetValue(0); }).join();
    delete bar;
    Pump();
    EXPECT_EQ(VelControlCore::Instance->GetLiveRequestCount(), requests);
}

TEST_F(TabBarTest, ATabChangeHandlerMayCloseTheBar)
{
    struct Closer {
        void OnTabChanged(VelObject*, const VelTabChangeEventArgs*)
        {
            delete bar;
            bar = nullptr;
        }
        VelTabBar* bar;
    } closer;
    closer.bar = MakeBar(VelTabBar::kBottom, {L"A", L"B"});
    closer.bar->SelectPage(0);
    closer.bar->TabChanged += VelBind(&closer, &Closer::OnTabChanged);
    log.clear();
    TapTab(1);
    EXPECT_EQ(closer.bar, nullptr);
    EXPECT_EQ(log, Log{"tab A>B"}) << "no page is switched by a bar that is gone";
}

TEST_F(TabBarTest, ABarThatIsGoneLeavesItsPagesAlone)
{
    VelTabBar* bar = MakeBar(VelTabBar::kBottom, {L"A", L"B"});
    EXPECT_EQ(pages[0]->Changed.GetCount(), 1u);
    // A page object that dies first is not touched by the bar's end.
    pages[1].reset();
    delete bar;
    EXPECT_EQ(pages[0]->Changed.GetCount(), 0u);
    pages[0]->SetValue(2);
}

TEST_F(TabBarTest, SizeAndButtonStyleSetBeforeThePagesShapeTheirTabs)
{
    VelTabBar* bar = new VelTabBar(VelTabBar::kBottom, &window, "tabbar");
    bar->SetBarWidth(48);
    bar->SetBarHeight(41);
    bar->SetButtonStyle(VelToolbarButton::kStyleImage | VelToolbarButton::kStyleTextAbove);
    bar->AddPage(-1, NewPage(0, L"A"));
    bar->AddPage(-1, NewPage(1, L"B"));
    bar->Create(&window, kit::kVisible, VelRect(0, 0, 240, 320));
    EXPECT_EQ(bar->GetToolbar(), Toolbar(bar));
    EXPECT_EQ(bar->GetToolbar()->GetBounds(), VelRect(0, 279, 240, 320));
    EXPECT_EQ(pages[0]->rects, std::vector<VelRect>{VelRect(0, 0, 240, 279)});
    for (int i = 0; i < 2; ++i) {
        SIZE size = {0, 0};
        bar->FindButton(i)->GetSize(size);
        EXPECT_EQ(size.cx, 48);
        EXPECT_EQ(size.cy, 41);
        EXPECT_EQ(bar->FindButton(i)->GetStyle(), 12u);
    }
    Repaint();
    EXPECT_EQ(VelRect(bar->FindButton(1)->GetRect()), VelRect(48, 0, 96, 41));
}
