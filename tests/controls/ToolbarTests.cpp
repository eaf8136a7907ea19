#include "../core_windows/TestControls.h"
#include "Taps.h"

#include "VelBitmap.h"
#include "VelGDICanvas.h"
#include "VelGDIRenderer.h"
#include "VelThemeDefault.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"
#include "VelToolbarStatic.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

const COLORREF kBar = RGB(0, 0, 128), kHost = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
               kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0), kGrey = RGB(90, 90, 90);

// The default look with a toolbar colour of its own and a record of the
// toolbar texts it is asked to draw.
class ToolbarTheme : public VelThemeDefault {
public:
    struct Text {
        VelPoint point;
        std::wstring text;
        SIZE size;
        UINT format;
        bool opaque;
    };
    VelColor& GetToolbarColor(VelColor& c) override { return c = VelColor::FromColorRef(kBar); }
    // Not the button caption's: it keeps its own white on black.
    VelColor& GetToolbarButtonTextColor(VelColor& c) override { return c = VelColor::FromColorRef(kRed); }
    VelColor& GetToolbarButtonColor(VelColor& c) override { return c = VelColor::FromColorRef(kGreen); }
    void DrawToolbarText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text, const SIZE& size) override
    {
        texts.push_back(Text{point, text, size, canvas->GetTextFormat(), canvas->IsOpaque()});
        VelThemeDefault::DrawToolbarText(canvas, point, text, size);
    }
    std::vector<Text> texts;
};

// Installs the probe theme for the life of a test.
class ThemeScope {
public:
    ThemeScope() : m_previous(CurrentTheme) { CurrentTheme = &theme; }
    ~ThemeScope() { CurrentTheme = m_previous; }
    ToolbarTheme theme;

private:
    VelTheme* m_previous;
};

// A plain block of one colour, another while highlighted.
class BlockItem : public VelToolbarItem {
public:
    BlockItem(int id, SIZE size, COLORREF color, VelObject* parent = nullptr)
        : VelToolbarItem(id, parent, "block"), m_size(size), m_color(color)
    {
    }
    void GetSize(SIZE& size) const override { size = m_size; }
    void SetSize(const SIZE& size) override { m_size = size; }
    void Paint(VelCanvas* canvas, const RECT& rect) override
    {
        canvas->SetBackColor(VelColor::FromColorRef(IsHighlighted() ? kYellow : m_color));
        canvas->FillRect(rect);
    }

private:
    SIZE m_size;
    COLORREF m_color;
};

std::unique_ptr<VelBitmap> SolidBitmap(int width, int height, COLORREF color)
{
    std::unique_ptr<VelBitmap> bitmap(new VelBitmap(width, height));
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ previous = ::SelectObject(dc, bitmap->GetHandle());
    HBRUSH brush = ::CreateSolidBrush(color);
    const RECT all = {0, 0, width, height};
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    ::SelectObject(dc, previous);
    ::DeleteDC(dc);
    return bitmap;
}

// Records the ItemClicked events of a toolbar by item id.
struct ClickLog {
    void OnClicked(VelObject*, const VelToolbarItemEventArgs* args) { ids.push_back(args->item->GetId()); }
    std::vector<int> ids;
};

// A 240 x 120 window with a toolbar at (0, 20, 240, 60), so window and
// toolbar coordinates differ by 20 in y.
class ToolbarTest : public ::testing::Test {
protected:
    static const int kTop = 20;

    void SetUp() override { window.Create(nullptr, kVisible, VelRect(0, 0, 240, 120)); }

    VelToolbar* MakeToolbar(DWORD style)
    {
        VelToolbar* toolbar = new VelToolbar(style, &window, "toolbar");
        toolbar->Create(&window, kVisible, VelRect(0, kTop, 240, kTop + 40));
        toolbar->ItemClicked += VelBind(&clicks, &ClickLog::OnClicked);
        return toolbar;
    }
    void Send(UINT message, int x, int y)
    {
        ::SendMessageW(window.GetHandle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, At(x, y));
    }
    void Tap(int x, int y) { TapWindow(window.GetHandle(), VelPoint(x, y)); }
    void Repaint()
    {
        Pump();
        ::UpdateWindow(window.GetHandle());
    }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(window.GetCanvas()->GetDC(), x, y); }

    ThemeScope themeScope;
    RecordingControl window{kHost};
    ClickLog clicks;
};

