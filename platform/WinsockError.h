// Socket error numbers as the program writes them into its logs: the Winsock numbers, so an
// entry reads the same on every platform. A failed socket call's errno is mapped by name to the
// Winsock code of the same name (ECONNREFUSED -> 10061 WSAECONNREFUSED ...).
#pragma once

#include "platform/Types.h"

#ifndef _WIN32  // Windows has the numbers (winerror.h) and sockets that report them

// A message longer than the reader accepts (WSAEMSGSIZE); set by the reply reader itself.
constexpr DWORD WSAEMSGSIZE = 10040;
// Memory for a received text could not be had (WSAENOBUFS); set by the reply reader itself.
constexpr DWORD WSAENOBUFS = 10055;
// The peer reset the connection (WSAECONNRESET); EPIPE, a send on a connection the peer has
// closed, maps here too.
constexpr DWORD WSAECONNRESET = 10054;

// The Winsock number for `errnoValue`: every errno that has a WSAE counterpart maps to it, EPIPE
// to 10054; an errno without a counterpart is returned as it is (0 stays 0).
DWORD WinsockErrorFromErrno(int errnoValue);

// Sets the thread's last-error value (platform/LastError.h) to WinsockErrorFromErrno(errnoValue).
// The socket layer calls it right after a failed socket call, so GetLastError() gives the
// Winsock number of the reason.
void SetLastErrorFromErrno(int errnoValue);
#endif
