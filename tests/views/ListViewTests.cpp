// The list of a base view in a real window on the fake clock, with the Silver
// theme: filing rows into groups, the filter, the loading cycle, the
// progress bar read back from the window's canvas, and a second thread
// adding rows under the list lock while the window repaints.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "VelControlCore.h"
#include "VelGridViewPainter.h"
#include "VelKlTheme.h"
#include "VelKlView.h"
#include "VelListView.h"
#include "VelProgressWindowLess.h"
#include "VelStringItem.h"
#include "VelThemeLibrary.h"
#include "VelTimer.h"
#include "FakeTick.h"
#include "ListRows.h"
#include "ViewTestSupport.h"

namespace {

VelStringItem* Row(const std::wstring& text) { return new VelStringItem(text, text, DT_SINGLELINE); }

// Files a row under the first letter of its text; "-" rows go nowhere, so
// the list files them in its default group; "&" rows go under two letters.
std::vector<VelListGrouping::GroupKey> ByInitial(const VelItem* item)
{
    const std::wstring& text = static_cast<const VelStringItem*>(item)->GetText();
    if (text.empty() || text[0] == L'-')
        return {};
    if (text[0] == L'&')
        return {{L"X", L"x"}, {L"Y", L"y"}};
    return {{text.substr(0, 1), text.substr(0, 1)}};
}

// Groups in reverse text order, rows likewise, so a sorted list tells itself apart.
bool GroupsDescending(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b)
{
    return b->GetText() < a->GetText();
}
bool RowsDescending(const VelGroupItem::ItemPtr& a, const VelGroupItem::ItemPtr& b)
{
    return static_cast<const VelStringItem*>(b.get())->GetText() <
           static_cast<const VelStringItem*>(a.get())->GetText();
}

// A view with a list and no title bar filling a 240 x 320 window.
class ListViewTest : public ::testing::Test {
protected:
    ListViewTest() : screen(kWidth, kHeight) {}

    void SetUp() override
    {
        ASSERT_NE(LoadTheme(L"Silver"), nullptr);
        view = new VelKlView(3, VelKlView::kStyleList, nullptr, "list-test-view");
        view->Create(nullptr, kVelStyleVisible, VelRect(0, 0, kWidth, kHeight));
        list = view->GetList();
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override { delete view; }

    void Settle() { SettleWindow(view->GetHandle()); }
    COLORREF Pixel(int x, int y) { return ::GetPixel(view->GetCanvas()->GetDC(), x, y); }
    void Send(UINT message, int x, int y, WPARAM keys)
    {
        ::SendMessageW(view->GetHandle(), message, keys, MAKELPARAM(x, y));
    }
    // The rows of the grid's current layout, top first, as the user sees them.
    std::vector<std::wstring> Shown()
    {
        Settle();
        const RowText text = [](const VelItem* item) {
            return (item->IsGroup() ? L"#" : L"") + static_cast<const VelStringItem*>(item)->GetText();
        };
        std::vector<std::wstring> rows;
        for (const std::vector<std::wstring>& cells : ReadLayout(*list, text, EmptyCells::kSkip, 1))
            rows.insert(rows.end(), cells.begin(), cells.end());
        return rows;
    }
    VelGroupItem* Group(const std::wstring& label) { return list->FindGroup(label); }
    // Files the rows by their initials; a test may set the rest of the grouping first.
    void GroupByInitials()
    {
        initials.keys = &ByInitial;
        list->SetGrouping(&initials);
    }

    static constexpr int kWidth = 240;
    static constexpr int kHeight = 320;

    VelApplication app{L"Velmora KL list view test"};
    ScreenScope screen;
    FakeTick tick{900000};
    VelKlView* view = nullptr;
    VelListView* list = nullptr;  // owned by the view
    VelListGrouping initials;
};

TEST_F(ListViewTest, TheBaseViewBuildsAListWithItsBarAndTimer)
{
    EXPECT_EQ(list->GetName(), "view-listview");
    EXPECT_EQ(std::wstring(list->GetClassName()), L"VelListView");
    EXPECT_TRUE(list->GetGroupsFollowChildren());
    EXPECT_TRUE(list->GetSpareFlag());

    VelProgressWindowLess* bar = list->GetProgress();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetName(), "progress");
    EXPECT_EQ(bar->GetHost(), list);
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_TRUE(bar->GetAutoHide());
    EXPECT_EQ(bar->GetRange(), 100);
    EXPECT_EQ(VelRect(bar->GetRect()), VelRect(0, 0, kWidth, 2)) << "240 / 120 high, across the list";

