// printf-style formatting into a growing string. Only the program's own fixed texts are ever
// formats; data goes in as arguments.
#pragma once

#include <cstdarg>
#include <string>

// Marks a function whose argument number `formatIndex` is a printf format and `firstIndex` its
// first value (0 for an argument list), so the compiler checks every call (the C99 rules on every
// platform, MinGW's stdio included).
#ifdef _WIN32
#define PRINTF_FORMAT(formatIndex, firstIndex) \
    __attribute__((format(gnu_printf, formatIndex, firstIndex)))
#else
#define PRINTF_FORMAT(formatIndex, firstIndex) \
    __attribute__((format(printf, formatIndex, firstIndex)))
#endif

// Formats `format` with its arguments.
std::string FormatText(const char* format, ...) PRINTF_FORMAT(1, 2);

// Formats `format` with an argument list.
std::string FormatTextV(const char* format, va_list args) PRINTF_FORMAT(1, 0);
