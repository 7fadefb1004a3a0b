// A fixed wall clock for tests.
#include "support/FixedClock.h"

std::tm Moment(int year, int month, int day, int weekday, int hour, int minute, int second,
               long gmtoff) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_wday = weekday;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_gmtoff = gmtoff;
    return t;
}

std::tm FixedMoment() { return Moment(2026, 1, 5, 1, 7, 8, 9, 9 * 3600); }
