// The thread's last-error value: the reason for the most recent failure, set by the layer that
// found it and read by the layer that writes the log entry. Codes the program sets itself are
// named here; socket failures carry Winsock numbers (see WinsockError.h). On Windows the value,
// its two calls and the codes are the system's own.
#pragma once

#include <cerrno>

#include "platform/Types.h"

#ifndef _WIN32
constexpr DWORD ERROR_INVALID_DATA = 13;     // malformed recipient list
constexpr DWORD ERROR_BAD_COMMAND = 22;      // a command not answered as expected
constexpr DWORD WSAEINVAL = 10022;           // server name not resolvable
constexpr DWORD WSAEPROTONOSUPPORT = 10043;  // a reply with an unexpected code
constexpr DWORD WSAETIMEDOUT = 10060;        // no reply within the time-out

// Sets the calling thread's last-error value.
void SetLastError(DWORD code);

// Returns the calling thread's last-error value (0 before anything set it).
DWORD GetLastError();
#endif

// Keeps errno and the thread's last-error value as they were when it was made, for the calls of
// its scope: a log or transcript line written after a failure must not change the reason the run
// reports (the file calls set both values).
class PreservedLastError {
public:
    PreservedLastError() : m_nErrno(errno), m_dwLastError(GetLastError()) {}
    ~PreservedLastError() {
        errno = m_nErrno;
        SetLastError(m_dwLastError);
    }
    PreservedLastError(const PreservedLastError&) = delete;
    PreservedLastError& operator=(const PreservedLastError&) = delete;

private:
    int m_nErrno;
    DWORD m_dwLastError;
};
