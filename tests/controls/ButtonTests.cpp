#include "ButtonTextTestKit.h"
#include "VelButton.h"

#include <gtest/gtest.h>
#include <memory>

using namespace kit;

namespace {

const int kButtonId = 7;

// Notes every button event in order.
class Listener {
public:
    struct Event {
        std::string kind;
        int buttonId;
        VelPoint point;
    };

    void Watch(VelButton& button)
    {
        button.ButtonDown += VelBind(this, &Listener::OnDown);
        button.Click += VelBind(this, &Listener::OnClick);
        button.ClickDone += VelBind(this, &Listener::OnClickDone);
    }
    std::vector<std::string> Kinds() const
    {
        std::vector<std::string> kinds;
        for (const Event& e : events)
            kinds.push_back(e.kind);
        return kinds;
    }

    std::vector<Event> events;
    VelButton* deleteOnClick = nullptr;

private:
    void Note(const char* kind, const VelButtonEventArgs* args)
    {
        events.push_back(Event{kind, args->buttonId, args->point});
    }
    void OnDown(VelObject*, const VelButtonEventArgs* args) { Note("down", args); }
    void OnClick(VelObject*, const VelButtonEventArgs* args)
    {
        Note("click", args);
        if (deleteOnClick) {
            VelButton* doomed = deleteOnClick;
            deleteOnClick = nullptr;
            delete doomed;
        }
    }
    void OnClickDone(VelObject*, const VelButtonEventArgs* args) { Note("click done", args); }
};

// A sibling that shows whether the pointer reaches it, i.e. whether the
// button still holds the capture.
class Bystander : public VelControl {
public:
    int OnMouseMove(const VelMouseEventArgs*) override
    {
        ++moves;
        return 0;
    }
    int OnMouseUp(const VelMouseEventArgs*) override
    {
        ++ups;
        return 0;
    }
    int moves = 0;
    int ups = 0;
};

// A 200 x 200 window with the button at (20, 20, 120, 60) and a bystander
// below it at (20, 100, 120, 140).
class ButtonTest : public ::testing::Test {
protected:
    ButtonTest() : themeScope(&theme), button(kButtonId, L"OK", nullptr, 2, 3, 1) {}

    void SetUp() override
    {
        window.Create(nullptr, kVisible, VelRect(0, 0, 200, 200));
        button.Create(&window, kVisible, VelRect(20, 20, 120, 60));
        bystander.Create(&window, kVisible, VelRect(20, 100, 120, 140));
        listener.Watch(button);
        Repaint(window);
    }

    void Send(UINT message, int x, int y, WPARAM keys = MK_LBUTTON)
    {
        ::SendMessageW(window.GetHandle(), message, keys, MAKELPARAM(x, y));
    }
    void Down(int x, int y) { Send(WM_LBUTTONDOWN, x, y); }
    void Move(int x, int y) { Send(WM_MOUSEMOVE, x, y); }
    void Up(int x, int y) { Send(WM_LBUTTONUP, x, y, 0); }
    // The middle of the face, clear of the rounded corners.
    COLORREF FacePixel() const { return PixelOf(window, 70, 40); }
    bool BystanderHears()
    {
        const int before = bystander.moves;
        Move(70, 120);
        return bystander.moves == before + 1;
    }

    ProbeTheme theme;
    ThemeScope themeScope;
    HostWindow window;
    VelButton button;
    Bystander bystander;
    Listener listener;
};

}  // namespace

TEST_F(ButtonTest, PressShowsAtOnceAndReleaseInsideClicks)
{
    EXPECT_EQ(FacePixel(), kFaceColour);

    Down(50, 30);
    EXPECT_EQ(button.GetState(), VelButton::kStatePressed);
    // Painted within the press itself, without waiting for the message loop.
    EXPECT_EQ(FacePixel(), kPressedFaceColour);
    ASSERT_EQ(listener.Kinds(), std::vector<std::string>{"down"});
    EXPECT_EQ(listener.events[0].buttonId, kButtonId);
    EXPECT_EQ(listener.events[0].point, VelPoint(30, 10)) << "in the button's own coordinates";

    Up(60, 45);
    EXPECT_EQ(button.GetState(), VelButton::kStateNormal);
    EXPECT_EQ(FacePixel(), kFaceColour);
    const std::vector<std::string> expected = {"down", "click", "click done"};
    ASSERT_EQ(listener.Kinds(), expected);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(listener.events[i].buttonId, kButtonId);
        EXPECT_EQ(listener.events[i].point, VelPoint(40, 25));
    }
    EXPECT_TRUE(BystanderHears()) << "the capture ends with the release";
}

