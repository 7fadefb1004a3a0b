// Time sources on POSIX.
#include "platform/Clock.h"

#include <cerrno>
#include <time.h>

namespace {

LocalTimeSource g_localTimeSource = nullptr;
TickSource g_tickSource = nullptr;

LocalTime SystemLocalTime() {
    std::time_t now = std::time(nullptr);
    LocalTime local{};
    localtime_r(&now, &local);
    local.utcOffsetSeconds = local.tm_gmtoff;
    return local;
}

}  // namespace

DWORD GetTickCount() { return g_tickSource ? g_tickSource() : MonotonicTickCount(); }

DWORD MonotonicTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    unsigned long long ms = static_cast<unsigned long long>(now.tv_sec) * 1000ULL +
                            static_cast<unsigned long long>(now.tv_nsec) / 1000000ULL;
    return static_cast<DWORD>(ms);  // keeps the low 32 bits: the counter wraps
}

LocalTime LocalTimeNow() { return g_localTimeSource ? g_localTimeSource() : SystemLocalTime(); }

void Sleep(DWORD milliseconds) {
    timespec pause{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

void SetLocalTimeSource(LocalTimeSource source) { g_localTimeSource = source; }

void SetTickSource(TickSource source) { g_tickSource = source; }
