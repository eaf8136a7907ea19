#include <VelFont.h>
#include <VelGDIRenderer.h>
#include <VelHollowBrush.h>
#include <VelPen.h>
#include <VelScreenMetrics.h>
#include <VelSolidBrush.h>
#include <VelWinException.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring SystemText(DWORD error)
{
    wchar_t* buffer = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = buffer ? buffer : L"";
    ::LocalFree(buffer);
    return text;
}

TEST(WinException, CarriesWhereErrorAndTheSystemsText)
{
    const std::wstring system = SystemText(ERROR_NOT_ENOUGH_MEMORY);
    ASSERT_FALSE(system.empty());
    try {
        throw VelWinException(L"VelFont ctor", ERROR_NOT_ENOUGH_MEMORY);
    } catch (const std::runtime_error& error) {  // reachable through the standard base
        const VelWinException& e = dynamic_cast<const VelWinException&>(error);
        EXPECT_EQ(e.GetMessageText(), L"[VelFont ctor]: Failed with error 8: " + system);
        EXPECT_EQ(e.GetSystemText(), system);
        EXPECT_EQ(e.GetErrorCode(), 8u);
        EXPECT_EQ(std::string(error.what()).rfind("[VelFont ctor]: Failed with error 8: ", 0), 0u);
        VelWinException copy(e);
        EXPECT_EQ(copy.GetMessageText(), e.GetMessageText());
    }
}

TEST(WinException, CodeWithoutSystemTextLeavesTheTextEmpty)
{
    VelWinException e(L"VelPen::VelPen", 0x2FFFFFFF);
    EXPECT_EQ(e.GetMessageText(), L"[VelPen::VelPen]: Failed with error 805306367: ");
}

TEST(Font, HeightFromPointsAndResolution)
{
    struct Case {
        int points, dpi, height;
    } cases[] = {{10, 96, -13}, {10, 192, -27}, {8, 96, -11}, {12, 192, -32}, {16, 96, -21}, {0, 96, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(VelFont::HeightForDpi(c.points, c.dpi), c.height) << c.points << "pt at " << c.dpi;
}

TEST(Font, BuildsItsDescriptionForTheScreen)
{
    const int dpi = VelScreenMetrics::GetScreenDeviceCaps(LOGPIXELSY);
    VelFont font(L"Tahoma", 12, FW_BOLD, VelFont::Italic | VelFont::ClearType);
    const LOGFONTW& f = font.GetLogFont();
    EXPECT_NE(font.GetHandle(), nullptr);
    EXPECT_EQ(f.lfHeight, VelFont::HeightForDpi(12, dpi));
    EXPECT_EQ(f.lfWeight, FW_BOLD);
    EXPECT_TRUE(f.lfItalic);
    EXPECT_FALSE(f.lfUnderline);
    EXPECT_EQ(f.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(f.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_STREQ(f.lfFaceName, L"Tahoma");

    VelFont defaults;
    EXPECT_EQ(defaults.GetPointSize(), 8);
    EXPECT_STREQ(defaults.GetLogFont().lfFaceName, L"");
    EXPECT_EQ(defaults.GetLogFont().lfQuality, CLEARTYPE_QUALITY);
}

TEST(Font, EveryChangeMakesANewHandleAndHeightUpdatesDoNot)
{
    VelFont font(L"Tahoma", 10);
    HFONT first = font.GetHandle();
    font.SetClearType(false);
    EXPECT_EQ(font.GetLogFont().lfQuality, DEFAULT_QUALITY);
    EXPECT_NE(font.GetHandle(), first);
    EXPECT_EQ(::GetObjectType(first), 0u);  // the old handle is gone

    font.SetPointSize(16);
    EXPECT_EQ(font.GetPointSize(), 16);
    HFONT current = font.GetHandle();
    font.UpdateHeightForDpi(192);
    EXPECT_EQ(font.GetLogFont().lfHeight, -43);
    EXPECT_EQ(font.GetHandle(), current);

    font.SetFace(L"AFaceNameThatIsFarLongerThanThirtyOneCharacters");
    EXPECT_EQ(std::wstring(font.GetLogFont().lfFaceName), L"AFaceNameThatIsFarLongerThanThi");
    font.Release();
    EXPECT_EQ(font.GetHandle(), nullptr);
}

TEST(Font, CopiesAndAssignmentOwnTheirOwnHandles)
{
    VelFont source(L"Tahoma", 10, FW_BOLD);
    VelFont copy(source);
    EXPECT_NE(copy.GetHandle(), source.GetHandle());
    EXPECT_EQ(copy.GetLogFont().lfWeight, FW_BOLD);

    VelFont target(L"Tahoma", 8);
    target.UpdateHeightForDpi(300);
    target.Assign(source);
    EXPECT_EQ(target.GetPointSize(), 10);
    EXPECT_EQ(target.GetLogFont().lfHeight,
              VelFont::HeightForDpi(10, VelScreenMetrics::GetScreenDeviceCaps(LOGPIXELSY)));
    EXPECT_NE(target.GetHandle(), source.GetHandle());
}

TEST(Pen, CreatesTheDescribedPen)
{
    VelPen pen(PS_DASH, 1, VelColor(1, 2, 3));
    LOGPEN description = {};
    ASSERT_EQ(::GetObjectW(pen.GetHandle(), sizeof(description), &description), static_cast<int>(sizeof(description)));
    EXPECT_EQ(description.lopnStyle, static_cast<UINT>(PS_DASH));
    EXPECT_EQ(description.lopnColor, RGB(1, 2, 3));
    VelPen moved(std::move(pen));
    EXPECT_EQ(pen.GetHandle(), nullptr);
    EXPECT_NE(moved.GetHandle(), nullptr);
}

TEST(Brushes, SolidBrushOwnsItsHandleAndHollowSharesTheStockOne)
{
    HBRUSH solidHandle;
    {
        VelSolidBrush solid(VelColor::FromRgb(0x102030));
        solidHandle = solid.GetHandle();
        LOGBRUSH description = {};
        ASSERT_NE(::GetObjectW(solidHandle, sizeof(description), &description), 0);
        EXPECT_EQ(description.lbColor, RGB(0x10, 0x20, 0x30));
    }
    EXPECT_EQ(::GetObjectType(solidHandle), 0u);

    HBRUSH stock;
    {
        VelHollowBrush hollow;
        stock = hollow.GetHandle();
        EXPECT_EQ(stock, ::GetStockObject(NULL_BRUSH));
    }
    EXPECT_EQ(::GetObjectType(stock), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(VelHollowBrush().GetHandle(), stock);

    VelSolidBrush* black = VelSolidBrush::CreateDefault();
    ASSERT_NE(black, nullptr);
    LOGBRUSH description = {};
    ::GetObjectW(black->GetHandle(), sizeof(description), &description);
    EXPECT_EQ(description.lbColor, RGB(0, 0, 0));
    delete black;
}

TEST(Renderer, MemoryDCHoldsAScreenSizedBitmapCompatibleWithTheScreen)
{
    VelGDIRenderer renderer;
    ASSERT_NE(renderer.GetScreenDC(), nullptr);
    HGDIOBJ selected = ::GetCurrentObject(renderer.GetMemoryDC(), OBJ_BITMAP);
    BITMAP bitmap = {};
    ASSERT_NE(::GetObjectW(selected, sizeof(bitmap), &bitmap), 0);
    EXPECT_EQ(bitmap.bmWidth, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(bitmap.bmHeight, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(bitmap.bmBitsPixel, ::GetDeviceCaps(renderer.GetScreenDC(), BITSPIXEL));
}

}  // namespace
