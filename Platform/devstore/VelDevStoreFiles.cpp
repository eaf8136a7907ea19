// The store's files and their records: names, stamps, splitting a file into
// records, and reading and writing one file of one kind.
#include "VelDevEngine.h"

#include <boost/make_shared.hpp>

namespace veldev {

std::wstring FileName(Kind kind, DWORD value)
{
    return value == 0 ? std::wstring(kFileStems[kind]) + L".ini"
                      : std::wstring(kFileStems[kind]) + L"-" + FormatNumber(value) + L".ini";
}

bool ParseFileName(Kind kind, const std::wstring& name, DWORD* value)
{
    std::wstring stem = kFileStems[kind];
    if (name.size() < stem.size() + 4 || _wcsnicmp(name.c_str(), stem.c_str(), stem.size()) != 0 ||
        _wcsicmp(name.c_str() + name.size() - 4, L".ini") != 0) {
        return false;
    }
    std::wstring middle = name.substr(stem.size(), name.size() - stem.size() - 4);
    if (middle.empty()) {
        *value = 0;
        return true;
    }
    // One spelling per file: no sign, no leading zero.
    if (middle[0] != L'-' || middle.size() < 2 || middle[1] == L'0')
        return false;
    return ParseNumber(middle.substr(1), value) && *value <= kNoMoreIds / kIdsPerFile;
}

DWORD FileFor(DWORD id) { return id / kIdsPerFile; }
DWORD SlotFor(DWORD value) { return value < kTrackedFiles ? value : kTrackedFiles; }

namespace {

void FillStamp(HANDLE handle, Stamp* stamp)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info))
        return;
    stamp->exists = true;
    stamp->volume = info.dwVolumeSerialNumber;
    stamp->indexHigh = info.nFileIndexHigh;
    stamp->indexLow = info.nFileIndexLow;
    stamp->sizeLow = info.nFileSizeLow;
    stamp->written = info.ftLastWriteTime;
}

}  // namespace

bool ReadStamped(const std::wstring& path, std::string* bytes, Stamp* stamp)
{
    *stamp = Stamp();
    bytes->clear();
    HANDLE handle = OpenShared(path, GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    FillStamp(handle, stamp);
    bool ok = stamp->exists;
    if (ok) {
        // One read for the size the file has; a file that grew meanwhile is read on.
        DWORD want = stamp->sizeLow + 1, got = 0;
        bytes->resize(want);
        ok = ReadFile(handle, &(*bytes)[0], want, &got, 0) != 0;
        bytes->resize(ok ? got : 0);
        std::string rest;
        if (ok && got == want && ReadHandle(handle, &rest))
            bytes->append(rest);
        else if (ok && got == want)
            ok = false;
    }
    CloseHandle(handle);
    return ok;
}

Stamp StampOf(const std::wstring& path)
{
    Stamp stamp;
    HANDLE handle = OpenShared(path, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return stamp;
    FillStamp(handle, &stamp);
    CloseHandle(handle);
    return stamp;
}

namespace {

// The file's text as UTF-8: a UTF-8 signature is dropped, a UTF-16 file
// (someone saved it with another editor) is converted.
std::string AsUtf8(const std::string& bytes, const wchar_t* fileName)
{
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return bytes.substr(3);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        VelDevDebugPrint(L"VelDevStore: %ls is UTF-16, read as such.\n", fileName);
        std::wstring wide(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        return VelDevToUtf8(wide);
    }
    return bytes;
}

struct Chunk {
    std::string header;  // the section line, empty for lines before the first section
    size_t begin = 0;    // every line of the record, header included: [begin, end) of the text
    size_t end = 0;
    bool malformed = false;
};

bool IsTrimmed(char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; }

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Splits at section lines so that one record's damage cannot spill into the
// next; a line that is no ini line at all marks its record damaged.
std::vector<Chunk> SplitRecords(const std::string& text)
{
    std::vector<Chunk> chunks(1);
    const char* data = text.data();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        size_t first = pos, last = end;
        while (first < last && IsTrimmed(data[first]))
            ++first;
        while (last > first && IsTrimmed(data[last - 1]))
            --last;
        const char* line = data + first;
        const size_t length = last - first;
        if (length > 0 && line[0] == '[') {
            chunks.back().end = pos;
            chunks.push_back(Chunk());
            chunks.back().header.assign(line, length);
            chunks.back().begin = pos;
            if (length < 3 || line[length - 1] != ']')
                chunks.back().malformed = true;
        } else if (length > 0 && line[0] != ';' && line[0] != '#' && !memchr(line, '=', length)) {
            chunks.back().malformed = true;
        } else if (memchr(line, '\0', length)) {
            chunks.back().malformed = true;
        }
        pos = end + 1;
    }
    chunks.back().end = text.size();
    return chunks;
}

// A record's lines as UTF-16; false when they are not UTF-8.
bool WideText(const std::string& text, const Chunk& chunk, std::wstring* wide)
{
    wide->clear();
    const int bytes = static_cast<int>(chunk.end - chunk.begin);
    if (bytes == 0)
        return true;
    const char* from = text.data() + chunk.begin;
    int chars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, from, bytes, 0, 0);
    if (chars <= 0)
        return false;
    wide->resize(chars);
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, from, bytes, &(*wide)[0], chars) == chars;
}

