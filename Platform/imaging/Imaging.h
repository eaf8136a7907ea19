#pragma once
// The phone's imaging library as the program uses it: a factory that decodes
// images from a stream or a buffer, and images that report their size, draw
// themselves with their alpha into a rectangle and make thumbnails. An image
// keeps a copy of its encoded bytes, so neither the stream nor the buffer has
// to outlive it; it is decoded when first drawn, and a thumbnail is decoded
// straight to its own size. PNG, JPEG, GIF and BMP are read; a picture over
// 4096 pixels on a side or a file over 32 MiB is refused when the image is
// made. The calling thread must have initialised COM (any apartment).
#include <windows.h>
#include <objidl.h>

struct ImageInfo {
    UINT Width;   // pixels
    UINT Height;  // pixels
};

// What the factory may do with a buffer once the image is made.
enum BufferDisposalFlag {
    BufferDisposalFlagNone = 0,  // the caller keeps and frees it
};

extern const IID IID_IImage;
extern const IID IID_IImagingFactory;

struct IImage : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetImageInfo(ImageInfo* info) = 0;
    // Draws the source rectangle (null: the whole image) scaled into the
    // destination, blending by the image's alpha. The source rectangle is in
    // pixels.
    virtual HRESULT STDMETHODCALLTYPE Draw(HDC dc, const RECT* destination, const RECT* source) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetThumbnail(UINT width, UINT height, IImage** thumbnail) = 0;
};

struct IImagingFactory : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateImageFromStream(IStream* stream, IImage** image) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateImageFromBuffer(const void* buffer, UINT size, BufferDisposalFlag disposal,
                                                            IImage** image) = 0;
};

// Stands in for creating the platform's in-process imaging factory.
HRESULT CreateImagingFactory(IImagingFactory** factory);
