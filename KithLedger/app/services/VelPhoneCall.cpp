#include "VelPhoneCall.h"

#include <Phone.h>

#include "VelFiles.h"

bool PlaceCall(const std::wstring& number, const std::wstring& name)
{
    if (number.empty())
        return false;
    PhoneMakeCallInfo info = {};
    info.cbSize = sizeof(info);
    info.destination = number.c_str();
    info.calledParty = name.empty() ? NULL : name.c_str();
    return PhoneMakeCall(&info) == 0;
}

void StartPhoneApp()
{
    wchar_t noArguments[1] = L"";
    StartProgram(L"cprog.exe", noArguments);
}
