#include "VelWinException.h"

namespace {

std::wstring FormatMessageText(const wchar_t* where, DWORD error, const std::wstring& systemText)
{
    return L"[" + std::wstring(where) + L"]: Failed with error " + std::to_wstring(static_cast<int>(error)) + L": " +
           systemText;
}

std::string ToUtf8(const std::wstring& text)
{
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return std::string();
    std::string utf8(length - 1, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

}  // namespace

VelWinException::VelWinException(const wchar_t* where, DWORD error)
    : VelWinException(error, FormatSystemText(error), where)
{
}

VelWinException::VelWinException(DWORD error, const std::wstring& systemText, const wchar_t* where)
    : VelWinException(error, systemText, FormatMessageText(where, error, systemText))
{
}

VelWinException::VelWinException(DWORD error, const std::wstring& systemText, const std::wstring& message)
    : std::runtime_error(ToUtf8(message)), m_systemText(systemText), m_message(message), m_error(error)
{
}

// Empty when the system has no text for the code.
std::wstring VelWinException::FormatSystemText(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    const DWORD length = ::FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    ::LocalFree(buffer);
    return text;
}
