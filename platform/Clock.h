// Time sources: local wall-clock time for log stamps and the Date header, and the wrapping
// 32-bit millisecond tick counter of the reply wait. Both can be replaced by tests.
#pragma once

#include <ctime>

#include "platform/Types.h"

// The local time now, with tm_gmtoff holding the UTC offset in force (daylight time included).
std::tm LocalTimeNow();

// Milliseconds from a monotonic clock, as a 32-bit value that wraps around.
DWORD GetTickCount();

// Milliseconds from `start` to `now` of the tick counter; a wrap in between does no harm.
constexpr DWORD TickElapsed(DWORD start, DWORD now) { return now - start; }

// Pauses the calling thread for `milliseconds`.
void Sleep(DWORD milliseconds);

// Test hooks: replace the sources (nullptr restores the real ones).
using LocalTimeSource = std::tm (*)();
using TickSource = DWORD (*)();
void SetLocalTimeSource(LocalTimeSource source);
void SetTickSource(TickSource source);
