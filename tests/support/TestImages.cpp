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
    frame->WritePixels(height, width * 4, static_cast<UINT>(pixels.size() * 4), reinterpret_cast<BYTE*>(pixels.data()));
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

namespace {

DWORD Crc32(const std::string& bytes, size_t from)
{
    static DWORD table[256];
    if (!table[1]) {
        for (DWORD n = 0; n < 256; ++n) {
            DWORD c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    DWORD crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i)
        crc = table[(crc ^ static_cast<BYTE>(bytes[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void PutBigEndian(std::string& out, DWORD value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& png, const char* type, const std::string& data)
{
    PutBigEndian(png, static_cast<DWORD>(data.size()));
    const size_t start = png.size();
    png += type;
    png += data;
    PutBigEndian(png, Crc32(png, start));
}

// Deflate bits go least significant first; Huffman codes most significant first.
class BitWriter {
public:
    explicit BitWriter(std::string& out) : m_out(out) {}
    void Bits(DWORD value, int count)
    {
        for (int i = 0; i < count; ++i)
            Bit((value >> i) & 1);
    }
    void Code(DWORD code, int length)
    {
        for (int i = length - 1; i >= 0; --i)
            Bit((code >> i) & 1);
    }
    void Flush()
    {
        if (m_used)
            m_out += static_cast<char>(m_byte);
        m_byte = 0;
        m_used = 0;
    }

private:
    void Bit(DWORD bit)
    {
        m_byte |= bit << m_used;
        if (++m_used == 8)
            Flush();
    }
    std::string& m_out;
    DWORD m_byte = 0;
    int m_used = 0;
};

}  // namespace

std::string MakeBlankPng(UINT width, UINT height)
{
    // Every row is its filter byte and width grey pixels, all zero: one
    // literal zero, then copies of 258 bytes at distance 1, in one block of
    // the fixed codes.
    const unsigned long long total = static_cast<unsigned long long>(height) * (width + 1ull);
    std::string stream("\x78\x01", 2);
    BitWriter bits(stream);
    bits.Bits(1, 1);  // the last block
    bits.Bits(1, 2);  // fixed codes
    const DWORD kLiteralZero = 0x30, kLength258 = 0xC5, kEndOfBlock = 0;
    unsigned long long left = total;
    bits.Code(kLiteralZero, 8);
    --left;
    for (; left >= 258; left -= 258) {
        bits.Code(kLength258, 8);
        bits.Code(0, 5);  // distance 1
    }
    for (; left > 0; --left)
        bits.Code(kLiteralZero, 8);
    bits.Code(kEndOfBlock, 7);
    bits.Flush();
    const DWORD adler = (static_cast<DWORD>(total % 65521u) << 16) | 1u;
    PutBigEndian(stream, adler);

    std::string png("\x89PNG\r\n\x1A\n", 8);
    std::string header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header += std::string("\x08\x00\x00\x00\x00", 5);  // 8-bit grey, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", stream);
    PutChunk(png, "IEND", std::string());
    return png;
}

VelBitmap SolidBitmap(int width, int height, COLORREF colour)
{
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HDC dc = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    HBRUSH brush = ::CreateSolidBrush(colour);
    const RECT all = {0, 0, width, height};
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return VelBitmap(bitmap);
}