    VelTimer* timer = list->GetHighlightTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->GetName(), "highlight-item-timer");
    EXPECT_EQ(timer->GetInterval(), 400u);
    EXPECT_FALSE(timer->IsActive()) << "nothing starts the delayed highlight";
}

TEST_F(ListViewTest, RowsAreFiledByTheGroupingAndHeldOnce)
{
    initials.groupComparator = &GroupsDescending;
    initials.itemComparator = &RowsDescending;
    int headersMade = 0;
    initials.createHeader = [&headersMade](const std::wstring& label, const std::wstring& key) {
        ++headersMade;
        return new VelGroupItem(L"" + label, L"k:" + key, DT_SINGLELINE);
    };
    GroupByInitials();
    EXPECT_EQ(initials.list, list);

    VelItem* amy = Row(L"Amy");
    for (VelItem* row : {amy, static_cast<VelItem*>(Row(L"Bob")), static_cast<VelItem*>(Row(L"Ada")),
                         static_cast<VelItem*>(Row(L"-loose")), static_cast<VelItem*>(Row(L"&both"))})
        list->AddItem(row);
    list->AddItem(amy);
    EXPECT_EQ(list->GetItems().size(), 5u) << "a row added twice is held once";
    EXPECT_EQ(headersMade, 4) << "A, B, X and Y, each made once";
    EXPECT_EQ(Group(L"A")->GetKey(), L"k:A");

    // Groups and rows in the comparators' order; the loose row in the default group.
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#Y", L"&both", L"#X", L"&both", L"#B", L"Bob", L"#A", L"Amy",
                                                  L"Ada", L"#(Unclassified)", L"-loose"}));

    EXPECT_EQ(list->FindItem([](const VelItem* item) { return item->GetKey() == L"Bob"; })->GetKey(), L"Bob");
    EXPECT_EQ(list->FindItem([](const VelItem*) { return false; }), nullptr);
    EXPECT_EQ(list->FindGroup(L"Q"), nullptr);
    EXPECT_EQ(list->FindGroup(L""), nullptr);
}

TEST_F(ListViewTest, RowsWithoutAGroupSurviveTheRemovalOfEveryGroup)
{
    // Emptying a list removes the default group too; a row that belongs to no
    // group must still find one, not a null group.
    list->BeginLoading();
    list->RemoveAllItems();
    list->RemoveAllGroups();
    list->EndLoading();
    ASSERT_EQ(list->GetDefaultGroup(), nullptr);

    GroupByInitials();
    list->AddItem(Row(L"-first"));
    list->AddItem(Row(L"Ann"));
    ASSERT_NE(list->GetDefaultGroup(), nullptr);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#(Unclassified)", L"-first", L"#A", L"Ann"}));
}

TEST_F(ListViewTest, AFilterAppliedDuringALoadRunsOnceAtItsEnd)
{
    for (const wchar_t* text : {L"Ann", L"Abe", L"Bea"})
        list->AddItem(Row(text));
    GroupByInitials();

    int calls = 0;
    list->BeginLoading();
    list->SetFilter(
        [&calls](const VelItem* item) {
            ++calls;
            return item->GetKey() != L"Bea";
        },
        true);
    EXPECT_EQ(calls, 0) << "pending while the loader's cycle runs";
    EXPECT_TRUE(Group(L"B")->IsVisible());
    list->EndLoading();
    EXPECT_EQ(calls, 3) << "each row once";
    EXPECT_FALSE(list->IsBusy());

    // The group whose rows are all filtered out goes with them, and comes back with one.
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Ann", L"Abe"}));
    list->AddItem(Row(L"Bo"));
    EXPECT_EQ(calls, 4) << "a new row meets the filter on its way in";
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Ann", L"Abe", L"#B", L"Bo"}));

    // Without apply the predicate waits for the rows to come.
    list->SetFilter([](const VelItem*) { return false; }, false);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Ann", L"Abe", L"#B", L"Bo"}));
    list->SetFilter(VelListView::Predicate(), true);
    EXPECT_EQ(Shown().size(), 6u) << "an empty filter shows every row";
}

