#include "VelCallItem.h"

#include <Phone.h>

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

std::wstring Copy(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

uint32_t CallFlagsOf(const CallLogEntry& entry)
{
    uint32_t flags = 0;
    if (entry.direction == kCallMissed)
        flags |= VelCallItem::kMissed;
    if (entry.flags & kCallConnected)
        flags |= VelCallItem::kConnected;
    if (entry.flags & kCallEnded)
        flags |= VelCallItem::kEnded;
    return flags;
}

}  // namespace

VelCallItem::VelCallItem(CallLogEntry& entry)
    : m_start(LocalTime(entry.startTime)), m_end(LocalTime(entry.endTime)), m_number(Copy(entry.number)),
      m_displayText(entry.name     ? std::wstring(entry.name)
                    : entry.number ? std::wstring(entry.number)
                                   : LoadLocalizedString(kStrUnknownCaller)),
      m_name(Copy(entry.name)), m_nameType(Copy(entry.nameType)), m_outgoing(entry.direction == kCallOutgoing),
      m_callFlags(CallFlagsOf(entry))
{
    LocalFree(entry.number);
    LocalFree(entry.name);
    LocalFree(entry.nameType);
    LocalFree(entry.note);
    entry.number = entry.name = entry.nameType = entry.note = NULL;
}
