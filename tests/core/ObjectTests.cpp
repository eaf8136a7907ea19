#include <VelObject.h>
#include <VelScopedLock.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// The first object of this process, made before any test and before the
// default-priority static initialisers.
struct FirstProbe {
    FirstProbe()
    {
        VelObject probe;
        id = probe.GetId();
    }
    int id;
};
__attribute__((init_priority(101))) FirstProbe s_firstProbe;

TEST(ObjectIds, FirstIdOfTheProcessIs100)
{
    if (s_firstProbe.id == 100)
        return;
    // A toolkit singleton built even earlier took the first ids and lives on.
    EXPECT_GT(s_firstProbe.id, 100);
    EXPECT_NE(VelObject::FindById(100), nullptr);
    for (int id = 0; id < 100; ++id)
        EXPECT_EQ(VelObject::FindById(id), nullptr) << id;
}

TEST(ObjectIds, IdsIncreaseByOneAndAreNeverReused)
{
    VelObject* first = new VelObject;
    const int firstId = first->GetId();
    VelObject second;
    EXPECT_EQ(second.GetId(), firstId + 1);
    EXPECT_EQ(VelObject::FindById(firstId), first);
    delete first;
    EXPECT_EQ(VelObject::FindById(firstId), nullptr);
    VelObject third;
    EXPECT_EQ(third.GetId(), firstId + 2);
}

TEST(ObjectIds, ObjectsMadeOnTwoThreadsAtOnceGetDistinctIds)
{
    const int perThread = 2000;
    std::vector<int> ids[2];
    auto make = [perThread](std::vector<int>* out) {
        for (int i = 0; i < perThread; ++i) {
            VelObject object;
            out->push_back(object.GetId());
        }
    };
    std::thread one(make, &ids[0]);
    std::thread two(make, &ids[1]);
    one.join();
    two.join();
    std::set<int> all(ids[0].begin(), ids[0].end());
    all.insert(ids[1].begin(), ids[1].end());
    EXPECT_EQ(all.size(), 2u * perThread);
}

// Records every Destroying of the tree it watches, with what was still alive.
class TreeWatch {
public:
    void Watch(VelObject* object) { object->Destroying += VelBind(this, &TreeWatch::OnDestroying); }
    void OnDestroying(VelObject* sender, const VelObjectDestroyEventArgs* args)
    {
        order.push_back(sender->GetName());
        ownerRegistered.push_back(VelObject::FindById(rootId) != nullptr);
        childrenAlive.push_back(0);
        for (int id : ids)
            childrenAlive.back() += VelObject::FindById(id) != nullptr;
    }
    int rootId = 0;
    std::vector<int> ids;
    std::vector<std::string> order;
    std::vector<bool> ownerRegistered;
    std::vector<int> childrenAlive;
};

TEST(ObjectTree, DeletingAnOwnerDeletesItsSubtreeParentsFirstAndUnregistersLast)
{
    TreeWatch watch;
    VelObject* root = new VelObject(nullptr, "root");
    VelObject* child = new VelObject(root, "child");
    VelObject* grandchild = new VelObject(child, "grandchild");
    watch.rootId = root->GetId();
    watch.ids = {child->GetId(), grandchild->GetId()};
    for (VelObject* object : {root, child, grandchild})
        watch.Watch(object);

    delete root;
    EXPECT_EQ(watch.order, (std::vector<std::string>{"root", "child", "grandchild"}));
    // The root stays registered until all of its subtree is gone.
    EXPECT_EQ(watch.ownerRegistered, (std::vector<bool>{true, true, true}));
    // Each object's Destroying fires while it and its own children are still alive.
    EXPECT_EQ(watch.childrenAlive, (std::vector<int>{2, 2, 2}));
    EXPECT_EQ(VelObject::FindById(watch.rootId), nullptr);
    EXPECT_EQ(VelObject::FindById(watch.ids[1]), nullptr);
}

