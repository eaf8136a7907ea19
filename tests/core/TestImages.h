#pragma once
// Small images made by the tests themselves: an RGBA PNG (stored deflate
// blocks) and a 24-bit BMP file.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace testimages {

struct Rgba {
    uint8_t r, g, b, a;
};

inline uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void PutBig32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBig32(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBig32(out, Crc32(body.data(), body.size()));
}

// pixels: width * height, rows top first.
inline std::vector<uint8_t> MakePng(int width, int height, const std::vector<Rgba>& pixels)
{
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const Rgba& p = pixels[y * width + x];
            raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
        }
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    for (size_t offset = 0; offset < raw.size() || offset == 0; offset += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - offset);
        const bool final = offset + n >= raw.size();
        zlib.push_back(final ? 1 : 0);
        zlib.push_back(n & 0xFF);
        zlib.push_back(n >> 8);
        zlib.push_back(~n & 0xFF);
        zlib.push_back((~n >> 8) & 0xFF);
        zlib.insert(zlib.end(), raw.begin() + offset, raw.begin() + offset + n);
        if (final)
            break;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(zlib, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBig32(header, width);
    PutBig32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

inline std::vector<uint8_t> MakeSolidPng(int width, int height, Rgba color)
{
    return MakePng(width, height, std::vector<Rgba>(width * height, color));
}

// A bottom-up 24-bit BMP file of one colour.
inline std::vector<uint8_t> MakeBmp(int width, int height, COLORREF color)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + stride * height;
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::vector<uint8_t> bmp(reinterpret_cast<uint8_t*>(&file), reinterpret_cast<uint8_t*>(&file) + sizeof(file));
    bmp.insert(bmp.end(), reinterpret_cast<uint8_t*>(&info), reinterpret_cast<uint8_t*>(&info) + sizeof(info));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            bmp.insert(bmp.end(), {GetBValue(color), GetGValue(color), GetRValue(color)});
        bmp.resize(bmp.size() + stride - width * 3, 0);
    }
    return bmp;
}

// Per process: ctest runs the cases of one binary side by side.
inline std::wstring TempPath(const wchar_t* name)
{
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + std::to_wstring(::GetCurrentProcessId()) + L"-" + name;
}

inline void WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace testimages