TEST_F(ListViewTest, TheViewHandsItsFilterToTheList)
{
    for (const wchar_t* text : {L"Ann", L"Bea"})
        list->AddItem(Row(text));
    view->SetListFilter([](const VelItem* item) { return item->GetKey() == L"Bea"; }, true);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#(Unclassified)", L"Bea"}));

    VelKlView bare(0, 0, nullptr, "bare-view");
    bare.Create(nullptr, kVelStyleVisible, VelRect(0, 0, kWidth, kHeight));
    EXPECT_NO_THROW(bare.SetListFilter([](const VelItem*) { return false; }, true)) << "a view without a list";
}

TEST_F(ListViewTest, SettingTheSameGroupingAgainDoesNothing)
{
    int keyCalls = 0;
    VelListGrouping grouping;
    grouping.keys = [&keyCalls](const VelItem* item) {
        ++keyCalls;
        return ByInitial(item);
    };
    list->SetGrouping(&grouping);
    list->AddItem(Row(L"Cy"));
    ASSERT_EQ(keyCalls, 1);
    list->SetGrouping(&grouping);
    EXPECT_EQ(keyCalls, 1) << "no regroup";
    EXPECT_FALSE(list->IsBusy());

    // Another grouping files every row again, in one cycle.
    VelListGrouping flat;
    flat.keys = [](const VelItem*) { return std::vector<VelListGrouping::GroupKey>{{L"All", L"all"}}; };
    list->AddItem(Row(L"Di"));
    list->SetGrouping(&flat);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#All", L"Cy", L"Di"}));
    EXPECT_EQ(list->FindGroup(L"C"), nullptr) << "the old groups went";
}

TEST_F(ListViewTest, ARefreshedRowMovesToItsNewGroupAndMeetsTheFilterAgain)
{
    GroupByInitials();
    VelStringItem* row = Row(L"Al");
    list->AddItem(row);
    list->AddItem(Row(L"Ed"));
    list->SetFilter([](const VelItem* item) { return static_cast<const VelStringItem*>(item)->GetText() != L"Zed"; },
                    true);

    row->SetText(L"Eve");
    list->RefreshItem(row);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#E", L"Ed", L"Eve"})) << "A is empty and hides";
    EXPECT_FALSE(Group(L"A")->ContainsChild(row));

    row->SetText(L"Zed");
    list->RefreshItem(row);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#E", L"Ed"})) << "renamed out of the filter";
    row->SetText(L"Zoe");
    list->RefreshFilterAndGroup(row);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#E", L"Ed", L"#Z", L"Zoe"}));
}

bool RowsAscending(const VelGroupItem::ItemPtr& a, const VelGroupItem::ItemPtr& b)
{
    return static_cast<const VelStringItem*>(a.get())->GetText() <
           static_cast<const VelStringItem*>(b.get())->GetText();
}

bool GroupsAscending(const VelGridView::GroupPtr& a, const VelGridView::GroupPtr& b)
{
    return a->GetText() < b->GetText();
}

bool HoldsA(const VelItem* item)
{
    return static_cast<const VelStringItem*>(item)->GetText().find(L'a') != std::wstring::npos;
}

TEST_F(ListViewTest, RowsAddedOutOfOrderEndSortedInAndOutOfALoad)
{
    initials.itemComparator = &RowsAscending;
    initials.groupComparator = &GroupsAscending;
    GroupByInitials();
    list->BeginLoading();
    for (const wchar_t* text : {L"Bo", L"Ax", L"Bz", L"Aa", L"Bb", L"Am"})
        list->AddItem(Row(text));
    list->EndLoading();
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Aa", L"Am", L"Ax", L"#B", L"Bb", L"Bo", L"Bz"}));
    // One at a time, outside a load, and a new group between the others.
    for (const wchar_t* text : {L"Ab", L"Ba", L"Cq", L"Az", L"Ca"})
        list->AddItem(Row(text));
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Aa", L"Ab", L"Am", L"Ax", L"Az", L"#B", L"Ba", L"Bb", L"Bo",
                                                  L"Bz", L"#C", L"Ca", L"Cq"}));
}

