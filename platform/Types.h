// Basic types of the program: the result and number types its operations use on every platform.
#pragma once

#include <cstdint>

using BOOL = int;
using DWORD = std::uint32_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
