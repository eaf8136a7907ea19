#pragma once
#include "VelPlatform.h"

#include <stdexcept>
#include <string>

// A refused platform call: "[where]: Failed with error N: system text".
// Thrown by value. It is a std::runtime_error (what() gives the text in UTF-8)
// so that a handler of standard exceptions does not let it end the program.
class VelWinException : public std::runtime_error {
public:
    VelWinException(const wchar_t* where, DWORD error);

    const std::wstring& GetMessageText() const { return m_message; }
    const std::wstring& GetSystemText() const { return m_systemText; }
    DWORD GetErrorCode() const { return m_error; }

private:
    VelWinException(DWORD error, const std::wstring& systemText, const wchar_t* where);
    VelWinException(DWORD error, const std::wstring& systemText, const std::wstring& message);
    static std::wstring FormatSystemText(DWORD error);

    std::wstring m_systemText;
    std::wstring m_message;
    DWORD m_error;
};
