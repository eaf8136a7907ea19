#include "VelDevInternal.h"

#include <algorithm>
#include <cwchar>

namespace {

const ULONGLONG kTicksPerSecond = 10000000ULL;

ULONGLONG ToTicks(const FILETIME& ft) { return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

FILETIME FromTicks(ULONGLONG value)
{
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(value);
    ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return ft;
}

// Exactly count digits at text[pos...].
bool ReadDigits(const std::wstring& text, size_t& pos, size_t count, int* value)
{
    int digits = 0;
    for (size_t i = 0; i < count; ++i, ++pos) {
        if (pos >= text.size() || text[pos] < L'0' || text[pos] > L'9')
            return false;
        digits = digits * 10 + (text[pos] - L'0');
    }
    *value = digits;
    return true;
}

bool Expect(const std::wstring& text, size_t& pos, wchar_t ch)
{
    if (pos >= text.size() || text[pos] != ch)
        return false;
    ++pos;
    return true;
}

}  // namespace

std::string VelDevToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int value = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), 0, 0, 0, 0);
    std::string out(value > 0 ? value : 0, '\0');
    if (value > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], value, 0, 0);
    return out;
}

std::wstring VelDevFromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int value = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), 0, 0);
    std::wstring out(value > 0 ? value : 0, L'\0');
    if (value > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], value);
    return out;
}

std::wstring VelDevFormatTime(const FILETIME& utc)
{
    ULONGLONG ticks = ToTicks(utc);
    DWORD fraction = static_cast<DWORD>(ticks % kTicksPerSecond);
    SYSTEMTIME fields;
    FILETIME whole = FromTicks(ticks - fraction);
    if (!FileTimeToSystemTime(&whole, &fields))
        return std::wstring();
    wchar_t buf[48];
    if (fraction) {
        _snwprintf(buf, 48, L"%04u-%02u-%02u %02u:%02u:%02u.%07luZ", fields.wYear, fields.wMonth, fields.wDay,
                   fields.wHour, fields.wMinute, fields.wSecond, static_cast<unsigned long>(fraction));
    } else {
        _snwprintf(buf, 48, L"%04u-%02u-%02u %02u:%02u:%02uZ", fields.wYear, fields.wMonth, fields.wDay, fields.wHour,
                   fields.wMinute, fields.wSecond);
    }
    buf[47] = 0;
    return buf;
}

bool VelDevParseTime(const std::wstring& text, FILETIME* utc)
{
    size_t pos = 0;
    int year, month, day, hour, minute, second;
    if (!ReadDigits(text, pos, 4, &year) || !Expect(text, pos, L'-') || !ReadDigits(text, pos, 2, &month) ||
        !Expect(text, pos, L'-') || !ReadDigits(text, pos, 2, &day)) {
        return false;
    }
    if (pos >= text.size() || (text[pos] != L' ' && text[pos] != L'T'))
        return false;
    ++pos;
    if (!ReadDigits(text, pos, 2, &hour) || !Expect(text, pos, L':') || !ReadDigits(text, pos, 2, &minute) ||
        !Expect(text, pos, L':') || !ReadDigits(text, pos, 2, &second)) {
        return false;
    }
    DWORD fraction = 0;
    if (pos < text.size() && text[pos] == L'.') {
        ++pos;
        size_t digits = 0;
        while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9' && digits < 7) {
            fraction = fraction * 10 + (text[pos] - L'0');
            ++pos;
            ++digits;
        }
        if (digits == 0)
            return false;
        for (; digits < 7; ++digits)
            fraction *= 10;
    }
    if (!Expect(text, pos, L'Z') || pos != text.size())
        return false;
    SYSTEMTIME fields = {};
    fields.wYear = static_cast<WORD>(year);
    fields.wMonth = static_cast<WORD>(month);
    fields.wDay = static_cast<WORD>(day);
    fields.wHour = static_cast<WORD>(hour);
    fields.wMinute = static_cast<WORD>(minute);
    fields.wSecond = static_cast<WORD>(second);
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    FILETIME fileTime;
    if (!SystemTimeToFileTime(&fields, &fileTime))
        return false;
    *utc = FromTicks(ToTicks(fileTime) + fraction);
    return true;
}

