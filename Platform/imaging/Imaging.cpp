#include "Imaging.h"

#include <wincodec.h>

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

// IUnknown for an object that answers one interface of its own.
template <typename TInterface>
class ComObject : public TInterface {
public:
    explicit ComObject(const IID& iid) : m_iid(iid), m_refs(1) {}
    virtual ~ComObject() {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, m_iid)) {
            *object = static_cast<TInterface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_refs); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return refs;
    }

private:
    const IID& m_iid;
    LONG m_refs;
};

// Premultiplied 32-bit pixels in a top-down DIB section, ready for AlphaBlend.
class DecodedImage : public ComObject<IImage> {
public:
    // Copies the pixels of any WIC source, converted as needed.
    static HRESULT Create(IWICImagingFactory* wic, IWICBitmapSource* source, IImage** image);

    HRESULT STDMETHODCALLTYPE GetImageInfo(ImageInfo* info) override;
    HRESULT STDMETHODCALLTYPE Draw(HDC dc, const RECT* destination, const RECT* source) override;
    HRESULT STDMETHODCALLTYPE GetThumbnail(UINT width, UINT height, IImage** thumbnail) override;

private:
    explicit DecodedImage(IWICImagingFactory* wic);
    ~DecodedImage() override;

    IWICImagingFactory* m_wic;
    HBITMAP m_bitmap;
    void* m_bits;
    UINT m_width;
    UINT m_height;
};

DecodedImage::DecodedImage(IWICImagingFactory* wic)
    : ComObject<IImage>(IID_IImage), m_wic(wic), m_bitmap(nullptr), m_bits(nullptr), m_width(0), m_height(0)
{
    m_wic->AddRef();
}

DecodedImage::~DecodedImage()
{
    if (m_bitmap)
        ::DeleteObject(m_bitmap);
    m_wic->Release();
}

HRESULT DecodedImage::Create(IWICImagingFactory* wic, IWICBitmapSource* source, IImage** image)
{
    *image = nullptr;
    IWICBitmapSource* converted = nullptr;
    HRESULT hr = ::WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, source, &converted);
    UINT width = 0;
    UINT height = 0;
    if (SUCCEEDED(hr))
        hr = converted->GetSize(&width, &height);
    // Keeps width * height * 4 well inside 32 bits.
    if (SUCCEEDED(hr) && (width == 0 || height == 0 || width > 0x4000 || height > 0x4000))
        hr = WINCODEC_ERR_IMAGESIZEOUTOFRANGE;

    DecodedImage* decoded = nullptr;
    if (SUCCEEDED(hr)) {
        decoded = new DecodedImage(wic);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = static_cast<LONG>(width);
        info.bmiHeader.biHeight = -static_cast<LONG>(height);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        decoded->m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &decoded->m_bits, nullptr, 0);
        decoded->m_width = width;
        decoded->m_height = height;
        hr = decoded->m_bitmap ? S_OK : E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr))
        hr = converted->CopyPixels(nullptr, width * 4, width * height * 4, static_cast<BYTE*>(decoded->m_bits));
    SafeRelease(converted);
    if (FAILED(hr)) {
        SafeRelease(decoded);
        return hr;
    }
    ::GdiFlush();
    *image = decoded;
    return S_OK;
}

HRESULT DecodedImage::GetImageInfo(ImageInfo* info)
{
    if (!info)
        return E_POINTER;
    info->Width = m_width;
    info->Height = m_height;
    return S_OK;
}

HRESULT DecodedImage::Draw(HDC dc, const RECT* destination, const RECT* source)
{
    if (!dc || !destination)
        return E_INVALIDARG;
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

HRESULT DecodedImage::GetThumbnail(UINT width, UINT height, IImage** thumbnail)
{
    if (!thumbnail)
        return E_POINTER;
    *thumbnail = nullptr;
    if (width == 0 || height == 0)
        return E_INVALIDARG;
    IWICBitmap* pixels = nullptr;
    IWICBitmapScaler* scaler = nullptr;
    HRESULT hr = m_wic->CreateBitmapFromMemory(m_width, m_height, GUID_WICPixelFormat32bppPBGRA, m_width * 4,
                                               m_width * m_height * 4, static_cast<BYTE*>(m_bits), &pixels);
    if (SUCCEEDED(hr))
        hr = m_wic->CreateBitmapScaler(&scaler);
    if (SUCCEEDED(hr))
        hr = scaler->Initialize(pixels, width, height, WICBitmapInterpolationModeFant);
    if (SUCCEEDED(hr))
        hr = Create(m_wic, scaler, thumbnail);
    SafeRelease(scaler);
    SafeRelease(pixels);
    return hr;
}

class ImagingFactory : public ComObject<IImagingFactory> {
public:
    explicit ImagingFactory(IWICImagingFactory* wic) : ComObject<IImagingFactory>(IID_IImagingFactory), m_wic(wic) {}
    ~ImagingFactory() override { m_wic->Release(); }

    HRESULT STDMETHODCALLTYPE CreateImageFromStream(IStream* stream, IImage** image) override;
    HRESULT STDMETHODCALLTYPE CreateImageFromBuffer(const void* buffer, UINT size, BufferDisposalFlag disposal,
                                                    IImage** image) override;

private:
    IWICImagingFactory* m_wic;
};

HRESULT ImagingFactory::CreateImageFromStream(IStream* stream, IImage** image)
{
    if (!image)
        return E_POINTER;
    *image = nullptr;
    if (!stream)
        return E_INVALIDARG;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    HRESULT hr = m_wic->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder);
    if (SUCCEEDED(hr))
        hr = decoder->GetFrame(0, &frame);
    if (SUCCEEDED(hr))
        hr = DecodedImage::Create(m_wic, frame, image);
    SafeRelease(frame);
    SafeRelease(decoder);
    return hr;
}

HRESULT ImagingFactory::CreateImageFromBuffer(const void* buffer, UINT size, BufferDisposalFlag, IImage** image)
{
    if (!image)
        return E_POINTER;
    *image = nullptr;
    if (!buffer || size == 0)
        return E_INVALIDARG;
    IWICStream* stream = nullptr;
    HRESULT hr = m_wic->CreateStream(&stream);
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(buffer)), size);
    if (SUCCEEDED(hr))
        hr = CreateImageFromStream(stream, image);
    SafeRelease(stream);
    return hr;
}

} // namespace

HRESULT CreateImagingFactory(IImagingFactory** factory)
{
    if (!factory)
        return E_POINTER;
    *factory = nullptr;
    IWICImagingFactory* wic = nullptr;
    const HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IWICImagingFactory, reinterpret_cast<void**>(&wic));
    if (FAILED(hr))
        return hr;
    *factory = new ImagingFactory(wic);
    return S_OK;
}
