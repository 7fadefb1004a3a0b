// A fixed wall clock for tests.
#include "support/FixedClock.h"

std::tm FixedMoment() {
    std::tm t {};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    t.tm_wday = 1;  // a Monday
    t.tm_yday = 4;
    t.tm_gmtoff = 9 * 3600;
    return t;
}
