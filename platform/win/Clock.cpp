// The local time on Windows: the system's local time and the bias of the time zone in force.
#include "platform/Clock.h"

namespace {

constexpr long SECONDS_PER_MINUTE = 60;

LocalTimeSource g_localTimeSource = nullptr;

// Minutes east of UTC now: the negated bias, with the daylight bias while daylight time runs.
long UtcOffsetMinutes() {
    TIME_ZONE_INFORMATION zone{};
    const DWORD mode = GetTimeZoneInformation(&zone);
    long bias = zone.Bias;
    if (mode == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
    if (mode == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
    return -bias;
}

LocalTime SystemLocalTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    LocalTime local{};
    local.tm_year = now.wYear - 1900;
    local.tm_mon = now.wMonth - 1;
    local.tm_mday = now.wDay;
    local.tm_wday = now.wDayOfWeek;
    local.tm_hour = now.wHour;
    local.tm_min = now.wMinute;
    local.tm_sec = now.wSecond;
    local.utcOffsetSeconds = UtcOffsetMinutes() * SECONDS_PER_MINUTE;
    return local;
}

}  // namespace

LocalTime LocalTimeNow() { return g_localTimeSource ? g_localTimeSource() : SystemLocalTime(); }

void SetLocalTimeSource(LocalTimeSource source) { g_localTimeSource = source; }
