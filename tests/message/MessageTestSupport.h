// Helpers of the message tests: byte strings written as byte values, a Shift-JIS character from
// its code, and local-time moments for the test clock.
#pragma once

#include <ctime>
#include <initializer_list>
#include <string>

// The bytes given, in order.
inline std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes += static_cast<char>(value);
    return bytes;
}

// The two bytes of a double-byte code: lead (code / 256) then trail.
inline std::string Code(unsigned code) { return Bytes({static_cast<int>(code >> 8), static_cast<int>(code & 0xFF)}); }

inline const std::string ESC_JIS = Bytes({0x1B, 0x24, 0x42});    // ESC $ B
inline const std::string ESC_ASCII = Bytes({0x1B, 0x28, 0x42});  // ESC ( B

// A local time (month 1-12, weekday 0 = Sunday) with its UTC offset in seconds.
inline std::tm Moment(int year, int month, int day, int weekday, int hour, int minute, int second, long gmtoff = 0) {
    std::tm t {};
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