FILETIME VelDevNow()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return ft;
}

namespace veldev {

bool IsHighSurrogate(wchar_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(wchar_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

int HexDigit(wchar_t ch)
{
    if (ch >= L'0' && ch <= L'9')
        return ch - L'0';
    if (ch >= L'a' && ch <= L'f')
        return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'F')
        return ch - L'A' + 10;
    return -1;
}

std::wstring Escape(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t ch = text[i];
        if (IsHighSurrogate(ch) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out += ch;
            out += text[++i];
            continue;
        }
        if (IsHighSurrogate(ch) || IsLowSurrogate(ch)) {
            // UTF-8 cannot carry half a pair: written as its code unit.
            wchar_t buf[8];
            _snwprintf(buf, 8, L"\\u%04X", static_cast<unsigned>(ch));
            buf[7] = 0;
            out += buf;
            continue;
        }
        switch (ch) {
        case L'\0':
            out += L"\\0";
            break;
        case L'\\':
            out += L"\\\\";
            break;
        case L'\r':
            out += L"\\r";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\t':
            out += L"\\t";
            break;
        case L' ':
            // The ini reader trims blanks around a value.
            if (i == 0 || i + 1 == text.size())
                out += L"\\s";
            else
                out += ch;
            break;
        default:
            out += ch;
        }
    }
    return out;
}

std::wstring EscapeLine(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t ch : text) {
        if (ch == L'\\')
            out += L"\\\\";
        else if (ch == L'\r')
            out += L"\\r";
        else if (ch == L'\n')
            out += L"\\n";
        else
            out += ch;
    }
    return out;
}

std::wstring Unescape(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t ch = text[i];
        if (ch != L'\\' || i + 1 == text.size()) {
            out += ch;
            continue;
        }
        wchar_t escaped = text[++i];
        switch (escaped) {
        case L'\\':
            out += L'\\';
            break;
        case L'r':
            out += L'\r';
            break;
        case L'n':
            out += L'\n';
            break;
        case L't':
            out += L'\t';
            break;
        case L's':
            out += L' ';
            break;
        case L'0':
            out += L'\0';
            break;
        case L'u': {
            int high = i + 4 < text.size() ? HexDigit(text[i + 1]) : -1, second = high < 0 ? -1 : HexDigit(text[i + 2]);
            int third = second < 0 ? -1 : HexDigit(text[i + 3]), low = third < 0 ? -1 : HexDigit(text[i + 4]);
            if (low >= 0) {
                out += static_cast<wchar_t>((high << 12) | (second << 8) | (third << 4) | low);
                i += 4;
            } else {
                out += L'\\';
                out += escaped;
            }
            break;
        }
        default:
            out += L'\\';
            out += escaped;  // not ours: keep it as written
        }
    }
    return out;
}

namespace {

// Keys match as the ini reader matches them (_wcsicmp); plain ASCII, the
// usual case, is compared here without the library's locale lookups.
bool SameKey(const wchar_t* left, const wchar_t* right)
{
    for (size_t i = 0;; ++i) {
        wchar_t leftChar = left[i], rightChar = right[i];
        if (leftChar >= 0x80 || rightChar >= 0x80)
            return _wcsicmp(left, right) == 0;
        if (leftChar >= L'A' && leftChar <= L'Z')
            leftChar = static_cast<wchar_t>(leftChar - L'A' + L'a');
        if (rightChar >= L'A' && rightChar <= L'Z')
            rightChar = static_cast<wchar_t>(rightChar - L'A' + L'a');
        if (leftChar != rightChar)
            return false;
        if (leftChar == 0)
            return true;
    }
}

}  // namespace

const wchar_t* Section::Get(const wchar_t* key) const
{
    for (const SectionValue& entry : values) {
        if (SameKey(entry.key.c_str(), key))
            return entry.value.c_str();
    }
    return 0;
}