// Paints straight onto a canvas of its own, remembering every font it is given.
class FontRecordingCanvas : public VelGDICanvas {
public:
    FontRecordingCanvas(VelRenderer* renderer, int width, int height) : VelGDICanvas(renderer, nullptr, width, height)
    {
        SetBackColor(VelColor::FromColorRef(kGrey));
        FillRect(VelRect(0, 0, width, height));
        fonts.clear();
    }
    void SetFont(VelFont* font) override
    {
        fonts.push_back(font->GetLogFont());
        VelGDICanvas::SetFont(font);
    }
    COLORREF Pixel(int x, int y) const { return ::GetPixel(GetDC(), x, y); }
    // Whether any pixel of the rectangle differs from the grey it was filled with.
    bool Touched(const RECT& rect) const
    {
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                if (Pixel(x, y) != kGrey)
                    return true;
        return false;
    }
    std::vector<LOGFONTW> fonts;
};

class ToolbarItemPaintTest : public ::testing::Test {
protected:
    ToolbarItemPaintTest() : canvas(&renderer, 100, 80) {}

    // The text band of the toolbar item font, as the button measures it.
    int Band()
    {
        VelFont font;
        font.Assign(*CurrentTheme->GetToolbarItemFont());
        const TEXTMETRICW m = canvas.GetTextMetrics(&font).metrics;
        return m.tmHeight + m.tmExternalLeading;
    }
    // The image's colour fills exactly the w x h block at (x, y).
    void ExpectBlock(int x, int y, int w, int h, COLORREF color)
    {
        EXPECT_EQ(canvas.Pixel(x, y), color) << x << "," << y;
        EXPECT_EQ(canvas.Pixel(x + w - 1, y + h - 1), color);
        EXPECT_NE(canvas.Pixel(x - 1, y), color);
        EXPECT_NE(canvas.Pixel(x, y - 1), color);
        EXPECT_NE(canvas.Pixel(x + w, y + h - 1), color);
        EXPECT_NE(canvas.Pixel(x + w - 1, y + h), color);
    }

    ThemeScope themeScope;
    VelGDIRenderer renderer;
    FontRecordingCanvas canvas;
};

}  // namespace

