#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#include <wincodec.h>

#include <Platform/imaging/Imaging.h>

#include <string>

#include "TestImages.h"

namespace {

const size_t kMiB = 1024 * 1024;

size_t PeakBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize;
}

class ImagingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(NULL, COINIT_MULTITHREADED);
        ASSERT_TRUE(SUCCEEDED(CreateImagingFactory(&m_factory)));
    }
    void TearDown() override
    {
        if (m_factory)
            m_factory->Release();
        CoUninitialize();
    }

    HRESULT FromStream(const std::string& bytes, IImage** image)
    {
        IStream* stream = NULL;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        EXPECT_TRUE(SUCCEEDED(CreateStreamOnHGlobal(block, TRUE, &stream)));
        const HRESULT result = m_factory->CreateImageFromStream(stream, image);
        stream->Release();
        return result;
    }

    IImagingFactory* m_factory = NULL;
};

}  // namespace

TEST_F(ImagingTest, APictureOverTheCapIsRefusedBeforeItIsDecoded)
{
    // 16384 x 16384 grey pixels: 256 MiB decoded, about 1.7 MB as a file.
    const std::string huge = MakeBlankPng(16384, 16384);
    ASSERT_LT(huge.size(), 4 * kMiB);
    const size_t before = PeakBytes();
    IImage* image = NULL;
    EXPECT_EQ(
        WINCODEC_ERR_IMAGESIZEOUTOFRANGE,
        m_factory->CreateImageFromBuffer(huge.data(), static_cast<UINT>(huge.size()), BufferDisposalFlagNone, &image));
    EXPECT_EQ(nullptr, image);
    EXPECT_EQ(WINCODEC_ERR_IMAGESIZEOUTOFRANGE, FromStream(huge, &image));
    EXPECT_EQ(nullptr, image);
    for (const auto& size : {std::make_pair(4097u, 1u), std::make_pair(1u, 4097u)}) {
        const std::string wide = MakeBlankPng(size.first, size.second);
        EXPECT_EQ(WINCODEC_ERR_IMAGESIZEOUTOFRANGE,
                  m_factory->CreateImageFromBuffer(wide.data(), static_cast<UINT>(wide.size()), BufferDisposalFlagNone,
                                                   &image));
    }
    EXPECT_LT(PeakBytes() - before, 32 * kMiB);
}

TEST_F(ImagingTest, AThumbnailIsDecodedAtItsOwnSize)
{
    const std::string largest = MakeBlankPng(4096, 4096);
    const size_t before = PeakBytes();
    IImage* image = NULL;
    ASSERT_EQ(S_OK, FromStream(largest, &image));
    ImageInfo info = {};
    ASSERT_EQ(S_OK, image->GetImageInfo(&info));
    EXPECT_EQ(4096u, info.Width);
    EXPECT_EQ(4096u, info.Height);
    IImage* thumbnail = NULL;
    ASSERT_EQ(S_OK, image->GetThumbnail(64, 48, &thumbnail));
    ASSERT_EQ(S_OK, thumbnail->GetImageInfo(&info));
    EXPECT_EQ(64u, info.Width);
    EXPECT_EQ(48u, info.Height);
    image->Release();
    // The 16 MiB of grey the decoder unpacks, never the 64 MiB of the whole
    // picture ready to draw.
    EXPECT_LT(PeakBytes() - before, 32 * kMiB);

    // Drawn, the thumbnail is the picture's black.
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 64, 48);
    HGDIOBJ previous = SelectObject(dc, target);
    RECT whole = {0, 0, 64, 48};
    FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(S_OK, thumbnail->Draw(dc, &whole, NULL));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 32, 24));
    SelectObject(dc, previous);
    DeleteObject(target);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
    thumbnail->Release();
}

TEST_F(ImagingTest, BytesThatAreNoPictureOrAreCutShortMakeNoImage)
{
    const std::string whole = MakeBlankPng(40, 30);
    IImage* image = NULL;
    ASSERT_EQ(S_OK, m_factory->CreateImageFromBuffer(whole.data(), static_cast<UINT>(whole.size()),
                                                     BufferDisposalFlagNone, &image));
    image->Release();
    const std::string inputs[] = {
        whole.substr(0, 24),
        whole.substr(0, whole.size() - 20),
        std::string("GIF89a\x10\x00\x10\x00\x00\x00\x00", 13),
        std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\x40\x00\x40\x00", 11),
        std::string(300, '\xAB'),
    };
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input.size());
        image = NULL;
        EXPECT_TRUE(FAILED(m_factory->CreateImageFromBuffer(input.data(), static_cast<UINT>(input.size()),
                                                            BufferDisposalFlagNone, &image)));
        EXPECT_EQ(nullptr, image);
    }
}
