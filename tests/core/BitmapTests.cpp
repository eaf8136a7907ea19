#include "TestImages.h"

#include <VelBitmap.h>
#include <VelWinException.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using testimages::Rgba;

// A 32-bit top-down DIB selected into a memory DC, filled white.
class Surface {
public:
    Surface(int width, int height) : m_width(width)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_previous = ::SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < width * height; ++i)
            m_bits[i] = 0xFFFFFF;
    }
    ~Surface()
    {
        ::SelectObject(m_dc, m_previous);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    HDC GetDC() const { return m_dc; }
    // 0x00RRGGBB
    DWORD Pixel(int x, int y) const
    {
        ::GdiFlush();
        return m_bits[y * m_width + x] & 0xFFFFFF;
    }

private:
    int m_width;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
    DWORD* m_bits;
};

VelBitmap PngBitmap(const std::vector<uint8_t>& png) { return VelBitmap(png.data(), static_cast<DWORD>(png.size())); }

TEST(BitmapFromMemory, DecodesAPngWithItsSizeAndAlpha)
{
    // Left half opaque red, right half fully transparent.
    std::vector<Rgba> pixels;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            pixels.push_back(x < 2 ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, 0});
    const VelBitmap bitmap = PngBitmap(testimages::MakePng(4, 3, pixels));
    EXPECT_FALSE(bitmap.IsEmpty());
    EXPECT_EQ(bitmap.GetWidth(), 4);
    EXPECT_EQ(bitmap.GetHeight(), 3);
    EXPECT_EQ(bitmap.GetHandle(), nullptr);
    ASSERT_NE(bitmap.GetImage(), nullptr);
    EXPECT_EQ(bitmap.GetKeyColor().GetFlag(), 1);  // no key colour until one is set

    Surface surface(8, 6);
    const RECT destination = {0, 0, 8, 6};
    ASSERT_EQ(bitmap.GetImage()->Draw(surface.GetDC(), &destination, nullptr), S_OK);
    EXPECT_EQ(surface.Pixel(1, 1), 0xFF0000u);
    EXPECT_EQ(surface.Pixel(6, 4), 0xFFFFFFu);  // the transparent half leaves the background

    const RECT rightHalf = {2, 0, 4, 3};
    ASSERT_EQ(bitmap.GetImage()->Draw(surface.GetDC(), &destination, &rightHalf), S_OK);
    EXPECT_EQ(surface.Pixel(1, 1), 0xFF0000u);
}

TEST(BitmapFromMemory, BadBytesGiveAnEmptyBitmapNeverACrash)
{
    const std::vector<uint8_t> png = testimages::MakeSolidPng(16, 16, Rgba{0, 255, 0, 255});
    std::vector<std::vector<uint8_t>> inputs;
    for (size_t length : {size_t(1), size_t(8), size_t(20), size_t(40), png.size() / 2, png.size() - 13})
        inputs.push_back(std::vector<uint8_t>(png.begin(), png.begin() + length));
    std::vector<uint8_t> corrupt = png;
    corrupt[20] ^= 0x5A;  // breaks the header's checksum and size
    inputs.push_back(corrupt);
    inputs.push_back(std::vector<uint8_t>(300, 0xAB));
    for (const std::vector<uint8_t>& input : inputs) {
        const VelBitmap bitmap = PngBitmap(input);
        EXPECT_TRUE(bitmap.IsEmpty()) << input.size() << " bytes";
        EXPECT_EQ(bitmap.GetWidth(), 0);
        EXPECT_EQ(bitmap.GetHeight(), 0);
    }
    EXPECT_TRUE(VelBitmap(static_cast<const void*>(nullptr), 0).IsEmpty());
}

TEST(BitmapFromMemory, CopiesShareTheImageAndReleaseItOnce)
{
    VelBitmap* original = new VelBitmap(PngBitmap(testimages::MakeSolidPng(2, 2, Rgba{1, 2, 3, 255})));
    IImage* image = original->GetImage();
    image->AddRef();
    VelBitmap* copy = new VelBitmap(*original);
    EXPECT_EQ(copy->GetImage(), image);
    delete original;
    EXPECT_EQ(copy->GetWidth(), 2);
    delete copy;
    EXPECT_EQ(image->Release(), 0u);  // ours was the last reference
}