TEST_F(ToolbarTest, ItemsLineUpOnTheEdgeTheWalkStartsFrom)
{
    struct Case {
        DWORD style;
        std::vector<SIZE> sizes;
        std::vector<bool> visible;
        std::vector<RECT> expected;  // toolbar coordinates; empty for a hidden item
    };
    const Case cases[] = {
        {0, {{40, 30}, {60, 40}}, {true, true}, {{0, 0, 40, 30}, {40, 0, 100, 40}}},
        {2, {{40, 30}, {60, 40}}, {true, true}, {{200, 10, 240, 40}, {140, 0, 200, 40}}},
        {1, {{40, 10}, {30, 20}}, {true, true}, {{0, 0, 40, 10}, {0, 10, 30, 30}}},
        {3, {{40, 10}, {30, 20}}, {true, true}, {{200, 30, 240, 40}, {210, 10, 240, 30}}},
        {0, {{40, 30}, {50, 30}, {60, 30}}, {true, false, true}, {{0, 0, 40, 30}, {0, 0, 0, 0}, {40, 0, 100, 30}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        std::unique_ptr<VelToolbar> toolbar(MakeToolbar(c.style));
        std::vector<std::unique_ptr<BlockItem>> items;
        for (size_t i = 0; i < c.sizes.size(); ++i) {
            items.emplace_back(new BlockItem(int(i) + 1, c.sizes[i], kRed));
            items.back()->SetVisible(c.visible[i]);
            toolbar->AddItem(items.back().get());
        }
        Repaint();
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(VelRect(items[i]->GetRect()), VelRect(c.expected[i])) << "item " << i;
            if (!c.visible[i])
                continue;
            // A tap at the rectangle's centre clicks that item and no other.
            clicks.ids.clear();
            const VelRect r(c.expected[i]);
            Tap((r.left + r.right) / 2, kTop + (r.top + r.bottom) / 2);
            EXPECT_EQ(clicks.ids, std::vector<int>{int(i) + 1}) << "item " << i;
        }
    }
}

TEST_F(ToolbarTest, ItemsAndBackgroundShowWhereTheWalkPutThem)
{
    std::unique_ptr<VelToolbar> toolbar(MakeToolbar(VelToolbar::kStyleFromFarEnd));
    BlockItem red(1, SIZE{40, 40}, kRed), green(2, SIZE{60, 20}, kGreen);
    toolbar->AddItem(&red);
    toolbar->AddItem(&green);
    Repaint();
    EXPECT_EQ(Pixel(220, kTop + 5), kRed);
    EXPECT_EQ(Pixel(170, kTop + 30), kGreen);
    EXPECT_EQ(Pixel(170, kTop + 10), kBar) << "above the lower item";
    EXPECT_EQ(Pixel(20, kTop + 20), kBar);
    EXPECT_EQ(Pixel(20, kTop + 50), kHost) << "below the toolbar";

    // Hiding an item repaints the bar with the next one moved into its place.
    red.SetVisible(false);
    Repaint();
    EXPECT_EQ(Pixel(220, kTop + 30), kGreen);
    EXPECT_EQ(Pixel(220, kTop + 5), kBar);
    EXPECT_EQ(Pixel(170, kTop + 30), kBar);
}

TEST_F(ToolbarTest, ReleaseDecidesWhichItemIsClickedAndSelected)
{
    struct Step {
        UINT message;
        int x;
        int y;
    };
    struct Case {
        const char* name;
        int selectedBefore;
        std::vector<Step> steps;
        std::vector<int> clicked;
        int selectedAfter;
    };
    // Three 60 x 40 items from x = 0; the toolbar spans y 20 to 60 of the window.
    const Case cases[] = {
        {"tap", -1, {{WM_LBUTTONDOWN, 30, 40}, {WM_LBUTTONUP, 30, 40}}, {1}, 0},
        {"slide to the next item",
         -1,
         {{WM_LBUTTONDOWN, 30, 40}, {WM_MOUSEMOVE, 90, 40}, {WM_LBUTTONUP, 90, 40}},
         {2},
         1},
        {"release below the toolbar",
         2,
         {{WM_LBUTTONDOWN, 30, 40}, {WM_MOUSEMOVE, 30, 90}, {WM_LBUTTONUP, 30, 90}},
         {},
         2},
        {"release on the bar past the items", 1, {{WM_LBUTTONDOWN, 30, 40}, {WM_LBUTTONUP, 200, 40}}, {}, 1},
        {"release without a press", 2, {{WM_LBUTTONUP, 30, 40}}, {}, 2},
        {"press elsewhere, release here", 2, {{WM_LBUTTONDOWN, 30, 100}, {WM_LBUTTONUP, 30, 40}}, {}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<VelToolbar> toolbar(MakeToolbar(0));
        BlockItem a(1, SIZE{60, 40}, kRed), b(2, SIZE{60, 40}, kGreen), d(3, SIZE{60, 40}, kBlue);
        toolbar->AddItem(&a);
        toolbar->AddItem(&b);
        toolbar->AddItem(&d);
        Repaint();
        toolbar->SetSelectedIndex(c.selectedBefore);
        clicks.ids.clear();
        for (const Step& s : c.steps)
            Send(s.message, s.x, s.y);
        EXPECT_EQ(clicks.ids, c.clicked);
        EXPECT_EQ(toolbar->GetSelectedIndex(), c.selectedAfter);
        EXPECT_EQ(toolbar->GetHighlightedIndex(), -1);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(toolbar->GetItem(i)->IsSelected(), i == c.selectedAfter) << i;
            EXPECT_FALSE(toolbar->GetItem(i)->IsHighlighted()) << i;
        }
        EXPECT_EQ(::GetCapture(), nullptr);
    }
}

TEST_F(ToolbarTest, HighlightFollowsThePressedPointerOnScreen)
{
    std::unique_ptr<VelToolbar> toolbar(MakeToolbar(0));
    BlockItem a(1, SIZE{60, 40}, kRed), b(2, SIZE{60, 40}, kGreen);
    toolbar->AddItem(&a);
    toolbar->AddItem(&b);
    Repaint();

    // Hovering with no button down highlights nothing.
    Send(WM_MOUSEMOVE, 30, 40);
    EXPECT_EQ(toolbar->GetHighlightedIndex(), -1);
    EXPECT_FALSE(a.IsHighlighted());

    // The press paints at once, without waiting for the queue.
    Send(WM_LBUTTONDOWN, 30, 40);
    EXPECT_EQ(toolbar->GetHighlightedIndex(), 0);
    EXPECT_EQ(Pixel(30, 40), kYellow);
    EXPECT_EQ(::GetCapture(), window.GetHandle());

    // No pump while captured: the platform would post moves from the real cursor.
    Send(WM_MOUSEMOVE, 90, 40);
    ::UpdateWindow(window.GetHandle());
    EXPECT_FALSE(a.IsHighlighted());
    EXPECT_TRUE(b.IsHighlighted());
    EXPECT_EQ(Pixel(30, 40), kRed);
    EXPECT_EQ(Pixel(90, 40), kYellow);

    // Off every item, still captured: nothing is highlighted.
    Send(WM_MOUSEMOVE, 90, 100);
    EXPECT_EQ(toolbar->GetHighlightedIndex(), -1);
    EXPECT_FALSE(b.IsHighlighted());

    Send(WM_MOUSEMOVE, 90, 40);
    Send(WM_LBUTTONUP, 90, 40);
    EXPECT_EQ(Pixel(90, 40), kGreen);
    EXPECT_EQ(clicks.ids, std::vector<int>{2});
}

TEST_F(ToolbarTest, IndexSettersFlagOnlyItemsInRange)
{
    std::unique_ptr<VelToolbar> toolbar(MakeToolbar(0));
    BlockItem a(1, SIZE{60, 40}, kRed), b(2, SIZE{60, 40}, kGreen);
    toolbar->AddItem(&a);
    toolbar->AddItem(&b);

    toolbar->SetSelectedIndex(1);
    EXPECT_TRUE(b.IsSelected());
    toolbar->SetSelectedIndex(7);
    EXPECT_EQ(toolbar->GetSelectedIndex(), 7);
    EXPECT_FALSE(a.IsSelected());
    EXPECT_FALSE(b.IsSelected());
    toolbar->SetSelectedIndex(0);
    EXPECT_TRUE(a.IsSelected());

    toolbar->SetHighlightedIndex(-5);
    EXPECT_EQ(toolbar->GetHighlightedIndex(), -5);
    toolbar->SetHighlightedIndex(1);
    EXPECT_TRUE(b.IsHighlighted());
    toolbar->SetHighlightedIndex(2);
    EXPECT_FALSE(b.IsHighlighted());
    EXPECT_FALSE(a.IsHighlighted());
}

TEST_F(ToolbarTest, InsertRemoveAndFind)
{
    std::unique_ptr<VelToolbar> toolbar(MakeToolbar(0));
    BlockItem a(10, SIZE{10, 10}, kRed), b(20, SIZE{10, 10}, kRed), c(30, SIZE{10, 10}, kRed),
        d(20, SIZE{10, 10}, kRed);
    EXPECT_EQ(toolbar->InsertItem(1, &a), -1) << "beyond the end of an empty toolbar";
    EXPECT_EQ(toolbar->GetItemCount(), 0);
    EXPECT_EQ(toolbar->InsertItem(0, &a), 0) << "at the end of an empty toolbar";
    EXPECT_EQ(toolbar->InsertItem(-1, &c), 1);
    EXPECT_EQ(toolbar->InsertItem(1, &b), 1);
    EXPECT_EQ(toolbar->InsertItem(3, &d), 3);
    EXPECT_EQ(toolbar->InsertItem(5, &d), -1);
    ASSERT_EQ(toolbar->GetItemCount(), 4);
    const std::vector<VelToolbarItem*> order = {&a, &b, &c, &d};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(toolbar->GetItem(i), order[i]) << i;
    EXPECT_EQ(toolbar->GetItem(4), nullptr);
    EXPECT_EQ(toolbar->GetItem(-1), nullptr);

    EXPECT_EQ(toolbar->FindItemIndex(20), 1) << "the first of two with that id";
    EXPECT_EQ(toolbar->FindItemIndex(99), -1);

    toolbar->RemoveItem(4);
    toolbar->RemoveItem(-1);
    EXPECT_EQ(toolbar->GetItemCount(), 4);
    toolbar->RemoveItem(1);
    EXPECT_EQ(toolbar->FindItemIndex(20), 2);
    EXPECT_EQ(toolbar->GetItem(1), &c);
}

TEST_F(ToolbarTest, AnItemIsWatchedOnceAndOnlyWhileListed)
{
    BlockItem a(1, SIZE{60, 40}, kRed), b(2, SIZE{60, 40}, kGreen);
    {
        std::unique_ptr<VelToolbar> toolbar(MakeToolbar(0));
        toolbar->AddItem(&a);
        toolbar->HookItem(&a);
        toolbar->AddItem(&b);
        EXPECT_EQ(a.Changed.GetCount(), 1u);
        EXPECT_EQ(a.Destroying.GetCount(), 1u);

        toolbar->RemoveItem(1);
        EXPECT_EQ(b.Changed.GetCount(), 0u);
        EXPECT_EQ(b.Destroying.GetCount(), 0u);
    }
    // The toolbar is gone; its items live on and change without it.
    EXPECT_EQ(a.Changed.GetCount(), 0u);
    EXPECT_EQ(a.Destroying.GetCount(), 0u);
    a.SetVisible(false);
}

TEST_F(ToolbarTest, ADestroyedItemLeavesTheToolbar)
{
    std::unique_ptr<VelToolbar> toolbar(MakeToolbar(0));
    BlockItem a(1, SIZE{60, 40}, kRed), c(3, SIZE{60, 40}, kBlue);
    BlockItem* b = new BlockItem(2, SIZE{60, 40}, kGreen, &window);
    toolbar->AddItem(&a);
    toolbar->AddItem(b);
    toolbar->AddItem(&c);
    Repaint();
    EXPECT_EQ(Pixel(90, 40), kGreen);

    delete b;
    EXPECT_EQ(toolbar->GetItemCount(), 2);
    EXPECT_EQ(toolbar->FindItemIndex(3), 1);
    Repaint();
    EXPECT_EQ(Pixel(90, 40), kBlue);
    Tap(90, 40);
    EXPECT_EQ(clicks.ids, std::vector<int>{3});
}

TEST_F(ToolbarTest, AClickHandlerMayDeleteTheToolbar)
{
    struct Closer {
        void OnClicked(VelObject*, const VelToolbarItemEventArgs*)
        {
            delete toolbar;
            toolbar = nullptr;
        }
        VelToolbar* toolbar;
    } closer;
    closer.toolbar = MakeToolbar(0);
    BlockItem a(1, SIZE{60, 40}, kRed);
    closer.toolbar->AddItem(&a);
    closer.toolbar->ItemClicked += VelBind(&closer, &Closer::OnClicked);
    Repaint();
    Tap(30, 40);
    EXPECT_EQ(closer.toolbar, nullptr);
    EXPECT_EQ(a.Changed.GetCount(), 0u);
    Repaint();
    EXPECT_EQ(Pixel(30, 40), kHost);
}

TEST_F(ToolbarTest, TappedTabShowsItsSelectedImage)
{
    std::unique_ptr<VelBitmap> normal = SolidBitmap(16, 12, kRed), selected = SolidBitmap(16, 12, kGreen);
    std::unique_ptr<VelToolbar> toolbar(MakeToolbar(0));
    VelToolbarButton first(5, L"One", normal.get(), selected.get(), nullptr, 11, nullptr, "tab");
    VelToolbarButton second(6, L"Two", normal.get(), selected.get(), nullptr, 11, nullptr, "tab");
    first.SetSize(SIZE{40, 40});
    second.SetSize(SIZE{40, 40});
    toolbar->AddItem(&first);
    toolbar->AddItem(&second);
    Repaint();
    // The image sits centred across, in the part above the text band.
    const int imageTop = kTop + first.GetRect().top;
    EXPECT_EQ(Pixel(20, imageTop + 1), kBar);
    EXPECT_EQ(Pixel(60, 30), kRed);
    EXPECT_EQ(Pixel(20, 30), kRed);

    Tap(60, 30);
    EXPECT_EQ(clicks.ids, std::vector<int>{6});
    Repaint();
    EXPECT_EQ(Pixel(60, 30), kGreen);
    EXPECT_EQ(Pixel(20, 30), kRed);
}

TEST_F(ToolbarItemPaintTest, ButtonPlacesItsImageAroundTheTextBand)
{
    const int band = Band();
    struct Case {
        DWORD style;
        const wchar_t* text;
        int x;
        int y;
    };
    // Rectangle (10, 0, 70, 60), image 20 x 10.
    const Case cases[] = {
        {8, L"", 30, 25},
        {8, L"Calls", 30, (60 - band - 10) / 2},
        {8 | 2, L"Calls", 30, (60 - band - 10) / 2},
        {8 | 4, L"Calls", 30, (60 - band - 10) / 2 + band},
    };
    std::unique_ptr<VelBitmap> image = SolidBitmap(20, 10, kRed);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        canvas.SetBackColor(VelColor::FromColorRef(kGrey));
        canvas.FillRect(VelRect(0, 0, 100, 80));
        VelToolbarButton button(1, c.text, image.get(), nullptr, nullptr, c.style, nullptr, "button");
        button.Paint(&canvas, VelRect(10, 0, 70, 60));
        ExpectBlock(c.x, c.y, 20, 10, kRed);
    }
}