namespace {

bool IsBlank(wchar_t ch) { return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n'; }

bool IsLineEnd(wchar_t ch) { return ch == L'\r' || ch == L'\n'; }

}  // namespace

void ParseSection(const wchar_t* text, size_t length, const std::wstring& name, Section* section)
{
    section->name = name;
    // The strings of the section read before are written over, not made anew.
    std::vector<SectionValue>& values = section->values;
    size_t used = 0;
    bool inSection = false;
    size_t pos = 0;
    auto skipLine = [&] {
        while (pos < length && !IsLineEnd(text[pos]))
            ++pos;
    };
    while (pos < length) {
        while (pos < length && IsBlank(text[pos]))
            ++pos;
        if (pos >= length)
            break;
        if (text[pos] == L';' || text[pos] == L'#') {
            skipLine();
            continue;
        }
        if (text[pos] == L'[') {
            ++pos;
            while (pos < length && IsBlank(text[pos]))
                ++pos;
            const size_t start = pos;
            while (pos < length && text[pos] != L']' && !IsLineEnd(text[pos]))
                ++pos;
            if (pos >= length || text[pos] != L']')
                continue;  // no header: the lines after it stay where they were
            size_t stop = pos;
            while (stop > start && IsBlank(text[stop - 1]))
                --stop;
            inSection = _wcsicmp(std::wstring(text + start, stop - start).c_str(), name.c_str()) == 0;
            skipLine();
            continue;
        }
        const size_t keyStart = pos;
        while (pos < length && text[pos] != L'=' && !IsLineEnd(text[pos]))
            ++pos;
        if (pos >= length || text[pos] != L'=')
            continue;
        if (pos == keyStart) {
            skipLine();
            continue;
        }
        size_t keyStop = pos;
        while (keyStop > keyStart && IsBlank(text[keyStop - 1]))
            --keyStop;
        ++pos;
        while (pos < length && !IsLineEnd(text[pos]) && IsBlank(text[pos]))
            ++pos;
        const size_t valueStart = pos;
        skipLine();
        size_t valueStop = pos;
        while (valueStop > valueStart && IsBlank(text[valueStop - 1]))
            --valueStop;
        if (!inSection)
            continue;
        if (used == values.size())
            values.emplace_back();
        SectionValue& added = values[used];
        added.key.assign(text + keyStart, keyStop - keyStart);
        bool repeated = false;
        for (size_t i = 0; i < used && !repeated; ++i) {
            if (SameKey(values[i].key.c_str(), added.key.c_str())) {
                values[i].value.assign(text + valueStart, valueStop - valueStart);
                repeated = true;
            }
        }
        if (!repeated) {
            added.value.assign(text + valueStart, valueStop - valueStart);
            ++used;
        }
    }
    values.resize(used);
}

bool ParseNumber(const std::wstring& text, DWORD* value)
{
    if (text.empty())
        return false;
    unsigned long long number = 0;
    size_t i = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        i = 2;
    }
    for (; i < text.size(); ++i) {
        wchar_t digitChar = text[i];
        int digit;
        if (digitChar >= L'0' && digitChar <= L'9')
            digit = digitChar - L'0';
        else if (base == 16 && digitChar >= L'a' && digitChar <= L'f')
            digit = digitChar - L'a' + 10;
        else if (base == 16 && digitChar >= L'A' && digitChar <= L'F')
            digit = digitChar - L'A' + 10;
        else
            return false;
        number = number * base + digit;
        if (number > 0xFFFFFFFFULL)
            return false;
    }
    *value = static_cast<DWORD>(number);
    return true;
}

std::wstring FormatNumber(DWORD value)
{
    wchar_t buf[16];
    _snwprintf(buf, 16, L"%lu", static_cast<unsigned long>(value));
    buf[15] = 0;
    return buf;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name)
{
    if (folder.empty())
        return name;
    wchar_t last = folder[folder.size() - 1];
    if (last == L'\\' || last == L'/')
        return folder + name;
    return folder + L"\\" + name;
}

