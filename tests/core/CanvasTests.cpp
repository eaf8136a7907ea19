#include <gtest/gtest.h>

#include "VelBitmap.h"
#include "VelGDICanvas.h"
#include "VelGDIRenderer.h"
#include "VelGradient.h"
#include <CeTransparentImage.h>
#include <memory>

namespace {

const VelColor kRed(255, 0, 0);
const VelColor kGreen(0, 255, 0);
const VelColor kBlue(0, 0, 255);
const VelColor kWhite(255, 255, 255);

class CanvasTest : public ::testing::Test {
protected:
    CanvasTest() : canvas(static_cast<VelGDICanvas*>(renderer.CreateCanvas(64, 32))) {}

    void Fill(const VelColor& color)
    {
        canvas->SetBackColor(color);
        canvas->FillRect(VelRect(0, 0, 64, 32));
    }

    COLORREF Pixel(int x, int y) const { return ::GetPixel(canvas->GetDC(), x, y); }

    // Counts the pixels of a column range that are not the background.
    int Inked(int fromX, int toX, COLORREF background) const
    {
        int count = 0;
        for (int x = fromX; x < toX; ++x)
            for (int y = 0; y < canvas->GetHeight(); ++y)
                count += Pixel(x, y) != background;
        return count;
    }

    VelGDIRenderer renderer;
    std::unique_ptr<VelGDICanvas> canvas;
};

TEST_F(CanvasTest, StartsWithTheDocumentedState)
{
    EXPECT_EQ(canvas->GetTextFormat(), static_cast<UINT>(DT_SINGLELINE | DT_END_ELLIPSIS));
    EXPECT_TRUE(canvas->IsOpaque());
    EXPECT_EQ(canvas->GetBackColor(), kWhite);
    EXPECT_EQ(canvas->GetTextColor(), VelColor(0, 0, 0));
    EXPECT_TRUE(canvas->GetClipRegion().IsEmpty());
    EXPECT_EQ(canvas->GetGradientMode(), 1);
    EXPECT_EQ(::GetCurrentObject(canvas->GetDC(), OBJ_FONT), canvas->GetFont()->GetHandle());
}

TEST_F(CanvasTest, KeptTextMetricsFollowAFontThatChanges)
{
    VelFont font(L"Tahoma", 10);
    VelFont other(L"Tahoma", 30, 700);
    const LONG small = canvas->GetTextMetrics(&font).metrics.tmHeight;
    EXPECT_EQ(canvas->GetTextMetrics(&font).metrics.tmHeight, small) << "asked again";
    EXPECT_GT(canvas->GetTextMetrics(&other).metrics.tmHeight, small);
    // A change makes a new handle: the metrics kept for the old one must not answer.
    font.SetPointSize(40);
    EXPECT_GT(canvas->GetTextMetrics(&font).metrics.tmHeight, small);
    // More fonts than are kept: each still answers with its own.
    std::vector<std::unique_ptr<VelFont>> fonts;
    for (int points = 8; points <= 32; points += 4)
        fonts.emplace_back(new VelFont(L"Tahoma", points));
    LONG previous = 0;
    for (int round = 0; round < 2; ++round, previous = 0) {
        for (const auto& f : fonts) {
            const LONG height = canvas->GetTextMetrics(f.get()).metrics.tmHeight;
            EXPECT_GT(height, previous) << "round " << round;
            previous = height;
        }
    }
    EXPECT_EQ(::GetCurrentObject(canvas->GetDC(), OBJ_FONT), canvas->GetFont()->GetHandle());
}

TEST_F(CanvasTest, ViewportMapsBothWaysOnlyWhenSet)
{
    EXPECT_EQ(canvas->ToCanvasPoint(VelPoint(1, 1)), VelPoint(1, 1));
    canvas->SetViewport(VelRect(10, 20, 110, 220));
    EXPECT_EQ(canvas->ToCanvasPoint(VelPoint(1, 1)), VelPoint(11, 21));
    EXPECT_EQ(canvas->FromCanvasPoint(VelPoint(11, 21)), VelPoint(1, 1));
    EXPECT_EQ(canvas->ToCanvasRect(VelRect(0, 0, 5, 5)), VelRect(10, 20, 15, 25));

    // Drawing goes through the mapping.
    canvas->SetViewport(VelRect());
    Fill(kWhite);
    canvas->SetViewport(VelRect(10, 5, 20, 15));
    canvas->SetBackColor(kRed);
    canvas->FillRect(VelRect(0, 0, 2, 2));
    EXPECT_EQ(Pixel(10, 5), kRed.ToColorRef());
    EXPECT_EQ(Pixel(0, 0), kWhite.ToColorRef());
}

TEST_F(CanvasTest, ClipIsCutToTheCanvasAndKeepsItsEmptyFlag)
{
    canvas->SetClip(VelRegion(VelRect(100, 100, 200, 200)));
    EXPECT_TRUE(canvas->GetClipRegion().IsEmpty());

    canvas->SetClip(VelRegion(VelRect(-10, -10, 10, 10)));
    EXPECT_EQ(canvas->GetClipRegion().GetBounds(), VelRect(0, 0, 10, 10));
    canvas->AddClip(VelRegion(VelRect(60, 0, 80, 5)));
    EXPECT_EQ(canvas->GetClipRegion().GetBounds(), VelRect(0, 0, 64, 10));
    canvas->ExcludeClip(VelRegion(VelRect(0, 0, 64, 32)));
    EXPECT_TRUE(canvas->GetClipRegion().IsEmpty());

    canvas->SetClip(VelRegion(VelRect(0, 0, 4, 4)));
    canvas->ClearClip();
    EXPECT_TRUE(canvas->GetClipRegion().IsEmpty());
}

TEST_F(CanvasTest, SelectedClipLimitsDrawing)
{
    Fill(kWhite);
    canvas->SelectClipRegion(VelRegion(VelRect(0, 0, 8, 8)));
    EXPECT_EQ(canvas->GetSelectedClipRegion().GetBounds(), VelRect(0, 0, 8, 8));
    Fill(kRed);
    EXPECT_EQ(Pixel(2, 2), kRed.ToColorRef());
    EXPECT_EQ(Pixel(20, 20), kWhite.ToColorRef());
}

TEST_F(CanvasTest, MeasuredTextGetsTheWidthItNeeds)
{
    const std::wstring text = L"WWWWWWWWWWWWWWWWWWWW";
    const COLORREF white = kWhite.ToColorRef();

    Fill(kWhite);
    canvas->DrawText(text, VelPoint(0, 0), SIZE{10, 30});
    EXPECT_EQ(Inked(12, 64, white), 0) << "a fixed rectangle cuts the text";

    Fill(kWhite);
    canvas->DrawText(text, VelPoint(0, 0), SIZE{VelCanvas::kMeasure, 30});
    EXPECT_GT(Inked(12, 64, white), 0) << "a measured rectangle is as wide as the text";
    EXPECT_GT(canvas->MeasureText(text).cx, 64);
}

TEST_F(CanvasTest, TextRangesPastTheEndAreCut)
{
    Fill(kWhite);
    canvas->DrawTextAt(L"WW", VelPoint(0, 0), 1, 50);
    EXPECT_GT(Inked(0, 64, kWhite.ToColorRef()), 0);
    Fill(kWhite);
    canvas->DrawTextAt(L"WW", VelPoint(0, 0), 5, 1);
    EXPECT_EQ(Inked(0, 64, kWhite.ToColorRef()), 0);
}

TEST_F(CanvasTest, FramingRestoresTheCallersBrush)
{
    VelSolidBrush brush(kGreen);
    canvas->SetBrush(&brush);
    Fill(kWhite);
    canvas->FrameRect(VelRect(2, 2, 20, 20));
    EXPECT_EQ(::GetCurrentObject(canvas->GetDC(), OBJ_BRUSH), brush.GetHandle());
    EXPECT_EQ(Pixel(10, 10), kWhite.ToColorRef()) << "a frame is hollow";
    EXPECT_EQ(Pixel(2, 10), RGB(0, 0, 0)) << "drawn with the default pen";

    canvas->FramePolygon({VelPoint(30, 2), VelPoint(60, 2), VelPoint(60, 30)});
    EXPECT_EQ(::GetCurrentObject(canvas->GetDC(), OBJ_BRUSH), brush.GetHandle());

    canvas->DrawRect(VelRect(2, 2, 20, 20));
    EXPECT_EQ(Pixel(10, 10), kGreen.ToColorRef()) << "a drawn rectangle is filled with the brush";
}

TEST_F(CanvasTest, TextMetricsOfAnotherFontLeaveTheCurrentOneSelected)
{
    VelFont large(L"Tahoma", 24, 700);
    const VelTextMetrics current = canvas->GetTextMetrics(nullptr);
    const VelTextMetrics other = canvas->GetTextMetrics(&large);
    EXPECT_GT(other.metrics.tmHeight, current.metrics.tmHeight);
    EXPECT_EQ(other.stale, 0);
    EXPECT_EQ(::GetCurrentObject(canvas->GetDC(), OBJ_FONT), canvas->GetFont()->GetHandle());
}

TEST_F(CanvasTest, DitherInvertsEveryOtherPixel)
{
    Fill(kWhite);
    canvas->DitherRect(VelRect(0, 0, 8, 8));
    EXPECT_NE(Pixel(0, 0), Pixel(1, 0));
    EXPECT_EQ(Pixel(0, 0), Pixel(1, 1));
    EXPECT_EQ(Pixel(9, 9), kWhite.ToColorRef());
}

TEST_F(CanvasTest, DitherInvertsEveryOtherPixelWhateverColoursTheCanvasHolds)
{
    const VelColor ground(40, 120, 200);
    const VelColor text(200, 30, 30);
    Fill(ground);
    canvas->SetTextColor(text);
    canvas->DitherRect(VelRect(0, 0, 8, 8));
    const COLORREF kept = ground.ToColorRef();
    const COLORREF inverted = kept ^ RGB(255, 255, 255);
    // A checkerboard of the ground and its inverse, which corner first is the pattern's.
    const bool cornerKept = Pixel(0, 0) == kept;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(Pixel(x, y), ((x + y) % 2 == 0) == cornerKept ? kept : inverted) << "at " << x << ", " << y;
    EXPECT_EQ(::GetTextColor(canvas->GetDC()), text.ToColorRef()) << "the canvas's colours are put back";
    EXPECT_EQ(::GetBkColor(canvas->GetDC()), kept);
}

TEST_F(CanvasTest, PixelsReadAndWriteThroughTheForeColour)
{
    canvas->SetForeColor(kBlue);
    canvas->SetPixel(VelPoint(3, 4));
    const VelColor read = canvas->GetPixel(VelPoint(3, 4));
    EXPECT_EQ(read, kBlue);
    EXPECT_EQ(read.GetFlag(), 0);
}

// Both fill modes draw the same ramp.
class GradientFillTest : public CanvasTest, public ::testing::WithParamInterface<int> {};

TEST_P(GradientFillTest, ControlPointsLieAlongTheExtent)
{
    canvas->SetGradientMode(GetParam());
    VelGradient gradient(64);
    gradient.AddColorPointAbsolute(0, kRed);
    gradient.AddColorPointAbsolute(63, kBlue);
    canvas->FillGradient(VelRect(0, 0, 64, 32), gradient, kGradientHorizontal);
    EXPECT_GT(GetRValue(Pixel(0, 10)), 240);
    EXPECT_GT(GetBValue(Pixel(63, 10)), 230);
    EXPECT_LT(GetRValue(Pixel(63, 10)), 20);

    VelGradient three(33);
    three.AddColorPointAbsolute(0, kRed);
    three.AddColorPointAbsolute(16, kGreen);
    three.AddColorPointAbsolute(32, kBlue);
    canvas->FillGradient(VelRect(0, 0, 64, 32), three, kGradientVertical);
    EXPECT_GT(GetRValue(Pixel(5, 0)), 230);
    EXPECT_GT(GetGValue(Pixel(5, 16)), 230) << "the middle point lies at the middle of the extent";
    EXPECT_GT(GetBValue(Pixel(5, 31)), 200);
}

INSTANTIATE_TEST_SUITE_P(Modes, GradientFillTest, ::testing::Values(0, 1));

TEST_F(CanvasTest, BandsWithoutControlPointsFillWithTheFirstColour)
{
    canvas->SetGradientMode(0);
    VelGradient none(8);
    Fill(kWhite);
    canvas->FillGradient(VelRect(0, 0, 10, 10), none, kGradientHorizontal);
    EXPECT_EQ(Pixel(5, 5), RGB(0, 0, 0));
    EXPECT_EQ(canvas->GetBackColor(), kWhite) << "the background colour is put back";
}

// A 4 x 1 bitmap: red, white, red, white.
HBITMAP StripedBitmap(HDC model)
{
    HBITMAP bitmap = ::CreateCompatibleBitmap(model, 4, 1);
    HDC dc = ::CreateCompatibleDC(model);
    HGDIOBJ previous = ::SelectObject(dc, bitmap);
    for (int x = 0; x < 4; ++x)
        ::SetPixel(dc, x, 0, x % 2 ? RGB(255, 255, 255) : RGB(255, 0, 0));
    ::SelectObject(dc, previous);
    ::DeleteDC(dc);
    return bitmap;
}

TEST_F(CanvasTest, KeyColourMakesABitmapTransparent)
{
    VelBitmap bitmap(StripedBitmap(renderer.GetScreenDC()));
    Fill(kBlue);
    canvas->DrawBitmap(bitmap, VelPoint(0, 0), SRCCOPY);
    EXPECT_EQ(Pixel(1, 0), kWhite.ToColorRef()) << "without a key every pixel is copied";

    bitmap.SetKeyColor(kWhite);
    Fill(kBlue);
    canvas->DrawBitmap(bitmap, VelPoint(0, 0), SRCCOPY);
    EXPECT_EQ(Pixel(0, 0), kRed.ToColorRef());
    EXPECT_EQ(Pixel(1, 0), kBlue.ToColorRef()) << "key pixels leave what was there";

    Fill(kBlue);
    canvas->DrawBitmapPart(bitmap, VelPoint(10, 0), SIZE{2, 1}, VelPoint(2, 0), SRCCOPY);
    EXPECT_EQ(Pixel(10, 0), kRed.ToColorRef());
    EXPECT_EQ(Pixel(11, 0), kBlue.ToColorRef());
}

TEST_F(CanvasTest, BitmapsStretchAndEmptyOnesDrawNothing)
{
    VelBitmap bitmap(StripedBitmap(renderer.GetScreenDC()));
    Fill(kBlue);
    canvas->StretchBitmap(bitmap, VelPoint(0, 0), SIZE{8, 2}, VelPoint(0, 0), SIZE{4, 1}, SRCCOPY);
    EXPECT_EQ(Pixel(0, 1), kRed.ToColorRef());
    EXPECT_EQ(Pixel(3, 1), kWhite.ToColorRef());

    VelBitmap empty(static_cast<IImage*>(nullptr));
    Fill(kBlue);
    canvas->DrawBitmap(empty, VelPoint(0, 0), SRCCOPY);
    EXPECT_EQ(Pixel(0, 0), kBlue.ToColorRef());
}

TEST_F(CanvasTest, CopiesGoToAnotherCanvas)
{
    std::unique_ptr<VelCanvas> target(renderer.CreateCanvas(16, 16));
    target->SetBackColor(kWhite);
    target->FillRect(VelRect(0, 0, 16, 16));
    Fill(kRed);
    canvas->CopyToCanvas(target.get(), POINT{4, 4}, SIZE{2, 2}, POINT{0, 0}, SRCCOPY);
    EXPECT_EQ(::GetPixel(target->GetDC(), 4, 4), kRed.ToColorRef());
    EXPECT_EQ(::GetPixel(target->GetDC(), 6, 6), kWhite.ToColorRef());
    canvas->CopyToCanvas(nullptr, POINT{0, 0}, SIZE{2, 2}, POINT{0, 0}, SRCCOPY);
}

TEST_F(CanvasTest, ScrollReportsTheUncoveredArea)
{
    Fill(kWhite);
    canvas->SetBackColor(kRed);
    canvas->FillRect(VelRect(0, 0, 4, 32));
    RECT uncovered = {};
    canvas->Scroll(10, 0, nullptr, &uncovered);
    EXPECT_EQ(Pixel(12, 5), kRed.ToColorRef());
    EXPECT_EQ(uncovered.left, 0);
    EXPECT_EQ(uncovered.right, 10);
}

TEST(TransparentImage, RefusesWhatIsNotADcOrABitmap)
{
    HDC screen = ::GetDC(nullptr);
    EXPECT_FALSE(TransparentImage(screen, 0, 0, 1, 1, nullptr, 0, 0, 1, 1, 0));
    EXPECT_FALSE(TransparentImage(screen, 0, 0, 1, 1, ::GetStockObject(NULL_BRUSH), 0, 0, 1, 1, 0));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    ::ReleaseDC(nullptr, screen);
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(window, message, wParam, lParam);
}

TEST(CanvasPresent, TheWindowShowsTheCanvas)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"CanvasPresentTest";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(WS_EX_TOPMOST, L"CanvasPresentTest", L"", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30,
                                    nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_TRUE(window != nullptr);
    ::UpdateWindow(window);

    VelGDIRenderer renderer;
    std::unique_ptr<VelCanvas> canvas(renderer.CreateClientCanvas(window));
    ASSERT_EQ(canvas->GetWidth(), 40);
    ASSERT_EQ(canvas->GetHeight(), 30);
    canvas->SetBackColor(kGreen);
    canvas->FillRect(VelRect(0, 0, 40, 30));
    EXPECT_NE(canvas->Present(0, 0), 0);

    HDC dc = ::GetDC(window);
    EXPECT_EQ(::GetPixel(dc, 20, 15), kGreen.ToColorRef());
    ::ReleaseDC(window, dc);
    RECT update;
    EXPECT_FALSE(::GetUpdateRect(window, &update, FALSE)) << "the present validated the window";
    ::DestroyWindow(window);
}

}  // namespace