TEST_F(ButtonTest, PressHoldsThePointerUntilReleasedOutsideWithoutAClick)
{
    Down(50, 30);
    // Still the button's while pressed: the bystander hears nothing of the release over it.
    Send(WM_LBUTTONUP, 70, 120, 0);
    EXPECT_EQ(bystander.ups, 0);
    EXPECT_EQ(listener.Kinds(), std::vector<std::string>{"down"});
    EXPECT_EQ(button.GetState(), VelButton::kStateNormal);
    Repaint(window);
    EXPECT_EQ(FacePixel(), kFaceColour);
    EXPECT_TRUE(BystanderHears());
}

TEST_F(ButtonTest, SlidingOutAndBackInStillClicksOnce)
{
    Down(50, 30);
    Move(150, 30);
    EXPECT_EQ(button.GetState(), VelButton::kStateNormal);
    Repaint(window);
    EXPECT_EQ(FacePixel(), kFaceColour);
    EXPECT_TRUE(BystanderHears()) << "outside, the button lets the pointer go";

    Move(60, 40);
    EXPECT_EQ(button.GetState(), VelButton::kStatePressed);
    Repaint(window);
    EXPECT_EQ(FacePixel(), kPressedFaceColour);
    EXPECT_FALSE(BystanderHears()) << "back inside, it holds the pointer again";
    EXPECT_EQ(button.GetState(), VelButton::kStateNormal) << "the move over the bystander still reached the button";

    Move(60, 40);
    Up(60, 40);
    const std::vector<std::string> expected = {"down", "click", "click done"};
    EXPECT_EQ(listener.Kinds(), expected);
}

TEST_F(ButtonTest, AQuickSecondTapClicksAgain)
{
    Down(50, 30);
    Up(50, 30);
    Send(WM_LBUTTONDBLCLK, 50, 30);
    EXPECT_EQ(button.GetState(), VelButton::kStatePressed);
    Up(50, 30);
    const std::vector<std::string> expected = {"down", "click", "click done", "down", "click", "click done"};
    EXPECT_EQ(listener.Kinds(), expected);
}

TEST_F(ButtonTest, IgnoredStateTakesNoInputAndLooksDisabled)
{
    button.SetState(VelButton::kStateInputIgnored);
    Repaint(window);
    EXPECT_EQ(FacePixel(), kDisabledFaceColour);

    Down(50, 30);
    EXPECT_TRUE(BystanderHears()) << "no capture";
    Move(60, 40);
    Up(60, 40);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(button.GetState(), VelButton::kStateInputIgnored);

    // Back to normal, the same gestures work.
    button.SetState(VelButton::kStateNormal);
    Down(50, 30);
    Up(50, 30);
    EXPECT_EQ(listener.Kinds().size(), 3u);
}

// A finger pressed elsewhere and lifted over the button never clicks it: on
// a keypad that would type a key the user did not press.
TEST_F(ButtonTest, OnlyAPressThatBeganOnTheButtonClicksIt)
{
    VelButton neighbour(9, L"N", nullptr, 0, 0, 0);
    neighbour.Create(&window, kVisible, VelRect(130, 20, 190, 60));
    Listener neighbourListener;
    neighbourListener.Watch(neighbour);

    // From the neighbour onto the button, released there.
    Down(160, 40);
    Move(70, 40);
    EXPECT_EQ(button.GetState(), VelButton::kStateNormal);
    Up(70, 40);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(neighbourListener.Kinds(), std::vector<std::string>{"down"});

    // A pointer passing over with no button held (a mouse hovering) presses nothing.
    Send(WM_MOUSEMOVE, 70, 40, 0);
    EXPECT_EQ(button.GetState(), VelButton::kStateNormal);
    EXPECT_TRUE(BystanderHears());

    // A press that slid off and was lifted elsewhere is over: the button does
    // not take it up again when the pointer comes back without a press.
    Down(50, 30);
    Move(150, 90);
    Up(150, 90);
    Send(WM_MOUSEMOVE, 50, 30, 0);
    Up(50, 30);
    EXPECT_EQ(button.GetState(), VelButton::kStateNormal);
    EXPECT_EQ(listener.Kinds(), std::vector<std::string>{"down"});
    EXPECT_TRUE(BystanderHears());
}

TEST_F(ButtonTest, AClickHandlerMayDeleteTheButton)
{
    VelButton* doomed = new VelButton(3, L"X", nullptr, 0, 0, 0);
    doomed->Create(&window, kVisible, VelRect(130, 20, 190, 60));
    Listener doomedListener;
    doomedListener.Watch(*doomed);
    doomedListener.deleteOnClick = doomed;

    Down(160, 40);
    Up(160, 40);
    const std::vector<std::string> expected = {"down", "click"};
    EXPECT_EQ(doomedListener.Kinds(), expected);
    EXPECT_TRUE(BystanderHears()) << "the capture did not outlive the button";
    Repaint(window);
    EXPECT_EQ(PixelOf(window, 160, 40), kHostColour);
}

