#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "VelBaseWindowLess.h"
#include "VelBitmap.h"
#include "VelButtonWindowLess.h"
#include "VelControlCore.h"
#include "VelKlTheme.h"
#include "VelProgressWindowLess.h"
#include "TestPumps.h"
#include "VelStaticWindowLess.h"
#include "ViewTestSupport.h"

namespace {

const COLORREF kGround = RGB(0, 0, 0);
const COLORREF kThumb = RGB(84, 102, 130);
const COLORREF kTrack = RGB(214, 217, 220);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const DWORD kVisible = kVelStyleVisible;
// How the views create their parts' siblings: clipped, visible, transparent.
const DWORD kViewChildStyle = 56;

// Makes the theme current for the scope of a test.
class ThemeScope {
public:
    explicit ThemeScope(VelTheme* theme) : m_previous(CurrentTheme) { CurrentTheme = theme; }
    ~ThemeScope() { CurrentTheme = m_previous; }
    ThemeScope(const ThemeScope&) = delete;
    ThemeScope& operator=(const ThemeScope&) = delete;

private:
    VelTheme* m_previous;
};

void Repaint(VelAbstractControl& window)
{
    Pump();
    ::UpdateWindow(window.GetHandle());
}

// What a window shows, copied once and read pixel by pixel.
class Snapshot {
public:
    explicit Snapshot(const VelAbstractControl& window)
    {
        RECT client;
        ::GetClientRect(window.GetHandle(), &client);
        HDC source = ::GetDC(window.GetHandle());
        m_dc = ::CreateCompatibleDC(source);
        m_bitmap = ::CreateCompatibleBitmap(source, client.right, client.bottom);
        m_old = ::SelectObject(m_dc, m_bitmap);
        ::BitBlt(m_dc, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
        ::ReleaseDC(window.GetHandle(), source);
    }
    ~Snapshot()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    COLORREF At(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    VelRect Lit(const RECT& area) const { return LitBounds(m_dc, area, kGround); }
    // Whether every pixel of the area has that colour.
    bool AllOf(const RECT& area, COLORREF colour) const
    {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (At(x, y) != colour)
                    return false;
        return true;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

// A top-level window painted in the ground colour.
class GroundWindow : public VelControl {
public:
    int OnPaint(const VelPaintEventArgs* args) override
    {
        args->canvas->SetBackColor(VelColor::FromColorRef(kGround));
        args->canvas->FillRect(GetClientRect());
        return VelControl::OnPaint(args);
    }
};

// A control that paints its windowless parts after its own ground, as the
// list view does with its progress bar, and notes the areas it repainted.
class PartHost : public VelControl {
public:
    int OnPaint(const VelPaintEventArgs* args) override
    {
        paints.push_back(args->area);
        args->canvas->SetBackColor(VelColor::FromColorRef(kGround));
        args->canvas->FillRect(GetClientRect());
        for (VelBaseWindowLess* part : parts)
            part->Paint(args->canvas, args->area);
        return VelControl::OnPaint(args);
    }

    std::vector<VelBaseWindowLess*> parts;
    std::vector<RECT> paints;
};

// A 240 x 160 window holding a host at (10, 20, 230, 140); the host's parts
// show at their own rectangles offset by the host's top-left.
class HostedTest : public ::testing::Test {
protected:
    HostedTest() : themeScope(&theme) {}

    void SetUp() override
    {
        window.Create(nullptr, kVisible, VelRect(0, 0, 240, 160));
        host.Create(&window, kVisible, VelRect(kHostX, kHostY, 230, 140));
        Repaint(window);
    }
    // Repaints what is invalid and tells how many times the host painted.
    size_t RepaintCount()
    {
        const size_t before = host.paints.size();
        Repaint(window);
        return host.paints.size() - before;
    }
    // A rectangle of the host in the window's coordinates.
    static VelRect InWindow(const RECT& r)
    {
        return VelRect(r.left + kHostX, r.top + kHostY, r.right + kHostX, r.bottom + kHostY);
    }

    static const int kHostX = 10;
    static const int kHostY = 20;
    VelKlTheme theme;
    ThemeScope themeScope;
    GroundWindow window;
    PartHost host;
};

// ---------------------------------------------------------------------------
// VelBaseWindowLess

TEST(BaseWindowLess, StartsVisibleWithAnEmptyRectangleAndHitsOnlyInsideIt)
{
    PartHost host;
    VelBaseWindowLess part(&host, 7, nullptr, "part");
    EXPECT_TRUE(part.IsVisible());
    EXPECT_EQ(part.GetHost(), &host);
    EXPECT_EQ(VelRect(part.GetRect()), VelRect());
    EXPECT_FALSE(part.HitTest(VelPoint(0, 0))) << "an empty part is hit nowhere";
    EXPECT_STREQ(part.GetClassName(), L"VelBaseWindowLess");

    part.SetRect(VelRect(10, 20, 50, 40));
    struct Case {
        VelPoint point;
        bool hit;
    };
    const Case cases[] = {
        {VelPoint(10, 20), true},  {VelPoint(49, 39), true}, {VelPoint(30, 30), true},  {VelPoint(50, 30), false},
        {VelPoint(30, 40), false}, {VelPoint(9, 30), false}, {VelPoint(30, 19), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(part.HitTest(c.point), c.hit) << c.point.x << "," << c.point.y;

    part.Hide();
    EXPECT_FALSE(part.IsVisible());
    part.Show();
    EXPECT_TRUE(part.IsVisible());
    PartHost other;
    part.SetHost(&other);
    EXPECT_EQ(part.GetHost(), &other);
}

// The host's id for its part must not take the place of the object id that
// the registry finds the object by.
TEST(BaseWindowLess, ThePartIdLeavesTheObjectIdAlone)
{
    VelBaseWindowLess part(nullptr, 7);
    VelObject& object = part;
    const int objectId = object.GetId();
    EXPECT_EQ(part.GetId(), 7);
    part.SetId(9);
    EXPECT_EQ(part.GetId(), 9);
    EXPECT_EQ(object.GetId(), objectId);
    EXPECT_EQ(VelObject::FindById(objectId), &object);
}

// Hiding, showing or changing a part that has no place yet must not repaint
// the whole host: to the core an empty area means everything.
TEST_F(HostedTest, APartWithoutARectangleRepaintsNothing)
{
    VelStaticWindowLess label(&host, 1, L"", nullptr);
    host.parts.push_back(&label);
    label.Hide();
    label.Show();
    label.SetText(L"Later");
    EXPECT_EQ(RepaintCount(), 0u);
    EXPECT_EQ(VelRect(label.GetRect()), VelRect()) << "it waits for its host to place it";

    label.SetRect(VelRect(0, 0, 100, 30));
    label.Hide();
    EXPECT_EQ(RepaintCount(), 1u);
    EXPECT_EQ(VelRect(host.paints.back()), VelRect(0, 0, 100, 30)) << "only the part's own rectangle";
}

// ---------------------------------------------------------------------------
// VelProgressWindowLess

// Set up as the list view does: range 100, hidden, auto-hide, a thin bar
// 100 pixels wide across the host's top.
class ProgressTest : public HostedTest {
protected:
    ProgressTest() : bar(&host, 0, 100, nullptr, "progress") {}

    void SetUp() override
    {
        HostedTest::SetUp();
        host.parts.push_back(&bar);
        bar.Hide();
        bar.SetAutoHide(true);
        bar.SetRect(kBar);
        Repaint(window);
    }
    // Columns of the bar in the window, from the bar's own left edge.
    VelRect Columns(int from, int to) const
    {
        return InWindow(VelRect(kBar.left + from, kBar.top, kBar.left + to, kBar.bottom));
    }
    // The bar shows `fill` columns of thumb and the rest as track.
    void ExpectFill(int fill)
    {
        Snapshot shot(window);
        EXPECT_TRUE(shot.AllOf(Columns(0, fill), kThumb)) << "fill " << fill;
        EXPECT_TRUE(shot.AllOf(Columns(fill, 100), kTrack)) << "fill " << fill;
    }
    void ExpectHidden()
    {
        Snapshot shot(window);
        EXPECT_TRUE(shot.AllOf(Columns(0, 100), kGround));
    }
    // Steps the position up to `last` one row at a time through the
    // interface a loader holds; tells how many steps repainted.
    size_t StepTo(int last)
    {
        VelProgress& progress = bar;
        size_t repaints = 0;
        for (int p = progress.GetPosition() + 1; p <= last; ++p) {
            progress.SetPosition(progress.GetPosition() + 1);
            repaints += RepaintCount();
        }
        return repaints;
    }

    const VelRect kBar = VelRect(0, 0, 100, 3);
    VelProgressWindowLess bar;
};

TEST_F(ProgressTest, ALoadShowsTheBarRepaintsEveryFivePixelsAndHidesItAtTheEnd)
{
    ExpectHidden();
    bar.SetRange(100);
    EXPECT_TRUE(bar.IsVisible());
    EXPECT_EQ(RepaintCount(), 1u);
    ExpectFill(0);

    EXPECT_EQ(StepTo(4), 0u) << "four pixels of growth are not worth a repaint";
    EXPECT_EQ(StepTo(5), 1u);
    EXPECT_EQ(VelRect(host.paints.back()), kBar) << "only the bar is repainted";
    ExpectFill(5);
    EXPECT_EQ(StepTo(99), 18u) << "at 10, 15, ... 95";
    ExpectFill(95);

    bar.SetPosition(100);
    EXPECT_FALSE(bar.IsVisible());
    EXPECT_EQ(bar.GetPosition(), 100);
    EXPECT_GE(RepaintCount(), 1u);
    ExpectHidden();
}

TEST_F(ProgressTest, PositionsOutsideTheRangeAndRangesBelowOneChangeNothing)
{
    bar.SetRange(50);
    StepTo(20);
    const int rejected[] = {-1, 51, 1000};
    for (int p : rejected) {
        bar.SetPosition(p);
        EXPECT_EQ(bar.GetPosition(), 20) << p;
    }
    bar.SetRange(0);
    bar.SetRange(-5);
    EXPECT_EQ(bar.GetRange(), 50);
    EXPECT_EQ(bar.GetPosition(), 20);
    EXPECT_TRUE(bar.IsVisible());
    EXPECT_EQ(RepaintCount(), 0u);
    // The last steps moved the fill by less than the repaint step; a repaint
    // of the host shows where the bar stands.
    host.InvalidateRect(VelRect());
    Repaint(window);
    ExpectFill(40);

    for (int range : {0, -3}) {
        VelProgressWindowLess made(&host, 1, range);
        EXPECT_EQ(made.GetRange(), 1) << range;
    }
}

// Every load sets the range and counts up from there, and so must find the
// bar empty and showing again, whatever the range of the load before.
TEST_F(ProgressTest, EachNewRangeStartsTheBarOver)
{
    const int ranges[] = {100, 100, 40, 250};
    for (int range : ranges) {
        SCOPED_TRACE(range);
        bar.SetRange(range);
        EXPECT_TRUE(bar.IsVisible());
        EXPECT_EQ(bar.GetPosition(), 0);
        EXPECT_EQ(bar.GetRange(), range);
        Repaint(window);
        ExpectFill(0);
        StepTo(range / 2);
        ExpectFill(50);
        // The loader's last word: the position at the range.
        StepTo(range);
        EXPECT_FALSE(bar.IsVisible());
        Repaint(window);
        ExpectHidden();
    }
}

TEST_F(ProgressTest, WithoutAutoHideANewRangeKeepsThePositionWithinIt)
{
    bar.SetAutoHide(false);
    bar.Show();
    bar.SetRange(200);
    StepTo(150);
    ExpectFill(75);

    bar.SetRange(120);
    EXPECT_EQ(bar.GetPosition(), 120) << "cut to the range";
    EXPECT_EQ(RepaintCount(), 1u);
    ExpectFill(100);
    bar.SetRange(120);
    EXPECT_EQ(RepaintCount(), 0u) << "the same range is no change";

    bar.SetRange(480);
    EXPECT_EQ(bar.GetPosition(), 120);
    Repaint(window);
    ExpectFill(25);  // the fill follows the new range at once

    bar.Hide();
    bar.SetRange(10);
    EXPECT_FALSE(bar.IsVisible()) << "only an auto-hiding bar shows itself";
    bar.Show();
    bar.SetPosition(5);
    bar.SetPosition(10);
    EXPECT_TRUE(bar.IsVisible()) << "nor hides itself";
    Repaint(window);
    ExpectFill(100);
}

// Fill length = position x extent / range, truncated; a vertical bar fills
// from its top.
TEST_F(ProgressTest, TheFillIsTruncatedAlongEitherAxis)
{
    struct Case {
        bool vertical;
        VelRect rect;
        int range, position, fill;
    };
    const Case cases[] = {
        {false, VelRect(0, 0, 100, 3), 3, 1, 33},    {false, VelRect(0, 0, 100, 3), 3, 2, 66},
        {false, VelRect(20, 10, 120, 14), 7, 5, 71}, {true, VelRect(0, 0, 6, 100), 3, 2, 66},
        {true, VelRect(50, 5, 56, 85), 8, 3, 30},
    };
    bar.SetAutoHide(false);
    bar.Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.vertical ? "vertical " : "horizontal ") << c.position << "/" << c.range);
        bar.SetRect(c.rect);
        bar.SetVertical(c.vertical);
        EXPECT_EQ(bar.IsVertical(), c.vertical);
        bar.SetRange(c.range);
        bar.SetPosition(0);
        bar.SetPosition(c.position);
        host.InvalidateRect(VelRect());
        Repaint(window);
        VelRect done = c.rect;
        VelRect rest = c.rect;
        if (c.vertical)
            done.bottom = rest.top = c.rect.top + c.fill;
        else
            done.right = rest.left = c.rect.left + c.fill;
        Snapshot shot(window);
        EXPECT_TRUE(shot.AllOf(InWindow(done), kThumb));
        EXPECT_TRUE(shot.AllOf(InWindow(rest), kTrack));
        VelRect around = c.rect;
        around.Inflate(1, 1);
        EXPECT_EQ(shot.Lit(InWindow(around)), InWindow(c.rect)) << "nothing outside the bar";
    }
}

// ---------------------------------------------------------------------------
// VelStaticWindowLess

class StaticTest : public HostedTest {
protected:
    StaticTest() : picture(SolidBitmap(30, 20, kRed)), font(L"Tahoma", 12, 700, VelFont::Plain) {}

    VelBitmap picture;
    VelFont font;
};

TEST_F(StaticTest, APictureTakesItsSizeAndIsCentredInALargerPlace)
{
    VelStaticWindowLess label(&host, 3, L"", &picture, nullptr, "picture");
    host.parts.push_back(&label);
    EXPECT_STREQ(label.GetClassName(), L"VelStaticWindowLess");
    EXPECT_EQ(VelRect(label.GetRect()), VelRect(0, 0, 30, 20));
    EXPECT_EQ(label.GetImage(), &picture);
    host.InvalidateRect(VelRect());
    Repaint(window);
    EXPECT_EQ(Snapshot(window).Lit(InWindow(VelRect(0, 0, 200, 100))), InWindow(VelRect(0, 0, 30, 20)));

    struct Case {
        const char* name;
        VelRect place;
        VelRect shown;
    };
    const Case cases[] = {
        {"wider and higher: centred both ways", VelRect(10, 10, 70, 50), VelRect(25, 20, 55, 40)},
        {"wider only", VelRect(10, 10, 70, 30), VelRect(25, 10, 55, 30)},
        {"narrower and lower: cut at the part's edges", VelRect(40, 40, 50, 50), VelRect(40, 40, 50, 50)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        label.SetRect(c.place);
        host.InvalidateRect(VelRect());
        Repaint(window);
        Snapshot shot(window);
        EXPECT_EQ(shot.Lit(InWindow(VelRect(0, 0, 200, 100))), InWindow(c.shown));
        EXPECT_TRUE(shot.AllOf(InWindow(c.shown), kRed));
    }

    VelBitmap other = SolidBitmap(30, 20, kBlue);
    label.SetImage(&other);
    EXPECT_EQ(VelRect(label.GetRect()), VelRect(40, 40, 50, 50)) << "a new picture leaves the place alone";
    EXPECT_EQ(RepaintCount(), 1u);
    EXPECT_TRUE(Snapshot(window).AllOf(InWindow(VelRect(40, 40, 50, 50)), kBlue));
}

TEST_F(StaticTest, TextIsCentredInsideTheInsetInItsOwnColour)
{
    VelStaticWindowLess label(&host, 4, L"Ada", nullptr);
    host.parts.push_back(&label);
    label.SetFont(&font);
    label.SetColor(VelColor(255, 0, 0));
    const VelRect place(20, 10, 200, 40);
    label.SetRect(place);
    host.InvalidateRect(VelRect());
    Repaint(window);

    const VelRect lit = Snapshot(window).Lit(InWindow(VelRect(0, 0, 220, 120)));
    ASSERT_FALSE(lit.IsEmpty());
    const VelRect inset = InWindow(VelRect(place.left + 4, place.top, place.right - 4, place.bottom));
    EXPECT_TRUE(inset.Contains(lit)) << lit.ToString();
    const int leftGap = lit.left - inset.left;
    const int rightGap = inset.right - lit.right;
    EXPECT_LE(std::abs(leftGap - rightGap), 2) << "centred across";
    Snapshot shot(window);
    bool pureRed = false;
    for (int y = lit.top; y < lit.bottom; ++y)
        for (int x = lit.left; x < lit.right; ++x)
            pureRed = pureRed || shot.At(x, y) == kRed;
    EXPECT_TRUE(pureRed) << "the control's own colour";
    EXPECT_TRUE(shot.AllOf(InWindow(VelRect(0, 0, 220, 8)), kGround)) << "transparent: no box behind the text";

    label.SetText(L"");
    EXPECT_EQ(RepaintCount(), 1u);
    EXPECT_TRUE(Snapshot(window).Lit(InWindow(place)).IsEmpty());
}

TEST_F(StaticTest, AHiddenPartDrawsNothing)
{
    VelStaticWindowLess label(&host, 5, L"Hidden", &picture);
    host.parts.push_back(&label);
    label.SetFont(&font);
    label.SetColor(VelColor(255, 0, 0));
    label.SetRect(VelRect(0, 0, 120, 30));
    host.InvalidateRect(VelRect());
    Repaint(window);
    EXPECT_FALSE(Snapshot(window).Lit(InWindow(VelRect(0, 0, 120, 30))).IsEmpty());

    label.Hide();
    EXPECT_EQ(RepaintCount(), 1u);
    EXPECT_TRUE(Snapshot(window).Lit(InWindow(VelRect(0, 0, 120, 30))).IsEmpty());
}

// ---------------------------------------------------------------------------
// VelButtonWindowLess

// Notes how often the button drew its content.
class CountingButton : public VelButtonWindowLess {
public:
    using VelButtonWindowLess::VelButtonWindowLess;
    void PaintContent(VelCanvas* canvas, const RECT& rect) override
    {
        ++contentPaints;
        VelButtonWindowLess::PaintContent(canvas, rect);
    }
    int contentPaints = 0;
};

// A 240 x 160 window with a 100 x 40 button auto-sized from its image at
// (20, 30), created as the contact view creates its action buttons.
class ButtonWindowLessTest : public ::testing::Test {
protected:
    ButtonWindowLessTest()
        : themeScope(&theme), normal(SolidBitmap(100, 40, kBlue)), pressed(SolidBitmap(100, 40, kGreen)),
          caption(L"Tahoma", 9, 700, VelFont::Plain), second(L"Tahoma", 8, 0, VelFont::Plain),
          button(kButtonId, L"Mobile", &normal, VelButtonWindowLess::ImageData(&pressed),
                 VelButtonWindowLess::ImageData(&pressed), 0)
    {
    }

    void SetUp() override
    {
        window.Create(nullptr, kVisible, VelRect(0, 0, 240, 160));
        button.SetFont(&caption);
        button.SetSubTextFont(&second);
        button.SetColor(VelColor(255, 0, 0));
        button.SetAutoSize(true);
        button.Create(&window, kViewChildStyle, VelRect(20, 30, 20, 30));
        button.ClickDone += VelBind(this, &ButtonWindowLessTest::OnClickDone);
        Repaint(window);
    }

    void Send(UINT message, int x, int y, WPARAM keys)
    {
        ::SendMessageW(window.GetHandle(), message, keys, MAKELPARAM(x, y));
    }
    COLORREF ImagePixel() { return Snapshot(window).At(25, 35); }
    // The line height of a font, as the button measures it.
    static int LineHeight(VelFont& font)
    {
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, font.GetHandle());
        TEXTMETRICW metrics;
        ::GetTextMetricsW(dc, &metrics);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        return metrics.tmHeight + metrics.tmExternalLeading;
    }
    void OnClickDone(VelObject*, const VelButtonEventArgs* args) { clicks.push_back(args->buttonId); }

    static const int kButtonId = 2;
    VelKlTheme theme;
    ThemeScope themeScope;
    VelBitmap normal;
    VelBitmap pressed;
    VelFont caption;
    VelFont second;
    GroundWindow window;
    CountingButton button;
    std::vector<int> clicks;
};

TEST_F(ButtonWindowLessTest, APressShowsThePressedImageUntilTheFingerLeavesOrLifts)
{
    EXPECT_STREQ(button.GetClassName(), L"VelButtonWindowLess");
    EXPECT_EQ(VelRect(button.GetBounds()), VelRect(20, 30, 120, 70)) << "the image's size";
    EXPECT_EQ(button.GetPressedImage(), &pressed);
    EXPECT_EQ(ImagePixel(), kBlue);

    Send(WM_LBUTTONDOWN, 30, 40, MK_LBUTTON);
    EXPECT_EQ(ImagePixel(), kGreen) << "shown within the press itself";
    Send(WM_MOUSEMOVE, 200, 120, MK_LBUTTON);
    Repaint(window);
    EXPECT_EQ(ImagePixel(), kBlue) << "slid off";
    Send(WM_MOUSEMOVE, 40, 40, MK_LBUTTON);
    Repaint(window);
    EXPECT_EQ(ImagePixel(), kGreen) << "back on";
    EXPECT_TRUE(clicks.empty());

    Send(WM_LBUTTONUP, 40, 40, 0);
    Repaint(window);
    EXPECT_EQ(ImagePixel(), kBlue);
    EXPECT_EQ(clicks, std::vector<int>{kButtonId});
}

TEST_F(ButtonWindowLessTest, WithoutAPressedImageAPressShowsNone)
{
    CountingButton plain(3, L"", &normal, 0, 0, 0);
    plain.SetAutoSize(true);
    plain.Create(&window, kViewChildStyle, VelRect(20, 100, 20, 100));
    Repaint(window);
    EXPECT_EQ(Snapshot(window).At(25, 105), kBlue);
    Send(WM_LBUTTONDOWN, 30, 110, MK_LBUTTON);
    EXPECT_EQ(Snapshot(window).At(25, 105), kGround);
    Send(WM_LBUTTONUP, 30, 110, 0);
}

// The theme's button face is not drawn: the images are the whole look, and
// without them and a caption the button shows nothing.
TEST_F(ButtonWindowLessTest, NoFaceUnderTheContent)
{
    VelThemeDefault faces;
    ThemeScope scope(&faces);
    CountingButton bare(4, L"", nullptr, 0, 0, 0);
    bare.Create(&window, kViewChildStyle, VelRect(130, 30, 230, 70));
    Repaint(window);
    EXPECT_TRUE(Snapshot(window).Lit(VelRect(130, 30, 230, 70)).IsEmpty());
    Send(WM_LBUTTONDOWN, 150, 40, MK_LBUTTON);
    Repaint(window);
    EXPECT_TRUE(Snapshot(window).Lit(VelRect(130, 30, 230, 70)).IsEmpty()) << "pressed";
    Send(WM_LBUTTONUP, 150, 40, 0);
}

// Where the platform draws a text in a box of that size at the origin: the
// bounds of its lit pixels. The button's lines must land exactly there,
// moved to their boxes.
VelRect ReferenceLit(const std::wstring& text, VelFont& font, UINT format, const SIZE& box)
{
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, box.cx, box.cy);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    HGDIOBJ oldFont = ::SelectObject(dc, font.GetHandle());
    RECT all = {0, 0, box.cx, box.cy};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kRed);
    ::DrawTextW(dc, text.c_str(), -1, &all, format);
    const VelRect lit = LitBounds(dc, all, kGround);
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return lit;
}

VelRect Moved(VelRect r, const RECT& box)
{
    r.Offset(box.left, box.top);
    return r;
}

// Where the caption and the second line go, by the format and whether there
// is a second line (the button's top-left is (20, 30), 100 x 40).
TEST_F(ButtonWindowLessTest, TextGoesBesideTheIconOrCentredByFormat)
{
    button.SetImage(nullptr);
    button.SetData2(0);
    const int h = LineHeight(caption);
    const int h2 = LineHeight(second);
    // The caption's line must not reach into the second line's, and the two
    // heights must differ, or a second line placed from the wrong one passes.
    ASSERT_LE(h, h2 + 4);
    ASSERT_NE(h, h2);
    const VelRect besideIcon(20 + 36, 30 + 8, 120 - 8, 30 + 8 + h);
    const VelRect secondLine(20 + 36, 30 + 12 + h2, 120 - 8, 30 + 12 + 2 * h2);
    const VelRect centred(20 + 4, 30, 120 - 4, 70);
    const UINT centre = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    struct Case {
        const char* name;
        UINT format;
        std::wstring subText;
        VelRect captionBox;
    };
    const Case cases[] = {
        {"the default format has no vertical centring", VelButtonWindowLess::kDefaultTextFormat, L"", besideIcon},
        {"right-aligned, as the action buttons", DT_RIGHT | DT_END_ELLIPSIS, L"", besideIcon},
        {"centred alone", centre, L"", centred},
        {"a second line puts even a centred caption beside the icon", centre, L"555", besideIcon},
        {"a second line in the default format", VelButtonWindowLess::kDefaultTextFormat, L"555 0100", besideIcon},
    };
    EXPECT_EQ(button.GetTextFormat(), UINT(DT_SINGLELINE | DT_END_ELLIPSIS));
    const std::wstring text = button.GetText();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        button.SetTextFormat(c.format);
        button.SetSubText(c.subText);
        EXPECT_EQ(button.GetTextFormat(), c.format);
        EXPECT_EQ(button.GetSubText(), c.subText);
        Repaint(window);
        Snapshot shot(window);
        const VelRect captionLit = Moved(ReferenceLit(text, caption, c.format, c.captionBox.GetSize()), c.captionBox);
        ASSERT_FALSE(captionLit.IsEmpty());
        EXPECT_EQ(shot.Lit(c.captionBox), captionLit);
        VelRect expected = captionLit;
        if (!c.subText.empty()) {
            const VelRect subLit = Moved(ReferenceLit(c.subText, second, c.format, secondLine.GetSize()), secondLine);
            EXPECT_EQ(shot.Lit(VelRect(0, besideIcon.bottom, 240, 160)), subLit) << "the second line";
            ::UnionRect(&expected, &expected, &subLit);
        }
        EXPECT_EQ(shot.Lit(VelRect(0, 0, 240, 160)), expected) << "nothing else";
    }

    // Without a caption nothing is written, not even the second line.
    button.SetText(L"");
    Repaint(window);
    EXPECT_TRUE(Snapshot(window).Lit(VelRect(0, 0, 240, 160)).IsEmpty());
}

TEST_F(ButtonWindowLessTest, EverySetterRepaintsTheButton)
{
    VelFont other(L"Tahoma", 9, 0, VelFont::Plain);
    const std::pair<const char*, std::function<void()>> setters[] = {
        {"second line", [&] { button.SetSubText(L"+44 20 7946 0000"); }},
        {"second line's font", [&] { button.SetSubTextFont(&other); }},
        {"text format", [&] { button.SetTextFormat(DT_RIGHT | DT_END_ELLIPSIS); }},
    };
    for (const auto& setter : setters) {
        const int before = button.contentPaints;
        setter.second();
        Repaint(window);
        EXPECT_GT(button.contentPaints, before) << setter.first;
    }
    EXPECT_EQ(button.GetSubTextFont(), &other);
}

}  // namespace
