// printf-style formatting into a growing string. Only the program's own fixed texts are ever
// formats; data goes in as arguments.
#pragma once

#include <cstdarg>
#include <string>

// Formats `format` with its arguments.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Formats `format` with an argument list.
std::string FormatTextV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));
