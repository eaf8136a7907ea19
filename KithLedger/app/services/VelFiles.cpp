#include "VelFiles.h"
#include "VelUniqueHandle.h"

#include <cwchar>

namespace {

const DWORD kFirstPathChars = 100;
const size_t kExtensionChars = 4;

}  // namespace

std::wstring GetModuleDirectory(HMODULE module)
{
    std::wstring path;
    DWORD size = kFirstPathChars;
    DWORD length;
    // A path that fills the buffer may have been cut: try again with twice the room.
    for (;;) {
        path.resize(size);
        length = GetModuleFileNameW(module, &path[0], size);
        if (length < size - 1)
            break;
        size *= 2;
    }
    path.resize(length);
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos)
        return std::wstring();
    path.resize(slash + 1);
    return path;
}

std::vector<std::wstring> ListFiles(const std::wstring& directory, const std::wstring& pattern, VelExtension extension)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    const VelFindHandle search(FindFirstFileW((directory + pattern).c_str(), &found));
    if (!search)
        return names;
    do {
        std::wstring name = found.cFileName;
        if (extension == VelExtension::kStrip && name.size() > kExtensionChars)
            name.resize(name.size() - kExtensionChars);
        names.push_back(name);
    } while (FindNextFileW(search.Get(), &found));
    return names;
}

bool StartProgram(const wchar_t* program, wchar_t* commandLine)
{
    // The platform looks a bare name up in the current directory only: the
    // phone's programs stand beside this one, wherever it was started from.
    std::wstring path;
    if (program && !wcschr(program, L'\\') && !wcschr(program, L'/') && !wcschr(program, L':')) {
        path = GetModuleDirectory() + program;
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            program = path.c_str();
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    // Nothing waits for the program: both handles go at once.
    const VelKernelHandle thread(process.hThread);
    const VelKernelHandle started(process.hProcess);
    return true;
}
