#include "VelCallItem.h"

#include <Platform/phone/Phone.h>

#include "VelLocalizedStrings.h"

namespace {

VelDateTime LocalTime(const FILETIME& utc)
{
    FILETIME local = {};
    FileTimeToLocalFileTime(&utc, &local);
    SYSTEMTIME fields = {};
    FileTimeToSystemTime(&local, &fields);
    return VelDateTime(fields);
}

std::wstring Copy(const wchar_t* text)
{
    return text ? std::wstring(text) : std::wstring();
}

uint32_t CallFlagsOf(const CallLogEntry& entry)
{
    uint32_t flags = 0;
    if (entry.iom == kCallMissed)
        flags |= VelCallItem::kMissed;
    if (entry.flags & kCallConnected)
        flags |= VelCallItem::kConnected;
    if (entry.flags & kCallEnded)
        flags |= VelCallItem::kEnded;
    return flags;
}

}

VelCallItem::VelCallItem(CallLogEntry& entry)
    : m_start(LocalTime(entry.ftStartTime)),
      m_end(LocalTime(entry.ftEndTime)),
      m_number(Copy(entry.pszNumber)),
      m_displayText(entry.pszName     ? std::wstring(entry.pszName)
                    : entry.pszNumber ? std::wstring(entry.pszNumber)
                                      : LoadLocalizedString(kStrUnknownCaller)),
      m_name(Copy(entry.pszName)),
      m_nameType(Copy(entry.pszNameType)),
      m_outgoing(entry.iom == kCallOutgoing),
      m_callFlags(CallFlagsOf(entry))
{
    LocalFree(entry.pszNumber);
    LocalFree(entry.pszName);
    LocalFree(entry.pszNameType);
    LocalFree(entry.pszNote);
    entry.pszNumber = entry.pszName = entry.pszNameType = entry.pszNote = NULL;
}
