#include "VelBitmap.h"
#include "VelUniqueHandle.h"
#include "VelWinException.h"

#include <SHLoadDIBitmap.h>

#include <cstring>

namespace {

// Deletes a bitmap once no copy holds it, first selecting it out of the DC it
// was made for: GDI refuses to delete a selected bitmap.
struct BitmapDeleter {
    HDC selectedInto;
    HGDIOBJ previous;
    void operator()(HBITMAP bitmap) const
    {
        if (!bitmap)
            return;
        if (selectedInto && ::GetCurrentObject(selectedInto, OBJ_BITMAP) == bitmap)
            ::SelectObject(selectedInto, previous);
        ::DeleteObject(bitmap);
    }
};

// The imaging factory for this thread; the platform's decoders need COM.
VelComRef<IImagingFactory> OpenImagingFactory()
{
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    VelComRef<IImagingFactory> factory;
    if (FAILED(CreateImagingFactory(factory.Receive())))
        factory.Detach();
    return factory;
}

}  // namespace

VelBitmap::VelBitmap(VelObject* owner, const std::string& name)
    : VelGraphicObject(owner, name), m_width(0), m_height(0), m_bitsPerPixel(0)
{
}

VelBitmap::VelBitmap(const std::wstring& path, VelObject* owner, const std::string& name) : VelBitmap(owner, name)
{
    HBITMAP handle = SHLoadDIBitmap(path.c_str());
    if (!handle)
        throw VelWinException(L"Error loading image at VelBitmap ctor", ::GetLastError());
    AdoptHandle(handle);
}

VelBitmap::VelBitmap(HBITMAP handle, VelObject* owner, const std::string& name) : VelBitmap(owner, name)
{
    AdoptHandle(handle);
}

VelBitmap::VelBitmap(int width, int height, VelObject* owner, const std::string& name) : VelBitmap(owner, name)
{
    const VelWindowDC screen(nullptr);
    AdoptHandle(::CreateCompatibleBitmap(screen.Get(), width, height));
}

VelBitmap::VelBitmap(HDC model, int width, int height, HDC target, VelObject* owner, const std::string& name)
    : VelBitmap(owner, name)
{
    HBITMAP handle = ::CreateCompatibleBitmap(model, width, height);
    HGDIOBJ previous = handle ? ::SelectObject(target, handle) : nullptr;
    AdoptHandle(handle, target, previous);
}

VelBitmap::VelBitmap(const void* bytes, DWORD length, VelObject* owner, const std::string& name)
    : VelBitmap(owner, name)
{
    const VelComRef<IImagingFactory> factory = OpenImagingFactory();
    HGLOBAL block = factory && bytes && length ? ::GlobalAlloc(GMEM_MOVEABLE, length) : nullptr;
    if (void* copy = block ? ::GlobalLock(block) : nullptr) {
        std::memcpy(copy, bytes, length);
        ::GlobalUnlock(block);
    }
    VelComRef<IStream> stream;
    if (block && FAILED(::CreateStreamOnHGlobal(block, TRUE, stream.Receive())))
        ::GlobalFree(block);
    VelComRef<IImage> image;
    if (stream && SUCCEEDED(factory->CreateImageFromStream(stream.Get(), image.Receive())))
        AdoptImage(image.Get());
    else
        ::OutputDebugStringW(L"VelBitmap: the image bytes could not be decoded\n");
}

VelBitmap::VelBitmap(IImage* image, VelObject* owner, const std::string& name) : VelBitmap(owner, name)
{
    if (image)
        AdoptImage(image);
}

VelBitmap::VelBitmap(const BYTE (&rows)[8], VelObject* owner, const std::string& name) : VelBitmap(owner, name)
{
    // Monochrome rows are word-aligned.
    WORD words[8];
    for (int i = 0; i < 8; ++i)
        words[i] = rows[i];
    AdoptHandle(::CreateBitmap(8, 8, 1, 1, words));
}

VelBitmap::VelBitmap(HINSTANCE module, UINT resourceId, VelObject* owner, const std::string& name)
    : VelBitmap(owner, name)
{
    AdoptHandle(static_cast<HBITMAP>(::LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, 0)));
}

VelBitmap::VelBitmap(const VelBitmap& other)
    : VelGraphicObject(other), m_width(other.m_width), m_height(other.m_height), m_bitsPerPixel(other.m_bitsPerPixel),
      m_handle(other.m_handle), m_keyColor(other.m_keyColor), m_image(VelComRef<IImage>::Retain(other.m_image.Get()))
{
}

VelBitmap::~VelBitmap()
{
    // The handle goes before the image, as the members were made.
    m_handle.reset();
}

void VelBitmap::AdoptHandle(HBITMAP handle, HDC selectedInto, HGDIOBJ previous)
{
    m_handle.reset(handle, BitmapDeleter{selectedInto, previous});
    BITMAP info = {};
    if (handle && ::GetObjectW(handle, sizeof(info), &info)) {
        m_width = info.bmWidth;
        m_height = info.bmHeight;
        m_bitsPerPixel = info.bmBitsPixel;
    }
}

void VelBitmap::AdoptImage(IImage* image)
{
    m_image = VelComRef<IImage>::Retain(image);
    ImageInfo info = {};
    if (SUCCEEDED(m_image->GetImageInfo(&info))) {
        m_width = static_cast<int>(info.Width);
        m_height = static_cast<int>(info.Height);
    }
}

VelBitmap* VelBitmap::LoadResource(UINT resourceId, HINSTANCE module, const wchar_t* type, VelObject* owner,
                                   const std::string& name)
{
    if (HANDLE handle = ::LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, 0))
        return new VelBitmap(static_cast<HBITMAP>(handle), owner, name);

    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), type ? type : L"PNG");
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = data ? ::SizeofResource(module, resource) : 0;
    if (!size)
        return nullptr;
    const VelComRef<IImagingFactory> factory = OpenImagingFactory();
    if (!factory)
        return nullptr;
    VelComRef<IImage> image;
    if (FAILED(factory->CreateImageFromBuffer(data, size, BufferDisposalFlagNone, image.Receive())))
        return nullptr;
    return new VelBitmap(image.Get(), owner, name);
}

const wchar_t* VelBitmap::GetClassName() const { return L"VelBitmap"; }

IImage* VelBitmap::GetImage() const { return m_image.Get(); }

void VelBitmap::SetKeyColor(const VelColor& color) { m_keyColor = color; }

VelColor VelBitmap::GetKeyColor() const { return m_keyColor; }

SIZE VelBitmap::FitSize(const SIZE& bound) const
{
    if (m_width != 0 && m_height != 0) {
        const float ratio = static_cast<float>(m_width) / static_cast<float>(m_height);
        const int width = static_cast<int>(static_cast<float>(bound.cy) * ratio);
        if (width <= bound.cx)
            return SIZE{width, bound.cy};
        return SIZE{bound.cx, static_cast<int>(static_cast<float>(bound.cx) / ratio)};
    }
    return SIZE{m_width < bound.cx ? m_width : bound.cx, m_height < bound.cy ? m_height : bound.cy};
}

bool VelBitmap::IsEmpty() const { return !m_handle && !m_image; }
