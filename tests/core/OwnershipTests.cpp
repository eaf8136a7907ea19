#include <VelComRef.h>
#include <VelUniqueHandle.h>

#include <objidl.h>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

// Counts what its owners do to it; answers IID_IStream as a second interface.
class FakeObject : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IStream) {
            *object = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        *object = leaveInSlot;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ++releases;
        --refs;
        if (onRelease)
            onRelease();
        return refs;
    }

    ULONG refs = 1;
    int releases = 0;
    void* leaveInSlot = nullptr;
    std::function<void()> onRelease;
};

TEST(ComRef, EachOwnedReferenceIsReleasedExactlyOnce)
{
    FakeObject first, second;
    {
        VelComRef<FakeObject> owner(&first);
        EXPECT_EQ(first.refs, 1u) << "adopting adds no reference";
        EXPECT_EQ(owner.Get(), &first);
        EXPECT_EQ(owner->refs, 1u);

        VelComRef<FakeObject> moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(moved.Get(), &first);
        EXPECT_EQ(first.releases, 0);

        VelComRef<FakeObject> target(&second);
        target = std::move(moved);
        EXPECT_EQ(second.releases, 1) << "the target's old reference goes";
        EXPECT_EQ(first.releases, 0);
        EXPECT_FALSE(moved);

        VelComRef<FakeObject>& alias = target;
        target = std::move(alias);
        EXPECT_EQ(target.Get(), &first) << "moving onto itself keeps the reference";
        EXPECT_EQ(first.releases, 0);
    }
    EXPECT_EQ(first.releases, 1);
    EXPECT_EQ(second.releases, 1);
}

TEST(ComRef, ResetReceiveAndDetach)
{
    FakeObject first, second, third;
    VelComRef<FakeObject> owner(&first);
    owner.Reset(&second);
    EXPECT_EQ(first.releases, 1);
    EXPECT_EQ(owner.Get(), &second);

    FakeObject** slot = owner.Receive();
    EXPECT_EQ(second.releases, 1) << "an out parameter starts empty";
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(*slot, nullptr);
    *slot = &third;
    EXPECT_EQ(owner.Get(), &third);

    FakeObject* detached = owner.Detach();
    EXPECT_EQ(detached, &third);
    EXPECT_FALSE(owner);
    owner.Reset();
    EXPECT_EQ(third.releases, 0) << "a detached reference is the caller's";
    EXPECT_EQ(first.releases, 1);
    EXPECT_EQ(second.releases, 1);
}

TEST(ComRef, ReleaseThatReadsTheOwnerSeesTheNewPointer)
{
    FakeObject first, second;
    VelComRef<FakeObject> owner(&first);
    FakeObject* seen = &first;
    first.onRelease = [&] { seen = owner.Get(); };
    owner.Reset(&second);
    EXPECT_EQ(seen, &second);
    first.onRelease = nullptr;
}

TEST(ComRef, AsQueriesAnotherInterfaceAndOwnsWhatItGets)
{
    FakeObject object;
    VelComRef<FakeObject> owner(&object);
    {
        VelComRef<IStream> stream = owner.As<IStream>(IID_IStream);
        EXPECT_TRUE(stream);
        EXPECT_EQ(object.refs, 2u);
    }
    EXPECT_EQ(object.refs, 1u);
    EXPECT_EQ(object.releases, 1);

    // A query that fails and leaves junk in the slot hands over nothing.
    object.leaveInSlot = &object;
    VelComRef<IPersist> none = owner.As<IPersist>(IID_IPersist);
    EXPECT_FALSE(none);
    EXPECT_EQ(object.releases, 1);
    EXPECT_EQ(object.refs, 1u);

    VelComRef<FakeObject> empty;
    EXPECT_FALSE(empty.As<IStream>(IID_IStream));
}