TEST(BitmapFromImage, TakesAReferenceAndThumbnailsKeepTheAskedSize)
{
    VelBitmap source = PngBitmap(testimages::MakeSolidPng(100, 50, Rgba{0, 0, 255, 255}));
    IImage* thumbnail = nullptr;
    ASSERT_EQ(source.GetImage()->GetThumbnail(70, 35, &thumbnail), S_OK);
    {
        VelBitmap bitmap(thumbnail);
        EXPECT_EQ(bitmap.GetWidth(), 70);
        EXPECT_EQ(bitmap.GetHeight(), 35);
    }
    ImageInfo info = {};
    EXPECT_EQ(thumbnail->GetImageInfo(&info), S_OK);  // still alive: the bitmap had its own reference
    EXPECT_EQ(thumbnail->Release(), 0u);
    EXPECT_TRUE(VelBitmap(static_cast<IImage*>(nullptr)).IsEmpty());
}

class BitmapFile : public ::testing::Test {
protected:
    void TearDown() override { ::DeleteFileW(path.c_str()); }
    std::wstring path = testimages::TempPath(L"vel-bitmap-test.bmp");
};

TEST_F(BitmapFile, LoadsItsSizeAndDepth)
{
    testimages::WriteFileBytes(path, testimages::MakeBmp(7, 5, RGB(10, 20, 30)));
    VelBitmap bitmap(path);
    ASSERT_NE(bitmap.GetHandle(), nullptr);
    EXPECT_EQ(bitmap.GetWidth(), 7);
    EXPECT_EQ(bitmap.GetHeight(), 5);
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 24);
    EXPECT_EQ(bitmap.GetImage(), nullptr);
}

TEST_F(BitmapFile, MissingOrDamagedFileThrowsTheLoadError)
{
    const std::vector<uint8_t> bmp = testimages::MakeBmp(7, 5, 0);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;  // empty: no file at all
        DWORD error;                 // 0: any error
    } cases[] = {
        {"missing", {}, ERROR_FILE_NOT_FOUND},
        {"garbage", std::vector<uint8_t>(64, 0x11), 0},
        {"truncated", std::vector<uint8_t>(bmp.begin(), bmp.begin() + 10), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::DeleteFileW(path.c_str());
        if (!c.bytes.empty())
            testimages::WriteFileBytes(path, c.bytes);
        try {
            VelBitmap bitmap(path);
            ADD_FAILURE() << "loaded";
        } catch (const VelWinException& e) {
            const std::wstring prefix = L"[Error loading image at VelBitmap ctor]: Failed with error ";
            EXPECT_EQ(e.GetMessageText().rfind(prefix, 0), 0u);
            EXPECT_NE(e.GetErrorCode(), 0u);
            if (c.error) {
                EXPECT_EQ(e.GetErrorCode(), c.error);
            }
        }
    }
}

TEST(BitmapFromHandle, OwnsTheHandleAndCopiesDeleteItOnce)
{
    HBITMAP handle = ::CreateBitmap(9, 4, 1, 32, nullptr);
    VelBitmap* original = new VelBitmap(handle);
    EXPECT_EQ(original->GetSize().cx, 9);
    EXPECT_EQ(original->GetBitsPerPixel(), 32);
    VelBitmap* copy = new VelBitmap(*original);
    delete original;
    EXPECT_EQ(::GetObjectType(handle), static_cast<DWORD>(OBJ_BITMAP));
    delete copy;
    EXPECT_EQ(::GetObjectType(handle), 0u);
}

TEST(BitmapFromHandle, BitmapMadeForADeviceContextIsSelectedOutBeforeDeletion)
{
    HDC screen = ::GetDC(nullptr);
    HDC target = ::CreateCompatibleDC(screen);
    HGDIOBJ original = ::GetCurrentObject(target, OBJ_BITMAP);
    HBITMAP handle;
    {
        VelBitmap bitmap(screen, 16, 8, target);
        handle = bitmap.GetHandle();
        EXPECT_EQ(::GetCurrentObject(target, OBJ_BITMAP), handle);
        EXPECT_EQ(bitmap.GetWidth(), 16);
    }
    EXPECT_EQ(::GetCurrentObject(target, OBJ_BITMAP), original);
    EXPECT_EQ(::GetObjectType(handle), 0u);
    ::DeleteDC(target);
    ::ReleaseDC(nullptr, screen);
}