TEST(ObjectTree, SiblingsAreDeletedLowestAddressFirst)
{
    TreeWatch watch;
    VelObject* root = new VelObject(nullptr, "root");
    std::vector<VelObject*> children;
    for (int i = 0; i < 5; ++i) {
        children.push_back(new VelObject(root, std::to_string(i)));
        watch.Watch(children.back());
    }
    std::vector<VelObject*> byAddress(children);
    std::sort(byAddress.begin(), byAddress.end());
    std::vector<std::string> expected;
    for (VelObject* child : byAddress)
        expected.push_back(child->GetName());
    delete root;
    EXPECT_EQ(watch.order, expected);
}

// Counts the ChildAdded and ChildRemoved events of an owner.
struct ChildEvents {
    void Added(VelObject*, const VelObjectEventArgs* args) { added.push_back(args->child); }
    void Removed(VelObject*, const VelObjectEventArgs* args) { removed.push_back(args->child); }
    void Watch(VelObject* owner)
    {
        owner->ChildAdded += VelBind(this, &ChildEvents::Added);
        owner->ChildRemoved += VelBind(this, &ChildEvents::Removed);
    }
    std::vector<VelObject*> added;
    std::vector<VelObject*> removed;
};

TEST(ObjectTree, RemoveChildRaisesOnlyForAChildThatWasThere)
{
    VelObject owner;
    ChildEvents events;
    events.Watch(&owner);
    VelObject* child = new VelObject(&owner, "child");
    VelObject stranger;
    EXPECT_EQ(events.added, std::vector<VelObject*>{child});
    EXPECT_EQ(child->GetOwner(), &owner);

    owner.RemoveChild(&stranger);
    EXPECT_TRUE(events.removed.empty());
    owner.RemoveChild(child);
    owner.RemoveChild(child);
    EXPECT_EQ(events.removed, std::vector<VelObject*>{child});
    delete child;  // no longer owned: the owner must not hear of it
    EXPECT_EQ(events.removed.size(), 1u);
}

TEST(ObjectTree, RemovedChildMayOutliveItsFormerOwner)
{
    VelObject* owner = new VelObject;
    VelObject* child = new VelObject(owner);
    owner->RemoveChild(child);
    delete owner;
    EXPECT_NE(VelObject::FindById(child->GetId()), nullptr);
    delete child;  // would call back into the deleted owner if still subscribed
}

TEST(ObjectTree, AddingAnOwnedChildToAnotherOwnerMovesIt)
{
    VelObject* first = new VelObject;
    VelObject* second = new VelObject;
    ChildEvents events;
    events.Watch(first);
    VelObject* child = new VelObject(first);
    second->AddChild(child);
    EXPECT_EQ(child->GetOwner(), second);
    EXPECT_EQ(events.removed, std::vector<VelObject*>{child});
    const int childId = child->GetId();
    delete first;
    EXPECT_NE(VelObject::FindById(childId), nullptr);
    delete second;
    EXPECT_EQ(VelObject::FindById(childId), nullptr);
}

TEST(ObjectTree, ObjectWithoutOwnerIsRegisteredButOwnedByNobody)
{
    VelObject object(nullptr, "free");
    EXPECT_EQ(object.GetOwner(), nullptr);
    EXPECT_EQ(VelObject::FindById(object.GetId()), &object);
    EXPECT_EQ(object.GetName(), "free");
    object.SetName("renamed");
    EXPECT_EQ(object.GetName(), "renamed");
}

struct MessageLog {
    void Timer(VelObject* sender, const VelTimerEventArgs* args) { timers.push_back(args->timerId); }
    void Message(VelObject* sender, const VelUserMessageEventArgs* args) { codes.push_back(args->code); }
    std::vector<UINT> timers;
    std::vector<int> codes;
};

TEST(ObjectEvents, TimerAndUserMessageRaiseTheirEventsAndReportHandled)
{
    VelObject object;
    MessageLog log;
    object.TimerElapsed += VelBind(&log, &MessageLog::Timer);
    object.UserMessage += VelBind(&log, &MessageLog::Message);
    VelTimerEventArgs timer(5555);
    VelUserMessageEventArgs message = {42, 0};
    EXPECT_EQ(object.OnTimer(&timer), 0);
    EXPECT_EQ(object.OnUserMessage(&message), 0);
    EXPECT_EQ(log.timers, std::vector<UINT>{5555});
    EXPECT_EQ(log.codes, std::vector<int>{42});
}