TEST(ComRef, RetainAddsAReferenceAndReleaseAndClearLetsItGo)
{
    FakeObject object;
    {
        VelComRef<FakeObject> kept = VelComRef<FakeObject>::Retain(&object);
        EXPECT_EQ(object.refs, 2u);
    }
    EXPECT_EQ(object.refs, 1u);
    EXPECT_FALSE(VelComRef<FakeObject>::Retain(nullptr));

    FakeObject* global = &object;
    VelReleaseAndClear(global);
    EXPECT_EQ(global, nullptr);
    EXPECT_EQ(object.releases, 2);
    VelReleaseAndClear(global);
    EXPECT_EQ(object.releases, 2) << "a cleared pointer has nothing to let go";
}

// Records the handles it closes; its "none" is -1, so 0 is a handle like any.
struct RecordingTraits {
    typedef int Handle;
    static Handle Invalid() { return -1; }
    static void Close(Handle handle) { closed.push_back(handle); }
    static std::vector<int> closed;
};
std::vector<int> RecordingTraits::closed;
typedef VelUniqueHandle<RecordingTraits> RecordedHandle;

TEST(UniqueHandle, EachHandleIsClosedExactlyOnceAndNoneNever)
{
    RecordingTraits::closed.clear();
    {
        RecordedHandle none;
        EXPECT_FALSE(none.IsValid());
        RecordedHandle zero(0);
        EXPECT_TRUE(zero.IsValid()) << "only the traits' value is none";

        RecordedHandle moved(std::move(zero));
        EXPECT_FALSE(zero);
        EXPECT_EQ(moved.Get(), 0);

        RecordedHandle target(7);
        target = std::move(moved);
        EXPECT_EQ(RecordingTraits::closed, std::vector<int>({7}));

        RecordedHandle& alias = target;
        target = std::move(alias);
        EXPECT_EQ(target.Get(), 0);

        target.Reset(8);
        EXPECT_EQ(RecordingTraits::closed, std::vector<int>({7, 0}));
        int* slot = target.Receive();
        EXPECT_EQ(RecordingTraits::closed, std::vector<int>({7, 0, 8}));
        EXPECT_EQ(*slot, -1);
        *slot = 9;
        EXPECT_EQ(target.Detach(), 9);
        EXPECT_FALSE(target);
    }
    EXPECT_EQ(RecordingTraits::closed, std::vector<int>({7, 0, 8})) << "nothing more at the end of the scope";
}

TEST(UniqueHandle, PlatformTraitsCloseWhatTheyOwn)
{
    HANDLE event = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(event, nullptr);
    {
        VelKernelHandle owner(event);
        EXPECT_EQ(::WaitForSingleObject(owner.Get(), 0), WAIT_OBJECT_0);
    }
    EXPECT_EQ(::WaitForSingleObject(event, 0), WAIT_FAILED);

    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_NE(brush, nullptr);
    VelGdiObject<HBRUSH> brushOwner(brush);
    EXPECT_EQ(::GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    brushOwner.Reset();
    EXPECT_EQ(::GetObjectType(brush), 0u);

    HDC dc = ::CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    VelMemoryDC dcOwner(dc);
    EXPECT_EQ(::GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    VelMemoryDC moved(std::move(dcOwner));
    moved.Reset();
    EXPECT_EQ(::GetObjectType(dc), 0u);

    EXPECT_FALSE(VelFileHandle().IsValid());
    EXPECT_EQ(VelFileHandle().Get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(VelFindHandle().Get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(VelKernelHandle().Get(), static_cast<HANDLE>(NULL));
}

TEST(WindowDC, MovesItsDCAndReleasesItOnce)
{
    VelWindowDC screen(nullptr);
    ASSERT_TRUE(screen);
    const HDC dc = screen.Get();
    VelWindowDC moved(std::move(screen));
    EXPECT_FALSE(screen);
    EXPECT_EQ(moved.Get(), dc);
    VelWindowDC target;
    target = std::move(moved);
    EXPECT_EQ(target.Get(), dc);
    EXPECT_FALSE(moved);
    target.Reset();
    EXPECT_FALSE(target);
}

}  // namespace