TEST_F(ButtonTest, PaintPartsRunInOrderAndATransparentButtonSkipsTheBackground)
{
    button.SetText(L"Call");
    EXPECT_EQ(button.GetText(), L"Call");
    theme.calls.clear();
    Repaint(window);
    const std::vector<std::string> all = {"button background", "button face", "button content", "button overlay"};
    EXPECT_EQ(theme.Parts(), all);
    for (const ProbeTheme::Call& c : theme.calls) {
        EXPECT_EQ(c.control, &button);
        EXPECT_EQ(c.state, VelButton::kStateNormal);
    }
    EXPECT_EQ(theme.Last("button content")->text, L"Call");
    // The rounded corner shows the theme's button background.
    EXPECT_EQ(PixelOf(window, 20, 20), kBackgroundColour);

    button.SetTransparent(true);
    button.SetState(1);
    theme.calls.clear();
    Repaint(window);
    const std::vector<std::string> withoutBackground = {"button face", "button content", "button overlay"};
    EXPECT_EQ(theme.Parts(), withoutBackground);
    EXPECT_EQ(theme.calls[0].state, 1);
    EXPECT_EQ(PixelOf(window, 20, 20), kHostColour) << "the window shows through the corner";
}

TEST_F(ButtonTest, SettersRepaint)
{
    struct Case {
        const char* what;
        void (*change)(VelButton&);
    };
    const Case cases[] = {
        {"caption", [](VelButton& b) { b.SetText(L"new"); }}, {"data", [](VelButton& b) { b.SetData(11); }},
        {"data2", [](VelButton& b) { b.SetData2(12); }},      {"data3", [](VelButton& b) { b.SetData3(13); }},
        {"state", [](VelButton& b) { b.SetState(0); }},       {"image", [](VelButton& b) { b.SetImage(nullptr); }},
    };
    for (const Case& c : cases) {
        Repaint(window);
        theme.calls.clear();
        c.change(button);
        Repaint(window);
        EXPECT_NE(theme.Last("button face"), nullptr) << c.what;
    }
    EXPECT_EQ(button.GetData(), 11u);
    EXPECT_EQ(button.GetData2(), 12u);
    EXPECT_EQ(button.GetData3(), 13u);
}

TEST(ButtonAutoSize, TakesTheImageSizeAtCreationOrAtOnce)
{
    ProbeTheme theme;
    ThemeScope scope(&theme);
    VelBitmap image = SolidBitmap(48, 32, RGB(255, 0, 0));
    VelBitmap other = SolidBitmap(20, 24, RGB(0, 0, 255));
    HostWindow window;
    window.Create(nullptr, kVisible, VelRect(0, 0, 240, 240));

    struct Case {
        const char* what;
        bool autoSizeBeforeCreate;
        void (*after)(VelButton&, VelBitmap&);
        VelRect bounds;
    };
    const Case cases[] = {
        {"on at creation", true, nullptr, VelRect(10, 10, 58, 42)},
        {"off", false, nullptr, VelRect(10, 10, 200, 200)},
        {"switched on once created", false, [](VelButton& b, VelBitmap&) { b.SetAutoSize(true); },
         VelRect(10, 10, 58, 42)},
        {"new image while on", true, [](VelButton& b, VelBitmap& o) { b.SetImage(&o); }, VelRect(10, 10, 30, 34)},
        {"new image while off", false, [](VelButton& b, VelBitmap& o) { b.SetImage(&o); }, VelRect(10, 10, 200, 200)},
    };
    for (const Case& c : cases) {
        VelButton button(1, L"", &image, 0, 0, 0);
        button.SetAutoSize(c.autoSizeBeforeCreate);
        button.Create(&window, kVisible, VelRect(10, 10, 200, 200));
        if (c.after)
            c.after(button, other);
        EXPECT_EQ(button.GetBounds(), c.bounds) << c.what;
    }

    VelButton noImage(1, L"", nullptr, 0, 0, 0);
    noImage.SetAutoSize(true);
    noImage.Create(&window, kVisible, VelRect(10, 10, 200, 200));
    EXPECT_EQ(noImage.GetBounds(), VelRect(10, 10, 200, 200));
}

TEST(ButtonDefaults, TheShortConstructorLeavesEverythingEmpty)
{
    VelButton button;
    EXPECT_STREQ(button.GetClassName(), L"VelButton");
    EXPECT_EQ(button.GetButtonId(), 0);
    EXPECT_EQ(button.GetText(), L"");
    EXPECT_EQ(button.GetImage(), nullptr);
    EXPECT_EQ(button.GetState(), 0);
    EXPECT_FALSE(button.GetAutoSize());
    EXPECT_EQ(button.GetData() + button.GetData2() + button.GetData3(), 0u);

    VelButton full(5, L"Text", nullptr, 2, 3, 1);
    EXPECT_EQ(full.GetData(), 1u);
    EXPECT_EQ(full.GetData2(), 2u);
    EXPECT_EQ(full.GetData3(), 3u);
    full.SetButtonId(8);
    EXPECT_EQ(full.GetButtonId(), 8);
}
