#include "VelDateTime.h"

#include "VelLocalizedStrings.h"

namespace {

const int kDays = 7;
const int kMonths = 12;

std::wstring s_dayNames[kDays];
std::wstring s_monthNames[kMonths];
std::wstring s_shortMonthNames[kMonths];

void PlatformClock(SYSTEMTIME* now) { GetLocalTime(now); }

VelDateTime::Clock s_clock = PlatformClock;

void AppendNumber(std::wstring& out, int value, size_t minDigits)
{
    const std::wstring digits = std::to_wstring(value);
    if (digits.size() < minDigits)
        out.append(minDigits - digits.size(), L'0');
    out += digits;
}

// Months and days out of range name nothing rather than reading past a table.
void AppendName(std::wstring& out, const std::wstring* names, int count, int index)
{
    if (index >= 0 && index < count)
        out += names[index];
}

// Whole days from the date's midnight to today's; negative for later dates.
int64_t DaysBeforeToday(const VelDateTime& today, const VelDateTime& date)
{
    const VelDateTime todayMidnight(today.GetYear(), today.GetMonth(), today.GetDay());
    const VelDateTime dateMidnight(date.GetYear(), date.GetMonth(), date.GetDay());
    return TicksToDays(VelDateTime::Subtract(todayMidnight, dateMidnight));
}

}  // namespace

VelDateTime::Clock VelDateTime::SetClock(Clock clock)
{
    const Clock previous = s_clock;
    s_clock = clock ? clock : PlatformClock;
    return previous;
}

VelDateTime::VelDateTime() { s_clock(&m_time); }

VelDateTime::VelDateTime(int year, int month, int day, int hour, int minute, int second)
{
    Set(year, month, day, hour, minute, second);
}

VelDateTime::VelDateTime(const FILETIME& localTime) : m_time() { FileTimeToSystemTime(&localTime, &m_time); }

void VelDateTime::Set(int year, int month, int day, int hour, int minute, int second)
{
    m_time.wYear = static_cast<WORD>(year);
    m_time.wMonth = static_cast<WORD>(month);
    m_time.wDayOfWeek = 0;
    m_time.wDay = static_cast<WORD>(day);
    m_time.wHour = static_cast<WORD>(hour);
    m_time.wMinute = static_cast<WORD>(minute);
    m_time.wSecond = static_cast<WORD>(second);
    m_time.wMilliseconds = 0;
}

FILETIME VelDateTime::ToFileTime() const
{
    FILETIME fileTime = {};
    if (!SystemTimeToFileTime(&m_time, &fileTime))
        fileTime = FILETIME();
    return fileTime;
}

int64_t VelDateTime::Ticks() const
{
    const FILETIME fileTime = ToFileTime();
    return static_cast<int64_t>((static_cast<uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime);
}

VelDateTime& VelDateTime::operator+=(int64_t duration)
{
    const uint64_t ticks = static_cast<uint64_t>(Ticks() + duration);
    FILETIME fileTime;
    fileTime.dwLowDateTime = static_cast<DWORD>(ticks);
    fileTime.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    FileTimeToSystemTime(&fileTime, &m_time);
    return *this;
}

bool VelDateTime::IsInCurrentWeek() const
{
    const VelDateTime today;
    const int64_t distance = DaysBeforeToday(today, *this);
    return distance < 0 || distance <= today.GetDayOfWeek();
}

void LoadDateNames()
{
    for (int i = 0; i < kDays; ++i)
        s_dayNames[i] = LoadLocalizedString(kStrFirstDayName + i);
    for (int i = 0; i < kMonths; ++i) {
        s_monthNames[i] = LoadLocalizedString(kStrFirstMonthName + i);
        s_shortMonthNames[i] = LoadLocalizedString(kStrFirstShortMonthName + i);
    }
}

std::wstring FormatDateTime(const VelDateTime& date, const wchar_t* format)
{
    std::wstring out;
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%') {
            out += *p;
            continue;
        }
        if (!*++p)
            break;
        switch (*p) {
        case L'Y':
            AppendNumber(out, date.GetYear(), 4);
            break;
        case L'y':
            AppendNumber(out, date.GetYear() % 100, 2);
            break;
        case L'm':
            AppendNumber(out, date.GetMonth(), 2);
            break;
        case L'B':
            AppendName(out, s_monthNames, kMonths, date.GetMonth() - 1);
            break;
        case L'b':
            AppendName(out, s_shortMonthNames, kMonths, date.GetMonth() - 1);
            break;
        case L'd':
            AppendNumber(out, date.GetDay(), 2);
            break;
        case L'e':
            AppendNumber(out, date.GetDay(), 1);
            break;
        case L'A':
            AppendName(out, s_dayNames, kDays, date.GetDayOfWeek());
            break;
        case L'w':
            AppendNumber(out, date.GetDayOfWeek(), 1);
            break;
        case L'H':
            AppendNumber(out, date.GetHour(), 2);
            break;
        case L'I':
            AppendNumber(out, (date.GetHour() + 11) % 12 + 1, 2);
            break;
        case L'M':
            AppendNumber(out, date.GetMinute(), 2);
            break;
        case L'S':
            AppendNumber(out, date.GetSecond(), 2);
            break;
        case L'%':
            out += L'%';
            break;
        default:
            break;
        }
    }
    return out;
}

std::wstring GetRelativeDateLabel(const VelDateTime& date)
{
    const VelDateTime today;
    const int64_t distance = DaysBeforeToday(today, date);
    if (distance < 0)
        return FormatDateTime(date, date.GetYear() == today.GetYear() ? L"%B" : L"%B of %Y");
    if (distance == 0)
        return LoadLocalizedString(kStrToday);
    if (distance == 1)
        return LoadLocalizedString(kStrYesterday);
    if (distance <= 30) {
        const int64_t weekday = today.GetDayOfWeek();
        if (distance <= weekday)
            return FormatDateTime(date, L"%A");
        if (distance <= weekday + 7)
            return LoadLocalizedString(kStrOneWeekBack);
        if (distance <= weekday + 14)
            return LoadLocalizedString(kStrTwoWeeksBack);
        if (distance <= weekday + 21)
            return LoadLocalizedString(kStrThreeWeeksBack);
        return LoadLocalizedString(kStrEarlierWithin30Days);
    }
    if (date.GetYear() != today.GetYear())
        return LoadLocalizedString(kStrEarlierYear);
    if (today.GetMonth() == date.GetMonth() + 1)
        return LoadLocalizedString(kStrPreviousMonth);
    return FormatDateTime(date, L"%B");
}
