#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Durations are signed counts of 100 ns, the unit of the platform's file time.
const int64_t kTicksPerMillisecond = 10000;
const int64_t kTicksPerSecond = 10000000;
const int64_t kTicksPerMinute = 600000000;
const int64_t kTicksPerHour = 36000000000LL;
const int64_t kTicksPerDay = 864000000000LL;

// Whole units, truncated toward zero.
inline int64_t TicksToMilliseconds(int64_t ticks) { return ticks / kTicksPerMillisecond; }
inline int64_t TicksToSeconds(int64_t ticks) { return ticks / kTicksPerSecond; }
inline int64_t TicksToMinutes(int64_t ticks) { return ticks / kTicksPerMinute; }
inline int64_t TicksToHours(int64_t ticks) { return ticks / kTicksPerHour; }
inline int64_t TicksToDays(int64_t ticks) { return ticks / kTicksPerDay; }

// A local calendar time in the platform's calendar record. Arithmetic and
// comparisons go through the file time; the day of week takes no part.
class VelDateTime {
public:
    // Replaces the platform's local clock (tests fix "now"); null restores it.
    // Returns the clock it replaces.
    typedef void (*Clock)(SYSTEMTIME* now);
    static Clock SetClock(Clock clock);

    // Now, from the local clock.
    VelDateTime();
    // Day of week and milliseconds are 0.
    VelDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    // A file time that is already local; no time-zone change.
    explicit VelDateTime(const FILETIME& localTime);
    explicit VelDateTime(const SYSTEMTIME& time) : m_time(time) {}

    static VelDateTime Now() { return VelDateTime(); }

    void Set(int year, int month, int day, int hour, int minute, int second);
    // Zero when the fields do not make a date.
    FILETIME ToFileTime() const;
    const SYSTEMTIME& ToSystemTime() const { return m_time; }

    int GetYear() const { return m_time.wYear; }
    int GetMonth() const { return m_time.wMonth; }
    int GetDayOfWeek() const { return m_time.wDayOfWeek; }
    int GetDay() const { return m_time.wDay; }
    int GetHour() const { return m_time.wHour; }
    int GetMinute() const { return m_time.wMinute; }
    int GetSecond() const { return m_time.wSecond; }
    int GetMilliseconds() const { return m_time.wMilliseconds; }

    // Plain field access, no normalisation.
    void SetYear(int year) { m_time.wYear = static_cast<WORD>(year); }
    void SetMonth(int month) { m_time.wMonth = static_cast<WORD>(month); }
    void SetDay(int day) { m_time.wDay = static_cast<WORD>(day); }
    void SetHour(int hour) { m_time.wHour = static_cast<WORD>(hour); }
    void SetMinute(int minute) { m_time.wMinute = static_cast<WORD>(minute); }
    void SetSecond(int second) { m_time.wSecond = static_cast<WORD>(second); }

    bool IsEarlier(const VelDateTime& other) const { return Ticks() < other.Ticks(); }
    bool operator<(const VelDateTime& other) const { return Ticks() < other.Ticks(); }
    bool operator<=(const VelDateTime& other) const { return Ticks() <= other.Ticks(); }
    bool operator>(const VelDateTime& other) const { return Ticks() > other.Ticks(); }
    bool operator>=(const VelDateTime& other) const { return Ticks() >= other.Ticks(); }
    bool operator==(const VelDateTime& other) const { return Ticks() == other.Ticks(); }
    bool operator!=(const VelDateTime& other) const { return Ticks() != other.Ticks(); }

    // a - b as a duration.
    static int64_t Subtract(const VelDateTime& a, const VelDateTime& b) { return a.Ticks() - b.Ticks(); }
    // The day of week is recomputed.
    VelDateTime& operator+=(int64_t duration);
    VelDateTime& operator-=(int64_t duration) { return *this += -duration; }
    VelDateTime operator+(int64_t duration) const { return VelDateTime(*this) += duration; }
    VelDateTime operator-(int64_t duration) const { return VelDateTime(*this) -= duration; }

    // From the most recent Sunday on, or any later date.
    bool IsInCurrentWeek() const;

private:
    int64_t Ticks() const;

    SYSTEMTIME m_time;
};

// Reads the day and month names from the language library; once, at start-up.
void LoadDateNames();

// strftime-like: %Y %y %m %B %b %d %e %A %w %H %I %M %S %%; any other directive
// and a trailing '%' give nothing. Names come from LoadDateNames.
std::wstring FormatDateTime(const VelDateTime& date, const wchar_t* format);

// The group label of a date as seen from today: today, yesterday, a weekday,
// weeks back, a month, an earlier year.
std::wstring GetRelativeDateLabel(const VelDateTime& date);
