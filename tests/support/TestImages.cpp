#include "TestImages.h"

#include <wincodec.h>

#include <vector>

std::string MakePng(UINT width, UINT height, DWORD bgra)
{
    std::string bytes;
    IWICImagingFactory* factory = NULL;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
        return bytes;
    IStream* stream = NULL;
    IWICBitmapEncoder* encoder = NULL;
    IWICBitmapFrameEncode* frame = NULL;
    CreateStreamOnHGlobal(NULL, TRUE, &stream);
    factory->CreateEncoder(GUID_ContainerFormatPng, NULL, &encoder);
    encoder->Initialize(stream, WICBitmapEncoderNoCache);
    encoder->CreateNewFrame(&frame, NULL);
    frame->Initialize(NULL);
    frame->SetSize(width, height);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    frame->SetPixelFormat(&format);
    std::vector<DWORD> pixels(width * height, bgra);
    frame->WritePixels(height, width * 4, static_cast<UINT>(pixels.size() * 4),
                      reinterpret_cast<BYTE*>(pixels.data()));
    frame->Commit();
    encoder->Commit();
    HGLOBAL memory = NULL;
    GetHGlobalFromStream(stream, &memory);
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    const char* data = static_cast<const char*>(GlobalLock(memory));
    bytes.assign(data, data + stat.cbSize.LowPart);
    GlobalUnlock(memory);
    frame->Release();
    encoder->Release();
    stream->Release();
    factory->Release();
    return bytes;
}