TEST(BitmapFromHandle, ScreenCompatibleAndMonochromePattern)
{
    VelBitmap screen(20, 10);
    EXPECT_EQ(screen.GetWidth(), 20);
    EXPECT_EQ(screen.GetHeight(), 10);

    const BYTE rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    VelBitmap pattern(rows);
    EXPECT_EQ(pattern.GetWidth(), 8);
    EXPECT_EQ(pattern.GetBitsPerPixel(), 1);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ previous = ::SelectObject(dc, pattern.GetHandle());
    EXPECT_NE(::GetPixel(dc, 0, 0), ::GetPixel(dc, 1, 0));
    EXPECT_EQ(::GetPixel(dc, 0, 0), ::GetPixel(dc, 1, 1));
    ::SelectObject(dc, previous);
    ::DeleteDC(dc);
}

TEST(BitmapFit, FitsTheBoundKeepingProportions)
{
    struct Case {
        int width, height;
        SIZE bound;
        SIZE fitted;
    } cases[] = {
        {200, 100, {100, 100}, {100, 50}},
        {200, 100, {300, 50}, {100, 50}},
        {50, 100, {70, 70}, {35, 70}},
    };
    for (const Case& c : cases) {
        VelBitmap bitmap(c.width, c.height);
        const SIZE fitted = bitmap.FitSize(c.bound);
        EXPECT_EQ(fitted.cx, c.fitted.cx) << c.width << "x" << c.height;
        EXPECT_EQ(fitted.cy, c.fitted.cy);
    }
    VelBitmap empty(static_cast<IImage*>(nullptr));
    empty.SetWidth(500);  // a side of 0: each side clamped on its own
    const SIZE clamped = empty.FitSize(SIZE{40, 30});
    EXPECT_EQ(clamped.cx, 40);
    EXPECT_EQ(clamped.cy, 0);
}

// A copy of this test program with a bitmap resource (id 7) and a PNG (id 8).
class BitmapResource : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t self[MAX_PATH];
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        ASSERT_TRUE(::CopyFileW(self, path.c_str(), FALSE));
        const std::vector<uint8_t> bmp = testimages::MakeBmp(6, 3, RGB(1, 2, 3));
        const std::vector<uint8_t> dib(bmp.begin() + sizeof(BITMAPFILEHEADER), bmp.end());
        const std::vector<uint8_t> png = testimages::MakeSolidPng(5, 4, Rgba{9, 9, 9, 255});
        HANDLE update = ::BeginUpdateResourceW(path.c_str(), FALSE);
        ASSERT_NE(update, nullptr);
        const WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
        ::UpdateResourceW(update, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(7), language, const_cast<uint8_t*>(dib.data()),
                          static_cast<DWORD>(dib.size()));
        ::UpdateResourceW(update, L"PNG", MAKEINTRESOURCEW(8), language, const_cast<uint8_t*>(png.data()),
                          static_cast<DWORD>(png.size()));
        ASSERT_TRUE(::EndUpdateResourceW(update, FALSE));
        module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override
    {
        if (module)
            ::FreeLibrary(module);
        ::DeleteFileW(path.c_str());
    }
    std::wstring path = testimages::TempPath(L"vel-bitmap-resources.exe");
    HMODULE module = nullptr;
};

TEST_F(BitmapResource, LoadsABitmapResourceOrElseDecodesAnImageResource)
{
    VelBitmap* bitmap = VelBitmap::LoadResource(7, module);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_NE(bitmap->GetHandle(), nullptr);
    EXPECT_EQ(bitmap->GetWidth(), 6);
    delete bitmap;

    VelBitmap* image = VelBitmap::LoadResource(8, module);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(image->GetImage(), nullptr);
    EXPECT_EQ(image->GetWidth(), 5);
    EXPECT_EQ(image->GetHeight(), 4);
    delete image;

    EXPECT_EQ(VelBitmap::LoadResource(8, module, L"JPEG"), nullptr);
    VelBitmap direct(module, 7);
    EXPECT_EQ(direct.GetHeight(), 3);
}

TEST(BitmapResourceMissing, MissingResourceGivesNull)
{
    EXPECT_EQ(VelBitmap::LoadResource(4711, ::GetModuleHandleW(nullptr)), nullptr);
    EXPECT_EQ(VelBitmap::LoadResource(4711, ::GetModuleHandleW(nullptr), L"PNG"), nullptr);
}

TEST(BitmapNames, ClassNames)
{
    VelBitmap bitmap(static_cast<IImage*>(nullptr));
    EXPECT_STREQ(bitmap.GetClassName(), L"VelBitmap");
    VelGraphicObject object;
    EXPECT_STREQ(object.GetClassName(), L"VelGraphicObject");
}

}  // namespace
