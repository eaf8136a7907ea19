#include <gtest/gtest.h>

#include "VelObject.h"
#include "VelTabPage.h"

#include <string>
#include <vector>

namespace {

// A page with a caption and no images.
class CaptionPage : public VelTabPage {
public:
    explicit CaptionPage(int id) : VelTabPage(id) {}
    const std::wstring& GetCaption() const override { return m_caption; }
    void SetCaption(const std::wstring& caption) override { m_caption = caption; }
    VelBitmap* GetImage() const override { return nullptr; }
    void SetImage(VelBitmap*) override {}
    VelBitmap* GetSelectedImage() const override { return nullptr; }
    void SetSelectedImage(VelBitmap*) override {}
    VelBitmap* GetHighlightedImage() const override { return nullptr; }
    void SetHighlightedImage(VelBitmap*) override {}

private:
    std::wstring m_caption;
};

// A page as the views make one: an object with the page as its second base.
class ProbePage : public VelObject, public CaptionPage {
public:
    explicit ProbePage(int id) : CaptionPage(id) { Changed += VelBind(this, &ProbePage::OnChanged); }

    void SetTag(VelTabBar* tag, const RECT& rect) override
    {
        tagRects.push_back(rect);
        VelTabPage::SetTag(tag, rect);
    }

    void OnChanged(VelObject* sender, const VelObjectChangeEventArgs* args)
    {
        senders.push_back(sender);
        EXPECT_EQ(args->object, sender);
        values.push_back(GetValue());
    }

    std::vector<VelObject*> senders;
    std::vector<int> values;
    std::vector<RECT> tagRects;
};

TEST(TabPageTest, APageStartsInactiveWithoutTagOrValue)
{
    ProbePage page(3);
    EXPECT_EQ(page.GetPageId(), 3);
    EXPECT_FALSE(page.IsActive());
    EXPECT_EQ(page.GetTag(), nullptr);
    EXPECT_EQ(page.GetValue(), 0);
    EXPECT_TRUE(page.CanActivate());
    page.SetActive(true);
    EXPECT_TRUE(page.IsActive());
    EXPECT_TRUE(page.senders.empty()) << "activation is no page change";
}

TEST(TabPageTest, EverySetValueReportsThePage)
{
    ProbePage page(1);
    for (int value : {4, 4, 0})
        page.SetValue(value);
    EXPECT_EQ(page.values, (std::vector<int>{4, 4, 0}));
    ASSERT_EQ(page.senders.size(), 3u);
    VelObject* object = &page;
    EXPECT_EQ(page.senders[0], object);
    EXPECT_EQ(dynamic_cast<VelTabPage*>(page.senders[0]), static_cast<VelTabPage*>(&page))
        << "a tab bar finds the page again from the sender";
}

TEST(TabPageTest, TheTagIsStoredSilently)
{
    ProbePage page(0);
    // Never dereferenced: only stored and handed back.
    VelTabBar* bar = reinterpret_cast<VelTabBar*>(&page);
    const RECT rect = {0, 30, 240, 290};
    page.ApplyTag(bar, rect);
    EXPECT_EQ(page.GetTag(), bar);
    ASSERT_EQ(page.tagRects.size(), 1u) << "ApplyTag hands both arguments to SetTag";
    EXPECT_TRUE(EqualRect(&page.tagRects[0], &rect));
    page.SetTag(nullptr, RECT{});
    EXPECT_EQ(page.GetTag(), nullptr);
    EXPECT_TRUE(page.senders.empty());
}

TEST(TabPageTest, APageKeepsItsCaptionAndImagesAndReportsEveryNewCaption)
{
    // Never dereferenced: only stored and handed back.
    VelBitmap* const images[] = {reinterpret_cast<VelBitmap*>(0x10), reinterpret_cast<VelBitmap*>(0x20),
                                 reinterpret_cast<VelBitmap*>(0x30)};
    class Kept : public VelObject, public VelTabPage {
    public:
        Kept(VelBitmap* const* images) : VelTabPage(4, L"Calls", images[0], images[1], images[2])
        {
            Changed += VelBind(this, &Kept::OnChanged);
        }
        void OnChanged(VelObject* sender, const VelObjectChangeEventArgs*)
        {
            EXPECT_EQ(sender, static_cast<VelObject*>(this));
            captions.push_back(GetCaption());
        }
        std::vector<std::wstring> captions;
    } page(images);
    EXPECT_EQ(page.GetCaption(), L"Calls");
    EXPECT_EQ(page.GetImage(), images[0]);
    EXPECT_EQ(page.GetSelectedImage(), images[1]);
    EXPECT_EQ(page.GetHighlightedImage(), images[2]);

    page.SetImage(images[2]);
    page.SetSelectedImage(images[0]);
    page.SetHighlightedImage(nullptr);
    EXPECT_TRUE(page.captions.empty()) << "images change silently";
    EXPECT_EQ(page.GetImage(), images[2]);
    EXPECT_EQ(page.GetSelectedImage(), images[0]);
    EXPECT_EQ(page.GetHighlightedImage(), nullptr);

    for (const wchar_t* caption : {L"Calls(2)", L"Calls(2)", L""})
        page.SetCaption(caption);
    EXPECT_EQ(page.captions, (std::vector<std::wstring>{L"Calls(2)", L"Calls(2)", L""}))
        << "each one raised, and stored before";
}

TEST(TabPageTest, APageThatIsNoObjectReportsNull)
{
    class Bare : public CaptionPage {
    public:
        Bare() : CaptionPage(9) { Changed += VelBind(this, &Bare::OnChanged); }
        void OnChanged(VelObject* sender, const VelObjectChangeEventArgs* args)
        {
            ++raised;
            EXPECT_EQ(sender, nullptr);
            EXPECT_EQ(args->object, nullptr);
        }
        int raised = 0;
    };
    Bare page;
    page.RaiseChanged();
    EXPECT_EQ(page.raised, 1);
}

}  // namespace
