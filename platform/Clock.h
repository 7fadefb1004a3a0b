// Time sources: local wall-clock time for log stamps and the Date header, and the wrapping
// 32-bit millisecond tick counter of the reply wait (on Windows the system's GetTickCount and
// Sleep).
#pragma once

#include <ctime>

#include "platform/Types.h"

// A local time and the offset from UTC in force at that time (daylight time included).
struct LocalTime : std::tm {
    long utcOffsetSeconds = 0;
};

// The local time now. Can be replaced by tests.
LocalTime LocalTimeNow();

// Milliseconds from `start` to `now` of the tick counter; a wrap in between does no harm.
constexpr DWORD TickElapsed(DWORD start, DWORD now) { return now - start; }

#ifndef _WIN32
// Milliseconds from a monotonic clock, as a 32-bit value that wraps around: MonotonicTickCount,
// unless a test has set a tick source.
DWORD GetTickCount();
DWORD MonotonicTickCount();

// Pauses the calling thread for `milliseconds`.
void Sleep(DWORD milliseconds);

// Test hook: replaces the tick counter (nullptr restores the real one), so that a test can start
// a wait just before the counter wraps, or let time run faster than it does.
using TickSource = DWORD (*)();
void SetTickSource(TickSource source);
#endif

// Test hook: replaces the local time source (nullptr restores the real one).
using LocalTimeSource = LocalTime (*)();
void SetLocalTimeSource(LocalTimeSource source);
