#include "VelControl.h"
#include "VelControlPaintInfo.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// A tree built without native windows: R holds A (bottom) and B (top); A holds A1.
class PaintIteratorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (VelControl* c : {&r, &a, &a1, &b})
            c->SetVisible(true);
        Adopt(&r, &a);
        Adopt(&a, &a1);
        Adopt(&r, &b);
        names = {{&r, "R"}, {&a, "A"}, {&a1, "A1"}, {&b, "B"}};
    }
    static void Adopt(VelControl* parent, VelControl* child) { child->SetParent(parent); }
    std::string Forward(bool visibleOnly)
    {
        std::string walk;
        VelControlPaintInfo info(&r, visibleOnly);
        for (auto it = info.begin(); it != info.end(); ++it)
            walk += names[*it] + " ";
        return walk;
    }
    std::string Reverse(bool visibleOnly)
    {
        std::string walk;
        VelControlPaintInfo info(&r, visibleOnly);
        for (auto it = info.rbegin(); it != info.rend(); ++it)
            walk += names[*it] + " ";
        return walk;
    }

    VelControl r, a, a1, b;
    std::map<const VelAbstractControl*, std::string> names;
};

}  // namespace

TEST_F(PaintIteratorTest, WalksFrontToBackAndBackToFront)
{
    EXPECT_EQ(Forward(true), "B A1 A R ");
    EXPECT_EQ(Reverse(true), "R A A1 B ");
}

TEST_F(PaintIteratorTest, InvisibleSubtreesAreSkippedOnlyWhenAsked)
{
    a.SetVisible(false);
    EXPECT_EQ(Forward(true), "B R ");
    EXPECT_EQ(Reverse(true), "R B ");
    EXPECT_EQ(Forward(false), "B A1 A R ");
    r.SetVisible(false);
    EXPECT_EQ(Forward(true), "");
    EXPECT_EQ(Reverse(true), "R B ");  // the root itself is not tested in the reverse walk
}

TEST(PaintIterator, ALoneRootIsAOneElementWalk)
{
    VelControl root;
    VelControlPaintInfo info(&root, false);
    auto f = info.begin();
    EXPECT_EQ(*f, &root);
    EXPECT_TRUE(++f == info.end());
    auto b = info.rbegin();
    EXPECT_EQ(*b, &root);
    EXPECT_TRUE(++b == info.rend());
}

TEST_F(PaintIteratorTest, TracksTheCanvasOfTheNearestOwnerAndItsComposites)
{
    // Canvases are only compared here, never drawn on.
    VelCanvas* rootCanvas = reinterpret_cast<VelCanvas*>(0x1000);
    VelCanvas* childCanvas = reinterpret_cast<VelCanvas*>(0x2000);
    r.SetCanvas(rootCanvas);
    a.SetCanvas(childCanvas);
    std::string walk;
    VelControlPaintInfo info(&r, true);
    for (auto it = info.rbegin(); it != info.rend();) {
        walk += names[*it] + (it.GetCanvas().canvas == childCanvas ? ":a " : ":r ");
        ++it;
        for (const VelCompositeRecord& c : it.GetComposites())
            walk +=
                std::string("[") + names[c.childHolder] + ">" + (c.parentHolder ? names[c.parentHolder] : "-") + "] ";
        it.ClearComposites();
    }
    EXPECT_EQ(walk, "R:r A:a A1:a [A>R] B:r [R>-] ");
    r.SetCanvas(nullptr);
    a.SetCanvas(nullptr);
}
