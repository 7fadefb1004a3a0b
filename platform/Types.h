// Basic types of the program: the result and number types its operations use on every platform.
// On Windows they are the system's own (windows.h), on POSIX the same names with the same sizes.
#pragma once

#ifdef _WIN32
#include <winsock2.h>  // before windows.h, which would otherwise bring the old winsock.h
#include <windows.h>
// windows.h maps these names to their ...A functions; the program's own operations of the same
// names (CSmtpConnection::SendMessage, the dialog's DoModal ...) keep theirs.
#undef SendMessage
#undef LoadString
#else
#include <cstdint>

using BOOL = int;
using DWORD = std::uint32_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
#endif
