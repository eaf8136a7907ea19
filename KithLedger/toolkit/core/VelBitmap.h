#pragma once
#include "VelColor.h"
#include "VelComRef.h"
#include "VelGraphicObject.h"

#include <Imaging.h>
#include <boost/shared_ptr.hpp>

// A bitmap held either as a GDI handle or as a decoded image of the imaging
// library (PNGs with alpha), with an optional transparent key colour. Copies
// share the handle and the image; each is released when the last copy goes.
class VelBitmap : public VelGraphicObject {
public:
    // A bitmap file; throws VelWinException "Error loading image at VelBitmap ctor".
    explicit VelBitmap(const std::wstring& path, VelObject* owner = nullptr, const std::string& name = std::string());
    // Takes ownership of the handle.
    explicit VelBitmap(HBITMAP handle, VelObject* owner = nullptr, const std::string& name = std::string());
    // Compatible with the screen.
    VelBitmap(int width, int height, VelObject* owner = nullptr, const std::string& name = std::string());
    // Compatible with `model`, and selected into `target` until it is destroyed.
    VelBitmap(HDC model, int width, int height, HDC target, VelObject* owner = nullptr,
              const std::string& name = std::string());
    // Encoded image bytes (PNG and the like), copied. Bytes that do not decode
    // give an empty bitmap of size 0 x 0.
    VelBitmap(const void* bytes, DWORD length, VelObject* owner = nullptr, const std::string& name = std::string());
    // Takes a reference of its own; null gives an empty bitmap.
    explicit VelBitmap(IImage* image, VelObject* owner = nullptr, const std::string& name = std::string());
    // An 8 x 8 monochrome pattern, one byte per row.
    explicit VelBitmap(const BYTE (&rows)[8], VelObject* owner = nullptr, const std::string& name = std::string());
    // A bitmap resource of a module.
    VelBitmap(HINSTANCE module, UINT resourceId, VelObject* owner = nullptr, const std::string& name = std::string());
    VelBitmap(const VelBitmap& other);
    ~VelBitmap() override;

    // A bitmap resource, or else an image resource of `type` ("PNG" when null)
    // decoded by the imaging library; null on any failure. The caller owns it.
    static VelBitmap* LoadResource(UINT resourceId, HINSTANCE module, const wchar_t* type = nullptr,
                                   VelObject* owner = nullptr, const std::string& name = std::string());

    const wchar_t* GetClassName() const override;
    virtual IImage* GetImage() const;
    virtual void SetKeyColor(const VelColor& color);
    virtual VelColor GetKeyColor() const;
    // The largest size of the bitmap's proportions that fits the bound.
    virtual SIZE FitSize(const SIZE& bound) const;
    // Neither a handle nor an image.
    virtual bool IsEmpty() const;

    SIZE GetSize() const { return SIZE{m_width, m_height}; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetBitsPerPixel() const { return m_bitsPerPixel; }
    HBITMAP GetHandle() const { return m_handle.get(); }
    void SetWidth(int width) { m_width = width; }
    void SetHeight(int height) { m_height = height; }
    void SetBitsPerPixel(int bitsPerPixel) { m_bitsPerPixel = bitsPerPixel; }

private:
    VelBitmap(VelObject* owner, const std::string& name);
    void AdoptHandle(HBITMAP handle, HDC selectedInto = nullptr, HGDIOBJ previous = nullptr);
    void AdoptImage(IImage* image);

    int m_width;
    int m_height;
    int m_bitsPerPixel;
    boost::shared_ptr<HBITMAP__> m_handle;
    VelColor m_keyColor;
    VelComRef<IImage> m_image;
};