TEST_F(ListViewTest, GroupsComeAndGoAsTheFilterAndTheRowsChange)
{
    initials.itemComparator = &RowsAscending;
    initials.groupComparator = &GroupsAscending;
    GroupByInitials();
    for (const wchar_t* text : {L"Bob", L"Ada", L"Cy"})
        list->AddItem(Row(text));
    list->SetFilter(&HoldsA, true);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Ada"})) << "B and C have no row left and hide";

    // Rows arriving while filtered, in a load and alone: only a match brings its group.
    list->BeginLoading();
    list->AddItem(Row(L"Dot"));
    list->AddItem(Row(L"Cal"));
    list->EndLoading();
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Ada", L"#C", L"Cal"}));
    list->AddItem(Row(L"Eve"));
    list->AddItem(Row(L"Bea"));
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Ada", L"#B", L"Bea", L"#C", L"Cal"}));

    // The last match of a group filtered away in a load hides the group.
    list->SetFilter(
        [](const VelItem* item) {
            return HoldsA(item) && static_cast<const VelStringItem*>(item)->GetText() != L"Cal";
        },
        true);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Ada", L"#B", L"Bea"}));
    list->SetFilter(VelListView::Predicate(), true);
    EXPECT_EQ(Shown(), std::vector<std::wstring>(
                           {L"#A", L"Ada", L"#B", L"Bea", L"Bob", L"#C", L"Cal", L"Cy", L"#D", L"Dot", L"#E", L"Eve"}));
}

TEST_F(ListViewTest, ARowChangedWhileFilteredTakesItsNewPlaceOrHides)
{
    initials.itemComparator = &RowsAscending;
    initials.groupComparator = &GroupsAscending;
    GroupByInitials();
    VelStringItem* ava = Row(L"Ava");
    for (VelStringItem* row : {Row(L"Abe"), Row(L"Anna"), ava, Row(L"Bart")})
        list->AddItem(row);
    list->SetFilter(&HoldsA, true);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Anna", L"Ava", L"#B", L"Bart"}));

    ava->SetText(L"Aaron");  // still a match, still in A, now first
    list->RefreshItem(ava);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Aaron", L"Anna", L"#B", L"Bart"}));
    ava->SetText(L"Bea");  // a match in another group, in its order there
    list->RefreshItem(ava);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Anna", L"#B", L"Bart", L"Bea"}));
    ava->SetText(L"Bob");  // no match: hidden where it is
    list->RefreshItem(ava);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Anna", L"#B", L"Bart"}));
    list->SetFilter(VelListView::Predicate(), true);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#A", L"Abe", L"Anna", L"#B", L"Bart", L"Bob"}));
}

TEST_F(ListViewTest, RemovingRows)
{
    GroupByInitials();
    VelItem* kim = Row(L"Kim");
    list->AddItem(kim);
    list->AddItem(Row(L"Lu"));

    VelStringItem stranger(L"Stranger", L"stranger", DT_SINGLELINE);
    EXPECT_NO_THROW(list->RemoveItem(&stranger)) << "a row the list does not hold is left alone";
    EXPECT_NO_THROW(list->RemoveItem(nullptr));
    EXPECT_EQ(list->GetItemCount(), 2);

    list->RemoveItem(kim);
    EXPECT_EQ(list->GetItems().size(), 1u);
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#L", L"Lu"})) << "the emptied group hides";
    EXPECT_EQ(list->FindItem([](const VelItem* item) { return item->GetKey() == L"Kim"; }), nullptr);

    VelGroupItem* letterL = list->FindGroup(L"L");
    ASSERT_NE(letterL, nullptr);
    EXPECT_EQ(list->RemoveGroup(letterL), 0u);
    EXPECT_EQ(list->FindGroup(L"L"), nullptr) << "no record of a group that went";
    EXPECT_TRUE(Shown().empty());
    list->AddItem(Row(L"Lea"));
    EXPECT_EQ(Shown(), std::vector<std::wstring>({L"#L", L"Lea"})) << "a new L group";

    list->RemoveAllItems();
    EXPECT_TRUE(list->GetItems().empty());
    EXPECT_TRUE(Shown().empty());
    list->RemoveAllGroups();
    EXPECT_EQ(list->FindGroup(L"K"), nullptr);
}

