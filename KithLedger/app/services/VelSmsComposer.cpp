#include "VelSmsComposer.h"

#include <cwchar>

#include "VelBoundedFormat.h"
#include "VelFiles.h"

namespace {

const wchar_t kComposerProgram[] = L"tmail.exe";
const wchar_t kComposerLineFormat[] = L"-service \"SMS\" -to \"%s\"";
const size_t kComposerLineChars = 512;
const wchar_t kRecipientSeparator = L';';

std::wstring Without(const std::wstring& text, const wchar_t* characters)
{
    std::wstring kept;
    kept.reserve(text.size());
    for (wchar_t c : text) {
        if (!std::wcschr(characters, c))
            kept += c;
    }
    return kept;
}

}  // namespace

std::wstring FormatSmsRecipient(const std::wstring& number, const std::wstring& name)
{
    const wchar_t* const splitters = L";<>";
    std::wstring recipient = Without(name, splitters);
    if (!recipient.empty())
        recipient += L' ';
    recipient += L'<';
    recipient += Without(number, splitters);
    recipient += L'>';
    return recipient;
}

bool FormatSmsComposerLine(const std::wstring& recipient, std::wstring* line)
{
    std::wstring unquoted = Without(recipient, L"\"");
    // Cutting inside a recipient would send the message to a shorter, other
    // number: keep whole recipients only.
    const size_t room = kComposerLineChars - 1 - (std::wcslen(kComposerLineFormat) - 2);
    if (unquoted.size() > room) {
        // A separator just past the room ends a recipient that fits whole.
        const size_t separator = unquoted.rfind(kRecipientSeparator, room);
        if (separator == std::wstring::npos)
            return false;
        unquoted.resize(separator == room ? room : separator + 1);
    }
    wchar_t buffer[kComposerLineChars];
    if (!VelFormatBounded(buffer, kComposerLineChars, kComposerLineFormat, unquoted.c_str()))
        return false;
    *line = buffer;
    return true;
}

bool StartSmsComposer(const std::wstring& recipient)
{
    std::wstring line;
    if (!FormatSmsComposerLine(recipient, &line))
        return false;
    return StartProgram(kComposerProgram, &line[0]);
}
