// A fixed wall clock for tests of time stamps: 5 January 2026 07:08:09 local time, UTC+0900.
#pragma once

#include <ctime>

#include "platform/Clock.h"

// The stamp of a log entry written under the fixed clock.
inline constexpr const char* FIXED_STAMP = "[26/01/05 07:08:09]";

// A local time (month 1-12, weekday 0 = Sunday) with its UTC offset in seconds.
std::tm Moment(int year, int month, int day, int weekday, int hour, int minute, int second,
               long gmtoff = 0);

// The fixed moment.
std::tm FixedMoment();

// Makes LocalTimeNow() return FixedMoment() for the object's lifetime.
class ScopedFixedClock {
public:
    ScopedFixedClock() { SetLocalTimeSource(&FixedMoment); }
    ~ScopedFixedClock() { SetLocalTimeSource(nullptr); }
    ScopedFixedClock(const ScopedFixedClock&) = delete;
    ScopedFixedClock& operator=(const ScopedFixedClock&) = delete;
};