TEST_F(ListViewTest, ALoadingCycleHoldsRepaintsUntilItsOutermostEnd)
{
    VelColor ground;
    GetCurrentTheme()->GetGridBackgroundColor(ground);
    Settle();
    ASSERT_EQ(Pixel(kWidth / 2, 10), ground.ToColorRef());

    list->BeginLoading();
    list->BeginLoading();
    EXPECT_TRUE(list->IsBusy());
    for (int i = 0; i < 5; ++i)
        list->AddItem(Row(L"Row " + std::to_wstring(i)));
    Settle();
    EXPECT_EQ(Pixel(kWidth / 2, 10), ground.ToColorRef()) << "nothing repaints during the load";
    list->EndLoading();
    Settle();
    EXPECT_EQ(Pixel(kWidth / 2, 10), ground.ToColorRef()) << "the inner end leaves the cycle running";
    list->EndLoading();
    EXPECT_FALSE(list->IsBusy());
    EXPECT_NE(Pixel(kWidth / 2, 10), ground.ToColorRef()) << "the outer end repainted at once";
    list->EndLoading();
    EXPECT_FALSE(list->IsBusy()) << "an end too many is ignored";
}

TEST_F(ListViewTest, ALoadingCycleOnAnotherThreadRepaintsThroughTheOwner)
{
    VelColor ground;
    GetCurrentTheme()->GetGridBackgroundColor(ground);
    Settle();
    std::thread([this] {
        list->BeginLoading();
        list->AddItem(Row(L"From the data thread"));
        list->EndLoading();
    }).join();
    EXPECT_FALSE(list->IsBusy());
    Settle();
    EXPECT_NE(Pixel(kWidth / 2, 10), ground.ToColorRef()) << "the posted repaint ran here";
}

TEST_F(ListViewTest, TheProgressBarIsDrawnOverTheTopRowWhileALoadRuns)
{
    for (int i = 0; i < 20; ++i)
        list->AddItem(Row(L"Row " + std::to_wstring(i)));
    Settle();
    const COLORREF rowTop = Pixel(kWidth / 2, 0);

    VelColor thumb;
    VelColor track;
    GetCurrentTheme()->GetScrollThumbColor(thumb);
    GetCurrentTheme()->GetScrollTrackColor(track);
    VelProgress* progress = list->GetProgress();
    progress->SetRange(10);
    progress->SetPosition(5);
    Settle();
    EXPECT_TRUE(list->IsProgressVisible());
    for (int y : {0, 1}) {
        EXPECT_EQ(Pixel(10, y), thumb.ToColorRef());
        EXPECT_EQ(Pixel(kWidth / 2 - 1, y), thumb.ToColorRef());
        EXPECT_EQ(Pixel(kWidth / 2 + 1, y), track.ToColorRef());
        EXPECT_EQ(Pixel(kWidth - 10, y), track.ToColorRef());
    }
    EXPECT_NE(Pixel(10, 2), thumb.ToColorRef()) << "two pixels high";

    // A scroll with the bar up neither drags its pixels along nor loses it:
    // below the bar the window shows what a fresh paint shows. Down and back
    // up by a distance that puts the bar's second line into a row the scroll
    // alone would not repaint.
    auto belowBar = [this] {
        Settle();
        std::vector<COLORREF> pixels;
        for (int y = 2; y < kHeight; ++y)
            for (int x : {10, kWidth / 2})
                pixels.push_back(Pixel(x, y));
        return pixels;
    };
    const int distance = list->GetPainter()->GetRowBottom(1) - 1;
    for (int position : {distance, 0}) {
        SCOPED_TRACE(position);
        list->ScrollTo(position, false);
        const std::vector<COLORREF> scrolled = belowBar();
        EXPECT_EQ(Pixel(10, 0), thumb.ToColorRef());
        list->SetFullRepaint(true);
        list->InvalidateRect(VelRect());
        EXPECT_TRUE(scrolled == belowBar());
    }

    // The load completes: the bar goes, the row shows again.
    progress->SetPosition(10);
    Settle();
    EXPECT_FALSE(list->IsProgressVisible());
    EXPECT_EQ(Pixel(kWidth / 2, 0), rowTop);

    // Shown again by hand, it shows where the load stands: full.
    list->SetProgressVisible(true);
    Settle();
    EXPECT_EQ(Pixel(kWidth - 10, 0), thumb.ToColorRef());
    list->SetProgressVisible(false);
    Settle();
    EXPECT_EQ(Pixel(kWidth - 10, 0), rowTop);
}

