#include "TestControls.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

// Window W with children A (holding A1) and B; a second window V.
class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
        a.Create(&w, kVisible, VelRect(0, 0, 100, 100));
        a1.Create(&a, kVisible, VelRect(10, 10, 50, 50));
        b.Create(&w, kVisible, VelRect(100, 0, 200, 100));
        v.Create(nullptr, kVisible, VelRect(0, 300, 100, 400));
        named = {{"W", &w}, {"A", &a}, {"A1", &a1}, {"B", &b}, {"V", &v}};
    }

    RecordingControl w, a, a1, b, v;
    std::map<std::string, VelAbstractControl*> named;
};

struct MergeCase {
    std::vector<std::pair<const char*, BYTE>> requests;
    std::vector<std::pair<const char*, BYTE>> expected;
};

} // namespace

TEST_F(UpdateTest, UpdatesInsideADispatchMergePerWindow)
{
    const MergeCase cases[] = {
        {{{"A1", 0}, {"A", 0}}, {{"A", 0}}},              // child, then its parent
        {{{"A", 0}, {"A1", 0}}, {{"A", 0}}},              // parent absorbs child
        {{{"A1", 0}, {"B", 0}}, {{"W", 0}}},              // unrelated, same window
        {{{"A", 0}, {"A1", 1}}, {{"A", 1}}},              // flags OR-ed
        {{{"A", 1}, {"A", 0}}, {{"A", 1}}},               // never back to 0
        {{{"A", 0}, {"V", 1}}, {{"A", 0}, {"V", 1}}},     // two windows
    };
    VelControlCore* core = VelControlCore::Instance;
    for (const MergeCase& c : cases) {
        core->SetDispatching(true);
        for (const auto& r : c.requests)
            core->UpdateControl(named[r.first], r.second);
        std::vector<std::pair<VelAbstractControl*, BYTE>> expected;
        for (const auto& e : c.expected)
            expected.push_back(std::make_pair(named[e.first], e.second));
        EXPECT_EQ(core->GetPendingUpdates(), expected) << c.requests[0].first << " " << c.requests[1].first;
        core->SetDispatching(false);
        EXPECT_TRUE(core->GetPendingUpdates().empty());
    }
}

TEST_F(UpdateTest, OnlyTheOutermostDispatchFlushes)
{
    VelControlCore* core = VelControlCore::Instance;
    core->UpdateControl(&a, 1);  // outside any dispatch: at once
    EXPECT_TRUE(core->GetPendingUpdates().empty());

    core->SetDispatching(true);
    core->SetDispatching(true);
    core->UpdateControl(&a1, 0);
    core->SetDispatching(false);
    EXPECT_EQ(core->GetPendingUpdates().size(), 1u);
    core->SetDispatching(false);
    EXPECT_TRUE(core->GetPendingUpdates().empty());

    // A message above the table opens and closes an empty dispatch.
    core->SetDispatching(true);
    core->UpdateControl(&a1, 0);
    core->SetDispatching(false);
    EXPECT_TRUE(core->GetPendingUpdates().empty());
}

TEST_F(UpdateTest, APendingEntryOfADestroyedControlMovesToItsParent)
{
    VelControlCore* core = VelControlCore::Instance;
    core->SetDispatching(true);
    core->UpdateControl(&a1, 0);
    a1.Destroy();
    auto pending = core->GetPendingUpdates();
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].first, &a);
    core->SetDispatching(false);

    // A whole window destroyed inside a handler leaves nothing behind for the flush.
    RecordingControl* popup = new RecordingControl;
    popup->Create(nullptr, kVisible, VelRect(0, 0, 20, 20));
    core->SetDispatching(true);
    core->UpdateControl(popup, 1);
    delete popup;
    EXPECT_TRUE(core->GetPendingUpdates().empty());
    core->SetDispatching(false);
}

namespace {

DWORD WINAPI InvalidateFromAnotherThread(void* control)
{
    static_cast<VelAbstractControl*>(control)->InvalidateRect(VelRect());
    return 0;
}

void RunOnThread(VelAbstractControl* control)
{
    HANDLE thread = ::CreateThread(nullptr, 0, &InvalidateFromAnotherThread, control, 0, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
}

} // namespace

TEST_F(UpdateTest, AnotherThreadsInvalidationRunsOnTheOwnerThread)
{
    ::UpdateWindow(w.GetHandle());
    Pump();
    a.paints.clear();
    a.paintThreads.clear();

    RunOnThread(&a);
    Pump();  // the posted request, then the paint it causes
    ::UpdateWindow(w.GetHandle());
    ASSERT_FALSE(a.paints.empty());
    for (DWORD t : a.paintThreads)
        EXPECT_EQ(t, ::GetCurrentThreadId());

    // The control dies before its request arrives: nothing happens.
    RecordingControl* doomed = new RecordingControl;
    doomed->Create(&w, kVisible, VelRect(150, 150, 190, 190));
    ::UpdateWindow(w.GetHandle());
    RunOnThread(doomed);
    delete doomed;
    Pump();
    SUCCEED();
}
