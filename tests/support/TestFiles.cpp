#include "TestFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(std::string(path.begin(), path.end()), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(std::string(path.begin(), path.end()), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool ResourceSection(const std::string& file, size_t* start, size_t* size)
{
    IMAGE_DOS_HEADER dos;
    if (file.size() < sizeof(dos))
        return false;
    memcpy(&dos, file.data(), sizeof(dos));
    IMAGE_NT_HEADERS nt;
    if (file.size() < static_cast<size_t>(dos.e_lfanew) + sizeof(nt))
        return false;
    memcpy(&nt, file.data() + dos.e_lfanew, sizeof(nt));
    const size_t sections =
        dos.e_lfanew + offsetof(IMAGE_NT_HEADERS, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER section;
        memcpy(&section, file.data() + sections + i * sizeof(section), sizeof(section));
        if (memcmp(section.Name, ".rsrc", 5) == 0) {
            *start = section.PointerToRawData;
            *size = std::min<size_t>(section.SizeOfRawData, file.size() - section.PointerToRawData);
            return true;
        }
    }
    return false;
}