std::wstring SectionName(const std::string& header)
{
    if (header.size() < 2)
        return std::wstring();
    return VelDevFromUtf8(Trim(header.substr(1, header.size() - 2)));
}

std::string ShortForLog(const std::string& header)
{
    return header.size() > 40 ? header.substr(0, 40) + "..." : header;
}

// The first "<file>.damaged", "<file>.damaged-2", ... not yet taken.
std::wstring FreeDamagedName(const std::wstring& path)
{
    std::wstring name = path + L".damaged";
    for (DWORD i = 2; GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) {
        name = path + L".damaged-" + FormatNumber(i);
    }
    return name;
}

}  // namespace

void RaiseNext(DWORD* next, ULONGLONG seen)
{
    ULONGLONG after = seen + 1;
    DWORD capped = after >= kNoMoreIds ? kNoMoreIds : static_cast<DWORD>(after);
    if (capped > *next)
        *next = capped;
}

std::wstring NormalisedFolder(const std::wstring& folder)
{
    wchar_t buf[MAX_PATH * 2];
    DWORD value = GetFullPathNameW(folder.c_str(), MAX_PATH * 2, buf, 0);
    std::wstring full = (value > 0 && value < MAX_PATH * 2) ? std::wstring(buf, value) : folder;
    while (full.size() > 3 && (full[full.size() - 1] == L'\\' || full[full.size() - 1] == L'/')) {
        full.erase(full.size() - 1);
    }
    return full;
}

}  // namespace veldev

using namespace veldev;