TEST_F(ListViewTest, AMoveOrAReleaseRemovesTheHighlight)
{
    VelItem* row = Row(L"Lit");
    list->AddItem(row);
    Settle();
    list->Highlight(row);
    EXPECT_EQ(list->GetHighlightedItem(), nullptr) << "the highlight is off unless enabled";

    list->SetHighlightEnabled(true);
    struct Case {
        UINT message;
        WPARAM keys;
    };
    for (const Case& c : {Case{WM_MOUSEMOVE, MK_LBUTTON}, Case{WM_LBUTTONUP, 0}}) {
        SCOPED_TRACE(c.message);
        list->Highlight(row);
        ASSERT_EQ(list->GetHighlightedItem(), row);
        EXPECT_TRUE(row->IsPressed());
        Send(WM_LBUTTONDOWN, 200, 300, MK_LBUTTON);
        EXPECT_EQ(list->GetHighlightedItem(), row) << "a press alone keeps it";
        Send(c.message, 200, 300, c.keys);
        EXPECT_EQ(list->GetHighlightedItem(), nullptr);
        EXPECT_FALSE(row->IsPressed());
        Send(WM_LBUTTONUP, 200, 300, 0);
    }
}

// Ends the process when the test has not finished in time: two threads that
// block each other would otherwise hang it for good.
class Watchdog {
public:
    explicit Watchdog(DWORD limitMs) : m_done(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        m_thread = std::thread([this, limitMs] {
            if (::WaitForSingleObject(m_done, limitMs) == WAIT_OBJECT_0)
                return;
            std::fprintf(stderr, "Watchdog: the UI thread and the data thread blocked each other.\n");
            std::fflush(stderr);
            ::TerminateProcess(::GetCurrentProcess(), 3);
        });
    }
    ~Watchdog()
    {
        ::SetEvent(m_done);
        m_thread.join();
        ::CloseHandle(m_done);
    }

private:
    HANDLE m_done;
    std::thread m_thread;
};

TEST_F(ListViewTest, ADataThreadAddsRowsUnderTheListLockWhileTheWindowRepaints)
{
    GroupByInitials();
    Watchdog watchdog(30000);
    std::atomic<bool> done(false);
    std::atomic<int> batches(0);
    std::thread data([this, &done, &batches] {
        // As a data handler does: find, then change, under one hold of the lock.
        for (int batch = 0; batch < 40; ++batch) {
            VelListView::Lock hold(list);
            for (int i = 0; i < 5; ++i) {
                const std::wstring text = std::wstring(1, wchar_t(L'A' + batch % 5)) + std::to_wstring(batch * 5 + i);
                if (!list->FindItem([&text](const VelItem* item) { return item->GetKey() == text; }))
                    list->AddItem(Row(text));
            }
            if (VelItem* first = list->FindItem([](const VelItem* item) { return item->GetKey() == L"A0"; }))
                list->RefreshItem(first);
            ++batches;
            ::Sleep(1);
        }
        done = true;
    });
    int paints = 0;
    while (!done) {
        list->InvalidateRect(VelRect());
        Settle();
        ++paints;
    }
    data.join();
    EXPECT_GT(paints, 0);
    EXPECT_EQ(batches, 40);
    EXPECT_EQ(list->GetItems().size(), 200u);

    // What the data thread asked to repaint reached this thread.
    Settle();
    const std::vector<std::wstring> shown = Shown();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[0], L"#A");
    EXPECT_EQ(list->GetPainter()->GetRowCount(), 205) << "five groups and every row laid out";
}

}  // namespace
