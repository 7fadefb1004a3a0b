// The errno -> Winsock number table.
#include "platform/WinsockError.h"

#include <cerrno>
#include <iterator>

#include "platform/LastError.h"

namespace {

struct ErrnoToWinsock {
    int errnoValue;
    DWORD winsockCode;
};

// Every WSAE code with an errno of the same name. EAGAIN is EWOULDBLOCK and ENOTSUP is
// EOPNOTSUPP on Linux, so each appears once. WSAEPROCLIM (10067) has no errno counterpart.
constexpr ErrnoToWinsock kErrnoTable[] = {
    {EINTR, 10004},            // WSAEINTR
    {EBADF, 10009},            // WSAEBADF
    {EACCES, 10013},           // WSAEACCES
    {EFAULT, 10014},           // WSAEFAULT
    {EINVAL, 10022},           // WSAEINVAL
    {EMFILE, 10024},           // WSAEMFILE
    {EWOULDBLOCK, 10035},      // WSAEWOULDBLOCK
    {EINPROGRESS, 10036},      // WSAEINPROGRESS
    {EALREADY, 10037},         // WSAEALREADY
    {ENOTSOCK, 10038},         // WSAENOTSOCK
    {EDESTADDRREQ, 10039},     // WSAEDESTADDRREQ
    {EMSGSIZE, 10040},         // WSAEMSGSIZE
    {EPROTOTYPE, 10041},       // WSAEPROTOTYPE
    {ENOPROTOOPT, 10042},      // WSAENOPROTOOPT
    {EPROTONOSUPPORT, 10043},  // WSAEPROTONOSUPPORT
    {ESOCKTNOSUPPORT, 10044},  // WSAESOCKTNOSUPPORT
    {EOPNOTSUPP, 10045},       // WSAEOPNOTSUPP
    {EPFNOSUPPORT, 10046},     // WSAEPFNOSUPPORT
    {EAFNOSUPPORT, 10047},     // WSAEAFNOSUPPORT
    {EADDRINUSE, 10048},       // WSAEADDRINUSE
    {EADDRNOTAVAIL, 10049},    // WSAEADDRNOTAVAIL
    {ENETDOWN, 10050},         // WSAENETDOWN
    {ENETUNREACH, 10051},      // WSAENETUNREACH
    {ENETRESET, 10052},        // WSAENETRESET
    {ECONNABORTED, 10053},     // WSAECONNABORTED
    {ECONNRESET, 10054},       // WSAECONNRESET
    {EPIPE, 10054},            // a send after the peer closed: the connection was reset
    {ENOBUFS, 10055},          // WSAENOBUFS
    {EISCONN, 10056},          // WSAEISCONN
    {ENOTCONN, 10057},         // WSAENOTCONN
    {ESHUTDOWN, 10058},        // WSAESHUTDOWN
    {ETOOMANYREFS, 10059},     // WSAETOOMANYREFS
    {ETIMEDOUT, 10060},        // WSAETIMEDOUT
    {ECONNREFUSED, 10061},     // WSAECONNREFUSED
    {ELOOP, 10062},            // WSAELOOP
    {ENAMETOOLONG, 10063},     // WSAENAMETOOLONG
    {EHOSTDOWN, 10064},        // WSAEHOSTDOWN
    {EHOSTUNREACH, 10065},     // WSAEHOSTUNREACH
    {ENOTEMPTY, 10066},        // WSAENOTEMPTY
    {EUSERS, 10068},           // WSAEUSERS
    {EDQUOT, 10069},           // WSAEDQUOT
    {ESTALE, 10070},           // WSAESTALE
    {EREMOTE, 10071},          // WSAEREMOTE
};

}  // namespace

DWORD WinsockErrorFromErrno(int errnoValue) {
    for (const ErrnoToWinsock& entry : kErrnoTable) {
        if (entry.errnoValue == errnoValue) return entry.winsockCode;
    }
    return static_cast<DWORD>(errnoValue);
}

void SetLastErrorFromErrno(int errnoValue) { SetLastError(WinsockErrorFromErrno(errnoValue)); }