bool FolderExists(const std::wstring& folder)
{
    DWORD value = GetFileAttributesW(folder.c_str());
    return value != INVALID_FILE_ATTRIBUTES && (value & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolders(const std::wstring& folder)
{
    if (folder.empty() || FolderExists(folder))
        return !folder.empty();
    size_t cut = folder.find_last_of(L"\\/");
    if (cut != std::wstring::npos && cut > 0 && folder[cut - 1] != L':') {
        MakeFolders(folder.substr(0, cut));
    }
    return CreateDirectoryW(folder.c_str(), 0) || GetLastError() == ERROR_ALREADY_EXISTS;
}

HANDLE OpenShared(const std::wstring& path, DWORD access)
{
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, 0);
}

bool ReadHandle(HANDLE handle, std::string* bytes)
{
    bytes->clear();
    char buf[16384];
    DWORD got = 0;
    for (;;) {
        if (!ReadFile(handle, buf, sizeof buf, &got, 0))
            return false;
        if (got == 0)
            return true;
        bytes->append(buf, got);
    }
}

bool WriteFileAtomically(const std::wstring& path, const std::string& bytes)
{
    if (VelDevFault(L"store.write")) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    wchar_t suffix[40];
    _snwprintf(suffix, 40, L".tmp%lu.%lu", GetCurrentProcessId(), GetCurrentThreadId());
    suffix[39] = 0;
    std::wstring temp = path + suffix;
    HANDLE handle = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = bytes.empty() || (WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, 0) &&
                                written == bytes.size());
    ok = FlushFileBuffers(handle) && ok;
    CloseHandle(handle);
    if (ok)
        ok = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok)
        DeleteFileW(temp.c_str());
    return ok;
}

}  // namespace veldev

bool VelDevReadFile(const std::wstring& path, std::string* bytes, size_t maxBytes)
{
    bytes->clear();
    HANDLE handle = veldev::OpenShared(path, GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    // A pipe or device would block or never end; a file past the limit is refused unread.
    bool ok = GetFileType(handle) == FILE_TYPE_DISK && GetFileSizeEx(handle, &size) && size.QuadPart >= 0 &&
              static_cast<ULONGLONG>(size.QuadPart) <= maxBytes;
    if (ok) {
        // One read for the size the file has; a file that grew meanwhile is read on.
        const DWORD want = static_cast<DWORD>(std::min<ULONGLONG>(size.QuadPart, 0x7FFFFFFE)) + 1;
        DWORD got = 0;
        bytes->resize(want);
        ok = ReadFile(handle, &(*bytes)[0], want, &got, 0) != 0;
        bytes->resize(ok ? got : 0);
        std::string rest;
        if (ok && got == want) {
            ok = veldev::ReadHandle(handle, &rest);
            bytes->append(rest);
        }
        ok = ok && bytes->size() <= maxBytes;
    }
    CloseHandle(handle);
    if (!ok)
        bytes->clear();
    return ok;
}

bool VelDevPlainFileName(const std::wstring& name)
{
    const size_t kMaxChars = 128;
    if (name.empty() || name.size() > kMaxChars || name == L"." || name == L"..")
        return false;
    for (wchar_t ch : name) {
        if (ch < 0x20 || wcschr(L"\\/:*?\"<>|", ch))
            return false;
    }
    wchar_t last = name[name.size() - 1];
    if (last == L'.' || last == L' ')
        return false;
    // A device answers to its name with any extension and trailing blanks.
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base[base.size() - 1] == L' ')
        base.erase(base.size() - 1);
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const wchar_t* text : kDevices) {
        if (_wcsicmp(base.c_str(), text) == 0)
            return false;
    }
    if (base.size() == 4 && (_wcsnicmp(base.c_str(), L"COM", 3) == 0 || _wcsnicmp(base.c_str(), L"LPT", 3) == 0) &&
        ((base[3] >= L'0' && base[3] <= L'9') || base[3] == 0xB9 || base[3] == 0xB2 || base[3] == 0xB3)) {
        return false;
    }
    return true;
}

void VelDevRemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                VelDevRemoveTree(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}