template <class R>
bool VelDevStoreImpl::Parse(const std::string& bytes, const std::wstring& fileName, FileState<R>* out)
{
    bool damaged = false;
    const std::string text = AsUtf8(bytes, fileName.c_str());
    std::vector<Chunk> chunks = SplitRecords(text);
    std::wstring wide;
    Section section;
    for (const Chunk& chunk : chunks) {
        if (chunk.header.empty()) {
            if (chunk.malformed) {
                VelDevDebugPrint(L"VelDevStore: %ls: text before the first record skipped.\n", fileName.c_str());
                damaged = true;
            }
            continue;
        }
        std::wstring why;
        std::wstring name = SectionName(chunk.header);
        DWORD id = 0;
        // An id named anywhere, even in a record that cannot be read, is never given out again.
        if (ParseNumber(name, &id))
            RaiseNext(&out->nextId, id);
        if (chunk.malformed) {
            why = L"malformed line";
        } else if (!WideText(text, chunk, &wide)) {
            why = L"not UTF-8";
        } else {
            ParseSection(wide.data(), wide.size(), name, &section);
            if (_wcsicmp(name.c_str(), kMetaSection) == 0) {
                DWORD next = 0;
                const wchar_t* value = section.Get(L"nextId");
                if (value && ParseNumber(value, &next) && next > out->nextId)
                    out->nextId = next;
                continue;
            }
            if (_wcsicmp(name.c_str(), kDeletedSection) == 0) {
                for (const SectionValue& entry : section.values) {
                    DWORD deleted = 0, pid = 0;
                    if (!ParseNumber(entry.key, &deleted))
                        continue;
                    RaiseNext(&out->nextId, deleted);
                    if (ParseNumber(entry.value, &pid))
                        out->deletions.push_back({deleted, pid});
                }
                continue;
            }
            R r;
            const wchar_t* rev = section.Get(L"revision");
            const wchar_t* writer = section.Get(L"writer");
            if (!ParseNumber(name, &id) || id == 0 || id == kNoMoreIds) {
                why = L"bad id";
            } else if (out->records.count(id)) {
                why = L"duplicate id";
            } else if (!rev || !ParseNumber(rev, &r.revision)) {
                why = L"no revision (cut short?)";
            } else if (writer && !ParseNumber(writer, &r.writer)) {
                why = L"bad writer";
            } else if (KindOf<R>::Read(section, &r, &why)) {
                if (!why.empty()) {
                    // Read, less what it could not keep: the file is kept aside on the next save.
                    std::string shown = ShortForLog(chunk.header);
                    VelDevDebugPrint(L"VelDevStore: %ls: record %hs: %ls.\n", fileName.c_str(), shown.c_str(),
                                     why.c_str());
                    damaged = true;
                }
                r.id = id;
                out->records[id] = boost::make_shared<const R>(r);
                continue;
            }
        }
        std::string shown = ShortForLog(chunk.header);
        VelDevDebugPrint(L"VelDevStore: %ls: record %hs skipped: %ls.\n", fileName.c_str(), shown.c_str(), why.c_str());
        damaged = true;
    }
    out->damaged = damaged;
    return true;
}

template <class R>
bool VelDevStoreImpl::SaveFile(DWORD n, FileState<R>& file)
{
    const Kind kind = KindOf<R>::kind;
    CSimpleIniW ini;
    ini.SetUnicode(true);
    ini.SetValue(kMetaSection, L"nextId", FormatNumber(file.nextId).c_str());
    for (const auto& kv : file.records) {
        std::wstring section = FormatNumber(kv.first);
        KindOf<R>::Write(ini, section.c_str(), *kv.second);
        ini.SetValue(section.c_str(), L"writer", FormatNumber(kv.second->writer).c_str());
        ini.SetValue(section.c_str(), L"revision", FormatNumber(kv.second->revision).c_str());
    }
    for (const auto& deletion : file.deletions) {
        ini.SetValue(kDeletedSection, FormatNumber(deletion.first).c_str(), FormatNumber(deletion.second).c_str());
    }
    std::string text;
    if (ini.Save(text, false) < 0)
        return false;
    std::wstring path = PathOf(kind, n);
    typename std::map<DWORD, FileState<R>>::iterator known = State<R>().files.find(n);
    if (known != State<R>().files.end() && known->second.damaged) {
        // What was skipped is not lost for good: each damaged file stays beside, under a name of its own.
        std::wstring aside = FreeDamagedName(path);
        if (!CopyFileW(path.c_str(), aside.c_str(), TRUE)) {
            VelDevDebugPrint(L"VelDevStore: %ls cannot be kept aside (%lu).\n", FileName(kind, n).c_str(),
                             GetLastError());
            return false;
        }
    }
    if (!WriteFileAtomically(path, text)) {
        VelDevDebugPrint(L"VelDevStore: %ls cannot be written (%lu).\n", FileName(kind, n).c_str(), GetLastError());
        if (known != State<R>().files.end())
            known->second.stamp = Stamp();  // read again next time
        return false;
    }
    file.stamp = StampOf(path);
    file.damaged = false;
    return true;
}

#define VELDEV_INSTANTIATE(R)                                                                                          \
    template bool VelDevStoreImpl::Parse<R>(const std::string&, const std::wstring&, FileState<R>*);                   \
    template bool VelDevStoreImpl::SaveFile<R>(DWORD, FileState<R>&);
VELDEV_FOR_EACH_KIND(VELDEV_INSTANTIATE)