TEST(ObjectEvents, CopySharesCallbacksWithoutTouchingTheSource)
{
    VelObject owner;
    VelObject* source = new VelObject(&owner, "source");
    MessageLog log;
    source->TimerElapsed += VelBind(&log, &MessageLog::Timer);
    {
        VelObject copy(*source);
        EXPECT_NE(copy.GetId(), source->GetId());
        EXPECT_EQ(copy.GetName(), "source");
        EXPECT_EQ(copy.GetOwner(), &owner);
        VelTimerEventArgs timer(1);
        copy.OnTimer(&timer);
        EXPECT_EQ(log.timers, std::vector<UINT>{1});
    }
    EXPECT_EQ(VelObject::FindById(source->GetId()), source);
    ChildEvents events;
    events.Watch(&owner);
    delete source;
    EXPECT_EQ(events.removed, std::vector<VelObject*>{source});
}

TEST(ObjectNames, ClassNameAndDescription)
{
    VelObject object;
    EXPECT_STREQ(object.GetClassName(), L"VelObject");
    EXPECT_EQ(object.Describe(), L"\t Control: Id " + std::to_wstring(object.GetId()) + L" class name VelObject");
    EXPECT_FALSE(object.GetTypeName().empty());
}

TEST(Locks, ScopedLockIsReentrantAndExcludesOtherThreads)
{
    VelCriticalSection section;
    bool entered = false;
    std::thread other;
    {
        VelScopedLock outer(&section);
        VelScopedLock inner(&section);  // same thread: does not block
        other = std::thread([&] {
            VelScopedLock lock(&section);
            entered = true;
        });
        ::Sleep(50);
        EXPECT_FALSE(entered);
    }
    other.join();
    EXPECT_TRUE(entered);
}

}  // namespace

// The registry grows, shrinks and moves its entries as objects come and go;
// every live object must stay findable by its id and no dead one may be found.
TEST(ObjectIds, FindByIdHoldsThroughManyObjectsMadeAndDestroyed)
{
    std::vector<VelObject*> objects;
    std::vector<int> ids;
    for (int i = 0; i < 6000; ++i) {
        objects.push_back(new VelObject);
        ids.push_back(objects.back()->GetId());
    }
    // Every third one first, then all but a few, out of order.
    auto check = [&](const char* stage) {
        for (size_t i = 0; i < objects.size(); ++i)
            ASSERT_EQ(VelObject::FindById(ids[i]), objects[i]) << stage << " " << i;
    };
    for (size_t i = 0; i < objects.size(); i += 3) {
        delete objects[i];
        objects[i] = nullptr;
    }
    check("after every third");
    for (size_t i = objects.size(); i-- > 0;) {
        if (objects[i] && i % 997 != 1) {
            delete objects[i];
            objects[i] = nullptr;
        }
    }
    check("after nearly all");
    VelObject later;
    EXPECT_GT(later.GetId(), ids.back());
    EXPECT_EQ(VelObject::FindById(later.GetId()), &later);
    for (VelObject*& object : objects) {
        delete object;
        object = nullptr;
    }
    check("after all");
    EXPECT_EQ(VelObject::FindById(later.GetId()), &later);
}

TEST(ObjectNames, NameGivenChangedAndEmptied)
{
    VelObject unnamed;
    EXPECT_EQ(unnamed.GetName(), "");
    VelObject named(nullptr, "list");
    EXPECT_EQ(named.GetName(), "list");
    named.SetName("");
    EXPECT_EQ(named.GetName(), "");
    unnamed.SetName("row");
    EXPECT_EQ(unnamed.GetName(), "row");
    VelObject copy(unnamed);
    unnamed.SetName("other");
    EXPECT_EQ(copy.GetName(), "row");
}
