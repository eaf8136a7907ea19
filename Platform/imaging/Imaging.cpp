#include "Imaging.h"

#include <StandInCom.h>

#include <wincodec.h>

#include <cstring>
#include <vector>

// {5C3E1F7A-2B4D-4E8A-9F61-0D7A3B9C4E21}
const IID IID_IImage = {0x5c3e1f7a, 0x2b4d, 0x4e8a, {0x9f, 0x61, 0x0d, 0x7a, 0x3b, 0x9c, 0x4e, 0x21}};
// {8A1D6C3B-7E52-4F09-B3A4-61C2D8E0F715}
const IID IID_IImagingFactory = {0x8a1d6c3b, 0x7e52, 0x4f09, {0xb3, 0xa4, 0x61, 0xc2, 0xd8, 0xe0, 0xf7, 0x15}};

namespace {

template <typename T>
void SafeRelease(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

// What the decoder takes on: a picture larger than this on either side, or an
// encoded file larger than this, is refused before any pixel is decoded, so a
// small file that unpacks to gigabytes costs nothing.
const UINT kMaxSidePixels = 4096;
const ULONG kMaxEncodedBytes = 32 * 1024 * 1024;
const ULONG kStreamChunkBytes = 64 * 1024;

UINT BigEndian32(const BYTE* bytes)
{
    return (UINT(bytes[0]) << 24) | (UINT(bytes[1]) << 16) | (UINT(bytes[2]) << 8) | UINT(bytes[3]);
}

UINT BigEndian16(const BYTE* bytes) { return (UINT(bytes[0]) << 8) | UINT(bytes[1]); }

UINT LittleEndian16(const BYTE* bytes) { return UINT(bytes[0]) | (UINT(bytes[1]) << 8); }

LONG LittleEndian32(const BYTE* bytes)
{
    return static_cast<LONG>(UINT(bytes[0]) | (UINT(bytes[1]) << 8) | (UINT(bytes[2]) << 16) | (UINT(bytes[3]) << 24));
}

bool PngSize(const BYTE* bytes, size_t count, UINT* width, UINT* height)
{
    static const BYTE kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (count < 24 || memcmp(bytes, kSignature, sizeof(kSignature)) != 0 || memcmp(bytes + 12, "IHDR", 4) != 0)
        return false;
    *width = BigEndian32(bytes + 16);
    *height = BigEndian32(bytes + 20);
    return true;
}

// The size of the first frame marker; the markers before it carry lengths.
bool JpegSize(const BYTE* bytes, size_t count, UINT* width, UINT* height)
{
    if (count < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;
    size_t at = 2;
    while (at + 4 <= count) {
        if (bytes[at] != 0xFF)
            return false;
        const BYTE marker = bytes[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        const size_t length = BigEndian16(bytes + at + 2);
        if (length < 2)
            return false;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > count || length < 7)
                return false;
            *height = BigEndian16(bytes + at + 5);
            *width = BigEndian16(bytes + at + 7);
            return true;
        }
        at += 2 + length;
    }
    return false;
}

// The first picture's size; every picture of the file must keep to the cap,
// since the decoder unpacks them all at once.
bool GifSize(const BYTE* bytes, size_t count, UINT* width, UINT* height)
{
    if (count < 13 || (memcmp(bytes, "GIF87a", 6) != 0 && memcmp(bytes, "GIF89a", 6) != 0))
        return false;
    if (LittleEndian16(bytes + 6) > kMaxSidePixels || LittleEndian16(bytes + 8) > kMaxSidePixels)
        return false;
    size_t at = 13;
    if (bytes[10] & 0x80)
        at += 3u << ((bytes[10] & 7) + 1);
    bool first = true;
    auto skipBlocks = [&]() {
        while (at < count && bytes[at] != 0)
            at += 1 + bytes[at];
        ++at;
    };
    while (at < count) {
        const BYTE kind = bytes[at];
        if (kind == 0x3B)
            break;
        if (kind == 0x21) {
            at += 2;
            skipBlocks();
        } else if (kind == 0x2C) {
            if (at + 10 > count)
                return false;
            const UINT frameWidth = LittleEndian16(bytes + at + 5);
            const UINT frameHeight = LittleEndian16(bytes + at + 7);
            if (frameWidth > kMaxSidePixels || frameHeight > kMaxSidePixels)
                return false;
            if (first) {
                *width = frameWidth;
                *height = frameHeight;
                first = false;
            }
            const BYTE flags = bytes[at + 9];
            at += 10;
            if (flags & 0x80)
                at += 3u << ((flags & 7) + 1);
            ++at;  // the code size
            skipBlocks();
        } else {
            return false;
        }
    }
    return !first;
}

bool BmpSize(const BYTE* bytes, size_t count, UINT* width, UINT* height)
{
    if (count < 26 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const LONG header = LittleEndian32(bytes + 14);
    if (header == 12) {
        *width = LittleEndian16(bytes + 18);
        *height = LittleEndian16(bytes + 20);
        return true;
    }
    if (header < 40 || count < 26)
        return false;
    const LONG signedWidth = LittleEndian32(bytes + 18);
    const LONG signedHeight = LittleEndian32(bytes + 22);
    if (signedWidth <= 0 || signedHeight == 0 || signedHeight == LONG(0x80000000))
        return false;
    *width = static_cast<UINT>(signedWidth);
    *height = static_cast<UINT>(signedHeight < 0 ? -signedHeight : signedHeight);
    return true;
}

// The decoders of the formats read here, by class: asked for by name, a
// decoder is had without trying every one the system knows.
const CLSID kPngDecoder = {0x389ea17b, 0x5078, 0x4cde, {0xb6, 0xef, 0x25, 0xc1, 0x51, 0x75, 0xc7, 0x51}};
const CLSID kJpegDecoder = {0x9456a480, 0xe88b, 0x43ea, {0x9e, 0x73, 0x0b, 0x2d, 0x9b, 0x71, 0xb1, 0xca}};
const CLSID kGifDecoder = {0x381dda3c, 0x9ce9, 0x4834, {0xa2, 0x3e, 0x1f, 0x98, 0xf8, 0xfc, 0x52, 0xbe}};
const CLSID kBmpDecoder = {0x6b462062, 0x7cbf, 0x400d, {0x9f, 0xdb, 0x81, 0x3d, 0xd1, 0x0f, 0x27, 0x78}};

// Only the formats whose size can be read here are decoded: anything else
// could not be held to the cap.
HRESULT ReadSize(const std::vector<BYTE>& bytes, UINT* width, UINT* height, const CLSID** decoder)
{
    const BYTE* bytesRead = bytes.data();
    const size_t count = bytes.size();
    *width = *height = 0;
    if (PngSize(bytesRead, count, width, height))
        *decoder = &kPngDecoder;
    else if (JpegSize(bytesRead, count, width, height))
        *decoder = &kJpegDecoder;
    else if (GifSize(bytesRead, count, width, height))
        *decoder = &kGifDecoder;
    else if (BmpSize(bytesRead, count, width, height))
        *decoder = &kBmpDecoder;
    else
        return WINCODEC_ERR_COMPONENTNOTFOUND;
    if (*width == 0 || *height == 0 || *width > kMaxSidePixels || *height > kMaxSidePixels)
        return WINCODEC_ERR_IMAGESIZEOUTOFRANGE;
    return S_OK;
}

// A decoder of the class, from its class object kept per thread: looking the
// class up costs more than decoding a small picture.
HRESULT MakeDecoder(const CLSID& decoder, IWICBitmapDecoder** made)
{
    *made = nullptr;
    struct Kept {
        const CLSID* decoder;
        IClassFactory* factory;
    };
    static thread_local Kept kept[4] = {};
    Kept* slot = nullptr;
    for (Kept& entry : kept) {
        if (entry.decoder == &decoder || !entry.decoder) {
            slot = &entry;
            break;
        }
    }
    if (!slot)
        return ::CoCreateInstance(decoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWICBitmapDecoder,
                                  reinterpret_cast<void**>(made));
    if (!slot->factory) {
        const HRESULT hr = ::CoGetClassObject(decoder, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                              reinterpret_cast<void**>(&slot->factory));
        if (FAILED(hr))
            return hr;
        slot->decoder = &decoder;
    }
    return slot->factory->CreateInstance(nullptr, IID_IWICBitmapDecoder, reinterpret_cast<void**>(made));
}

// The source as 32-bit premultiplied pixels. The format converter is made
// directly; only a source it does not take is left to the system's search
// of every converter it knows.
HRESULT ConvertForDrawing(IWICImagingFactory* wic, IWICBitmapSource* source, IWICBitmapSource** converted)
{
    *converted = nullptr;
    WICPixelFormatGUID format = {};
    if (SUCCEEDED(source->GetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat32bppPBGRA)) {
        source->AddRef();
        *converted = source;
        return S_OK;
    }
    IWICFormatConverter* converter = nullptr;
    if (SUCCEEDED(wic->CreateFormatConverter(&converter))) {
        if (SUCCEEDED(converter->Initialize(source, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                            0.0, WICBitmapPaletteTypeCustom))) {
            *converted = converter;
            return S_OK;
        }
        converter->Release();
    }
    return ::WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, source, converted);
}

// An image keeps its encoded bytes and their decoder, and is converted for
// drawing when first drawn; its thumbnails are scaled from the decoder
// straight to their own size. Pixels are premultiplied 32-bit in a top-down
// DIB section, ready for AlphaBlend.
class Image : public standin::ComObject<IImage> {
public:
    // Takes the bytes over; fails when their size cannot be read or is over
    // the cap, or when they do not decode.
    static HRESULT FromBytes(IWICImagingFactory* wic, std::vector<BYTE>& bytes, IImage** image);

    HRESULT STDMETHODCALLTYPE GetImageInfo(ImageInfo* info) override;
    HRESULT STDMETHODCALLTYPE Draw(HDC dc, const RECT* destination, const RECT* source) override;
    HRESULT STDMETHODCALLTYPE GetThumbnail(UINT width, UINT height, IImage** thumbnail) override;

private:
    explicit Image(IWICImagingFactory* wic);
    ~Image() override;

    HRESULT OpenDecoder(const CLSID& decoder);
    void CloseDecoder();
    // A source of the image's pixels at width x height, converted for AlphaBlend.
    HRESULT OpenSource(UINT width, UINT height, IWICBitmapSource** source);
    HRESULT Decode(IWICBitmapSource* source, UINT width, UINT height);
    HRESULT Decoded();

    IWICImagingFactory* m_wic;
    standin::Lock m_lock;
    // Until the pixels are decoded for drawing.
    std::vector<BYTE> m_bytes;
    IWICStream* m_stream;
    IWICBitmapDecoder* m_decoder;
    IWICBitmapFrameDecode* m_frame;
    HBITMAP m_bitmap;
    void* m_bits;
    UINT m_width;
    UINT m_height;
};

Image::Image(IWICImagingFactory* wic)
    : standin::ComObject<IImage>(IID_IImage), m_wic(wic), m_stream(nullptr), m_decoder(nullptr), m_frame(nullptr),
      m_bitmap(nullptr), m_bits(nullptr), m_width(0), m_height(0)
{
    m_wic->AddRef();
}

Image::~Image()
{
    CloseDecoder();
    if (m_bitmap)
        ::DeleteObject(m_bitmap);
    m_wic->Release();
}

HRESULT Image::FromBytes(IWICImagingFactory* wic, std::vector<BYTE>& bytes, IImage** image)
{
    *image = nullptr;
    UINT width = 0;
    UINT height = 0;
    const CLSID* decoder = nullptr;
    const HRESULT hr = ReadSize(bytes, &width, &height, &decoder);
    if (FAILED(hr))
        return hr;
    Image* made = new Image(wic);
    made->m_bytes.swap(bytes);
    made->m_width = width;
    made->m_height = height;
    const HRESULT opened = made->OpenDecoder(*decoder);
    if (FAILED(opened)) {
        made->Release();
        return opened;
    }
    *image = made;
    return S_OK;
}

HRESULT Image::OpenDecoder(const CLSID& decoder)
{
    UINT frameWidth = 0;
    UINT frameHeight = 0;
    IWICBitmapSource* converted = nullptr;
    HRESULT hr = m_wic->CreateStream(&m_stream);
    if (SUCCEEDED(hr))
        hr = m_stream->InitializeFromMemory(m_bytes.data(), static_cast<DWORD>(m_bytes.size()));
    if (SUCCEEDED(hr) && SUCCEEDED(MakeDecoder(decoder, &m_decoder))) {
        if (FAILED(m_decoder->Initialize(m_stream, WICDecodeMetadataCacheOnDemand))) {
            SafeRelease(m_decoder);
            const LARGE_INTEGER start = {};
            hr = m_stream->Seek(start, STREAM_SEEK_SET, nullptr);
        }
    }
    if (SUCCEEDED(hr) && !m_decoder)
        hr = m_wic->CreateDecoderFromStream(m_stream, nullptr, WICDecodeMetadataCacheOnDemand, &m_decoder);
    if (SUCCEEDED(hr))
        hr = m_decoder->GetFrame(0, &m_frame);
    if (SUCCEEDED(hr))
        hr = m_frame->GetSize(&frameWidth, &frameHeight);
    if (SUCCEEDED(hr) &&
        (frameWidth == 0 || frameHeight == 0 || frameWidth > kMaxSidePixels || frameHeight > kMaxSidePixels))
        hr = WINCODEC_ERR_IMAGESIZEOUTOFRANGE;
    // A decoder may read the pixels only when asked: the last row's first
    // pixel shows that the bytes hold the whole picture.
    if (SUCCEEDED(hr))
        hr = ConvertForDrawing(m_wic, m_frame, &converted);
    if (SUCCEEDED(hr)) {
        const WICRect last = {0, static_cast<INT>(frameHeight) - 1, 1, 1};
        BYTE pixel[4];
        hr = converted->CopyPixels(&last, sizeof(pixel), sizeof(pixel), pixel);
    }
    SafeRelease(converted);
    if (SUCCEEDED(hr)) {
        m_width = frameWidth;
        m_height = frameHeight;
    }
    return hr;
}

void Image::CloseDecoder()
{
    SafeRelease(m_frame);
    SafeRelease(m_decoder);
    SafeRelease(m_stream);
    std::vector<BYTE>().swap(m_bytes);
}

HRESULT Image::OpenSource(UINT width, UINT height, IWICBitmapSource** source)
{
    *source = nullptr;
    IWICBitmapSource* converted = nullptr;
    IWICBitmapScaler* scaler = nullptr;
    // Converted before it is scaled: the scaler does not take every format.
    HRESULT hr = ConvertForDrawing(m_wic, m_frame, &converted);
    if (SUCCEEDED(hr) && (width != m_width || height != m_height)) {
        hr = m_wic->CreateBitmapScaler(&scaler);
        if (SUCCEEDED(hr))
            hr = scaler->Initialize(converted, width, height, WICBitmapInterpolationModeFant);
        if (SUCCEEDED(hr)) {
            SafeRelease(converted);
            converted = scaler;
            scaler = nullptr;
        }
    }
    if (SUCCEEDED(hr)) {
        *source = converted;
        converted = nullptr;
    }
    SafeRelease(scaler);
    SafeRelease(converted);
    return hr;
}

HRESULT Image::Decode(IWICBitmapSource* source, UINT width, UINT height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return E_OUTOFMEMORY;
    // Row by row: asked for the whole rectangle at once, a scaler takes the
    // whole of its source at once too.
    HRESULT hr = S_OK;
    for (UINT row = 0; row < height && SUCCEEDED(hr); ++row) {
        const WICRect line = {0, static_cast<INT>(row), static_cast<INT>(width), 1};
        hr = source->CopyPixels(&line, width * 4, width * 4, static_cast<BYTE*>(bits) + size_t(row) * width * 4);
    }
    if (FAILED(hr)) {
        ::DeleteObject(bitmap);
        return hr;
    }
    ::GdiFlush();
    m_bitmap = bitmap;
    m_bits = bits;
    m_width = width;
    m_height = height;
    return S_OK;
}

HRESULT Image::Decoded()
{
    standin::Guard guard(m_lock);
    if (m_bitmap)
        return S_OK;
    if (!m_frame)
        return WINCODEC_ERR_BADIMAGE;
    IWICBitmapSource* source = nullptr;
    HRESULT hr = OpenSource(m_width, m_height, &source);
    if (SUCCEEDED(hr))
        hr = Decode(source, m_width, m_height);
    SafeRelease(source);
    // Drawn from the pixels from now on; bytes that do not decode are not
    // tried again at every paint.
    CloseDecoder();
    return hr;
}

HRESULT Image::GetImageInfo(ImageInfo* info)
{
    if (!info)
        return E_POINTER;
    info->Width = m_width;
    info->Height = m_height;
    return S_OK;
}

HRESULT Image::Draw(HDC dc, const RECT* destination, const RECT* source)
{
    if (!dc || !destination)
        return E_INVALIDARG;
    const HRESULT decoded = Decoded();
    if (FAILED(decoded))
        return decoded;
    const RECT whole = {0, 0, static_cast<LONG>(m_width), static_cast<LONG>(m_height)};
    const RECT& from = source ? *source : whole;
    HDC memory = ::CreateCompatibleDC(dc);
    if (!memory)
        return E_FAIL;
    HGDIOBJ previous = ::SelectObject(memory, m_bitmap);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const BOOL drawn = ::AlphaBlend(dc, destination->left, destination->top, destination->right - destination->left,
                                    destination->bottom - destination->top, memory, from.left, from.top,
                                    from.right - from.left, from.bottom - from.top, blend);
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    return drawn ? S_OK : E_FAIL;
}

HRESULT Image::GetThumbnail(UINT width, UINT height, IImage** thumbnail)
{
    if (!thumbnail)
        return E_POINTER;
    *thumbnail = nullptr;
    if (width == 0 || height == 0 || width > kMaxSidePixels || height > kMaxSidePixels)
        return E_INVALIDARG;
    standin::Guard guard(m_lock);
    IWICBitmapSource* source = nullptr;
    IWICBitmap* pixels = nullptr;
    IWICBitmapScaler* scaler = nullptr;
    HRESULT hr = S_OK;
    if (m_bitmap) {
        hr = m_wic->CreateBitmapFromMemory(m_width, m_height, GUID_WICPixelFormat32bppPBGRA, m_width * 4,
                                           m_width * m_height * 4, static_cast<BYTE*>(m_bits), &pixels);
        if (SUCCEEDED(hr))
            hr = m_wic->CreateBitmapScaler(&scaler);
        if (SUCCEEDED(hr))
            hr = scaler->Initialize(pixels, width, height, WICBitmapInterpolationModeFant);
        if (SUCCEEDED(hr)) {
            source = scaler;
            scaler = nullptr;
        }
    } else if (m_frame) {
        hr = OpenSource(width, height, &source);
    } else {
        hr = WINCODEC_ERR_BADIMAGE;
    }
    Image* made = nullptr;
    if (SUCCEEDED(hr)) {
        made = new Image(m_wic);
        hr = made->Decode(source, width, height);
    }
    SafeRelease(source);
    SafeRelease(scaler);
    SafeRelease(pixels);
    if (FAILED(hr)) {
        SafeRelease(made);
        return hr;
    }
    *thumbnail = made;
    return S_OK;
}

class ImagingFactory : public standin::ComObject<IImagingFactory> {
public:
    explicit ImagingFactory(IWICImagingFactory* wic)
        : standin::ComObject<IImagingFactory>(IID_IImagingFactory), m_wic(wic)
    {
    }
    ~ImagingFactory() override { m_wic->Release(); }

    HRESULT STDMETHODCALLTYPE CreateImageFromStream(IStream* stream, IImage** image) override;
    HRESULT STDMETHODCALLTYPE CreateImageFromBuffer(const void* buffer, UINT size, BufferDisposalFlag disposal,
                                                    IImage** image) override;

private:
    IWICImagingFactory* m_wic;
};

// Read once, and no further than the cap.
HRESULT ImagingFactory::CreateImageFromStream(IStream* stream, IImage** image)
{
    if (!image)
        return E_POINTER;
    *image = nullptr;
    if (!stream)
        return E_INVALIDARG;
    STATSTG stat = {};
    if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && stat.cbSize.QuadPart > kMaxEncodedBytes)
        return WINCODEC_ERR_IMAGESIZEOUTOFRANGE;
    std::vector<BYTE> bytes;
    for (;;) {
        const size_t have = bytes.size();
        if (have > kMaxEncodedBytes)
            return WINCODEC_ERR_IMAGESIZEOUTOFRANGE;
        bytes.resize(have + kStreamChunkBytes);
        ULONG read = 0;
        const HRESULT hr = stream->Read(bytes.data() + have, kStreamChunkBytes, &read);
        bytes.resize(have + (SUCCEEDED(hr) ? read : 0));
        if (FAILED(hr))
            return hr;
        if (read == 0)
            break;
    }
    return Image::FromBytes(m_wic, bytes, image);
}

HRESULT ImagingFactory::CreateImageFromBuffer(const void* buffer, UINT size, BufferDisposalFlag, IImage** image)
{
    if (!image)
        return E_POINTER;
    *image = nullptr;
    if (!buffer || size == 0)
        return E_INVALIDARG;
    if (size > kMaxEncodedBytes)
        return WINCODEC_ERR_IMAGESIZEOUTOFRANGE;
    std::vector<BYTE> bytes(static_cast<const BYTE*>(buffer), static_cast<const BYTE*>(buffer) + size);
    return Image::FromBytes(m_wic, bytes, image);
}

}  // namespace

HRESULT CreateImagingFactory(IImagingFactory** factory)
{
    if (!factory)
        return E_POINTER;
    *factory = nullptr;
    // The system's factory is made once per thread and kept: making it costs
    // more than the small picture it is asked for. A thread without COM gets
    // the failure it always got.
    static thread_local IWICImagingFactory* kept = nullptr;
    APTTYPE apartment;
    APTTYPEQUALIFIER qualifier;
    if (kept && FAILED(::CoGetApartmentType(&apartment, &qualifier)))
        return CO_E_NOTINITIALIZED;
    if (!kept) {
        IWICImagingFactory* wic = nullptr;
        const HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IWICImagingFactory, reinterpret_cast<void**>(&wic));
        if (FAILED(hr))
            return hr;
        kept = wic;
    }
    kept->AddRef();
    *factory = new ImagingFactory(kept);
    return S_OK;
}