TEST_F(ToolbarItemPaintTest, ButtonTextGoesIntoItsBandOnly)
{
    const int band = Band();
    struct Case {
        DWORD style;
        bool top;
        bool bottom;
    };
    const Case cases[] = {{2, false, true}, {4, true, false}, {8, false, false}, {16, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        canvas.SetBackColor(VelColor::FromColorRef(kGrey));
        canvas.FillRect(VelRect(0, 0, 100, 80));
        VelToolbarButton button(1, L"Wg", nullptr, nullptr, nullptr, c.style, nullptr, "button");
        button.Paint(&canvas, VelRect(0, 0, 100, 60));
        EXPECT_EQ(canvas.Touched(VelRect(0, 0, 100, band)), c.top);
        EXPECT_EQ(canvas.Touched(VelRect(0, 60 - band, 100, 60)), c.bottom);
        EXPECT_FALSE(canvas.Touched(VelRect(0, band, 100, 60 - band)));
    }
}

TEST_F(ToolbarItemPaintTest, ButtonCaptionIsWhiteWhateverTheTheme)
{
    const int band = Band();
    VelToolbarButton button(1, L"WWWW", nullptr, nullptr, nullptr, 2, nullptr, "button");
    button.Paint(&canvas, VelRect(0, 0, 100, 60));
    int white = 0, themed = 0;
    for (int y = 60 - band; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const COLORREF pixel = canvas.Pixel(x, y);
            white += pixel == RGB(255, 255, 255);
            themed += pixel == kRed || pixel == kGreen;
        }
    EXPECT_GT(white, 0);
    EXPECT_EQ(0, themed);
}

TEST_F(ToolbarItemPaintTest, ButtonImageFollowsItsState)
{
    std::unique_ptr<VelBitmap> normal = SolidBitmap(10, 10, kRed), selected = SolidBitmap(10, 10, kGreen),
                               highlighted = SolidBitmap(10, 10, kBlue);
    struct Case {
        bool withSelected;
        bool withHighlighted;
        bool selected;
        bool highlighted;
        COLORREF shown;
    };
    const Case cases[] = {
        {true, true, false, false, kRed}, {true, true, true, false, kGreen}, {true, true, false, true, kBlue},
        {true, true, true, true, kBlue},  {false, true, true, false, kRed},  {true, false, true, true, kGreen},
    };
    for (const Case& c : cases) {
        VelToolbarButton button(1, L"", normal.get(), c.withSelected ? selected.get() : nullptr,
                                c.withHighlighted ? highlighted.get() : nullptr, 8, nullptr, "button");
        button.SetSelected(c.selected);
        button.SetHighlighted(c.highlighted);
        button.Paint(&canvas, VelRect(0, 0, 30, 30));
        EXPECT_EQ(canvas.Pixel(15, 15), c.shown) << c.selected << c.highlighted;
    }
}

TEST_F(ToolbarItemPaintTest, PaintingAnItemLeavesTheCanvasAsItWas)
{
    std::unique_ptr<VelBitmap> image = SolidBitmap(10, 10, kRed);
    VelFont* font = canvas.GetFont();
    canvas.SetTextColor(VelColor(1, 2, 3));
    canvas.SetTextFormat(DT_LEFT | DT_SINGLELINE);
    canvas.SetOpaque(true);
    canvas.SetBackColor(VelColor(4, 5, 6));
    {
        VelToolbarButton button(1, L"Tab", image.get(), nullptr, nullptr, 11, nullptr, "button");
        VelToolbarStatic label(2, L"Title", image.get(), false, DT_CENTER | DT_VCENTER, SIZE{50, 20}, nullptr, "s");
        button.Paint(&canvas, VelRect(0, 0, 50, 50));
        label.Paint(&canvas, VelRect(0, 50, 50, 70));
    }
    // The button and its font are gone; the canvas holds nothing of theirs.
    EXPECT_EQ(canvas.GetFont(), font);
    EXPECT_EQ(canvas.GetTextColor(), VelColor(1, 2, 3));
    EXPECT_EQ(canvas.GetTextFormat(), UINT(DT_LEFT | DT_SINGLELINE));
    EXPECT_TRUE(canvas.IsOpaque());
    EXPECT_EQ(canvas.GetBackColor(), VelColor(4, 5, 6));
}

TEST_F(ToolbarItemPaintTest, ButtonFontIsTheThemesToolbarItemFontMadeBoldOnRequest)
{
    VelToolbarButton button(1, L"Tab", nullptr, nullptr, nullptr, 2, nullptr, "button");
    int changes = 0;
    struct Counter {
        void OnChanged(VelObject*, const VelObjectChangeEventArgs*) { ++*count; }
        int* count;
    } counter{&changes};
    button.Changed += VelBind(&counter, &Counter::OnChanged);
    const LOGFONTW& theme = CurrentTheme->GetToolbarItemFont()->GetLogFont();

    for (bool bold : {true, false}) {
        button.SetBold(bold);
        canvas.fonts.clear();
        button.Paint(&canvas, VelRect(0, 0, 60, 40));
        ASSERT_FALSE(canvas.fonts.empty());
        EXPECT_EQ(canvas.fonts[0].lfWeight, bold ? 700 : 400);
        EXPECT_EQ(std::wstring(canvas.fonts[0].lfFaceName), std::wstring(theme.lfFaceName));
        EXPECT_EQ(canvas.fonts[0].lfHeight, theme.lfHeight);
    }
    EXPECT_EQ(changes, 2);
    button.SetText(L"Other");
    button.SetImage(nullptr);
    button.SetSelectedImage(nullptr);
    button.SetHighlightedImage(nullptr);
    EXPECT_EQ(changes, 6);
}

TEST_F(ToolbarItemPaintTest, ToggleButtonFlipsBeforeItsClick)
{
    struct Probe {
        void OnClick(VelObject*, const VelToolbarItemEventArgs* args) { seen.push_back(args->item->IsSelected()); }
        std::vector<bool> seen;
    };
    for (DWORD style : {DWORD(16), DWORD(8)}) {
        Probe probe;
        VelToolbarButton button(1, L"", nullptr, nullptr, nullptr, style, nullptr, "button");
        button.Click += VelBind(&probe, &Probe::OnClick);
        button.RaiseClick();
        button.RaiseClick();
        const std::vector<bool> expected =
            style == 16 ? std::vector<bool>{true, false} : std::vector<bool>{false, false};
        EXPECT_EQ(probe.seen, expected) << style;
    }
}

TEST_F(ToolbarItemPaintTest, StaticFitsItsImageIntoTheRectangle)
{
    struct Case {
        SIZE image;
        RECT rect;
        RECT drawn;
    };
    const Case cases[] = {
        {{20, 10}, {0, 0, 60, 30}, {20, 0, 40, 10}},  // narrower: centred, unstretched
        {{80, 40}, {0, 0, 60, 30}, {0, 0, 60, 30}},   // larger: stretched into the rectangle
        {{20, 10}, {0, 0, 60, 5}, {20, 0, 40, 5}},    // narrower but taller: narrowed, then squeezed
    };
    for (const Case& c : cases) {
        canvas.SetBackColor(VelColor::FromColorRef(kGrey));
        canvas.FillRect(VelRect(0, 0, 100, 80));
        std::unique_ptr<VelBitmap> image = SolidBitmap(c.image.cx, c.image.cy, kRed);
        VelToolbarStatic label(1, L"", image.get(), false, 0, SIZE{0, 0}, nullptr, "label");
        label.Paint(&canvas, c.rect);
        const VelRect d(c.drawn);
        ExpectBlock(d.left, d.top, d.GetWidth(), d.GetHeight(), kRed);
    }
}

TEST_F(ToolbarItemPaintTest, StaticDrawsItsTextThroughTheThemeInItsOwnFormat)
{
    ToolbarTheme& theme = static_cast<ToolbarTheme&>(*CurrentTheme);
    std::unique_ptr<VelBitmap> image = SolidBitmap(20, 10, kRed);
    VelToolbarStatic title(253, L"Contacts", nullptr, false, DT_CENTER | DT_VCENTER, SIZE{240, 32}, nullptr, "t");
    title.Paint(&canvas, VelRect(0, 0, 100, 32));
    title.SetImage(image.get());
    title.Paint(&canvas, VelRect(0, 40, 100, 72));
    title.SetText(L"");
    title.Paint(&canvas, VelRect(0, 0, 100, 32));

    ASSERT_EQ(theme.texts.size(), 2u);
    EXPECT_EQ(theme.texts[0].text, L"Contacts");
    EXPECT_EQ(theme.texts[0].point, VelPoint(0, 0));
    EXPECT_EQ(theme.texts[0].size.cx, 100);
    EXPECT_EQ(theme.texts[0].size.cy, 32);
    EXPECT_EQ(theme.texts[0].format, UINT(DT_CENTER | DT_VCENTER));
    EXPECT_FALSE(theme.texts[0].opaque);
    // With an image the text shares its narrowed rectangle.
    EXPECT_EQ(theme.texts[1].point, VelPoint(40, 40));
    EXPECT_EQ(theme.texts[1].size.cx, 20);
}

TEST_F(ToolbarItemPaintTest, StaticSizeComesFromItsImageUnlessItHasNone)
{
    std::unique_ptr<VelBitmap> image = SolidBitmap(24, 16, kRed);
    struct Case {
        bool noSize;
        SIZE reported;
    };
    const Case cases[] = {{false, {24, 16}}, {true, {7, 9}}};
    for (const Case& c : cases) {
        VelToolbarStatic label(1, L"x", nullptr, c.noSize, 0, SIZE{50, 20}, nullptr, "label");
        label.SetImage(image.get());
        SIZE size = {7, 9};
        label.GetSize(size);
        EXPECT_EQ(size.cx, c.reported.cx) << c.noSize;
        EXPECT_EQ(size.cy, c.reported.cy) << c.noSize;
    }
    VelToolbarStatic label(1, L"x", image.get(), false, 0, SIZE{50, 20}, nullptr, "label");
    label.SetImage(nullptr);
    SIZE size = {7, 9};
    label.GetSize(size);
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 0);
}
