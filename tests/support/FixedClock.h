// A fixed wall clock for tests of time stamps: 5 January 2026 07:08:09 local time, UTC+0900.
#pragma once

#include <ctime>

#include "platform/Clock.h"

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
