// The errno -> Winsock number table.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/LastError.h"
#include "platform/WinsockError.h"

namespace {

TEST(WinsockErrorTest, MapsErrnoToTheWinsockCodeOfTheSameName) {
    struct Case {
        int errnoValue;
        DWORD expected;
    };
    const Case cases[] = {
        {EINTR, 10004},
        {EBADF, 10009},
        {EACCES, 10013},
        {EFAULT, 10014},
        {EINVAL, 10022},
        {EMFILE, 10024},
        {EAGAIN, 10035},
        {EWOULDBLOCK, 10035},
        {EINPROGRESS, 10036},
        {EALREADY, 10037},
        {ENOTSOCK, 10038},
        {EDESTADDRREQ, 10039},
        {EMSGSIZE, 10040},
        {EPROTOTYPE, 10041},
        {ENOPROTOOPT, 10042},
        {EPROTONOSUPPORT, 10043},
        {ESOCKTNOSUPPORT, 10044},
        {EOPNOTSUPP, 10045},
        {ENOTSUP, 10045},
        {EPFNOSUPPORT, 10046},
        {EAFNOSUPPORT, 10047},
        {EADDRINUSE, 10048},
        {EADDRNOTAVAIL, 10049},
        {ENETDOWN, 10050},
        {ENETUNREACH, 10051},
        {ENETRESET, 10052},
        {ECONNABORTED, 10053},
        {ECONNRESET, 10054},
        {ENOBUFS, 10055},
        {EISCONN, 10056},
        {ENOTCONN, 10057},
        {ESHUTDOWN, 10058},
        {ETOOMANYREFS, 10059},
        {ETIMEDOUT, 10060},
        {ECONNREFUSED, 10061},
        {ELOOP, 10062},
        {ENAMETOOLONG, 10063},
        {EHOSTDOWN, 10064},
        {EHOSTUNREACH, 10065},
        {ENOTEMPTY, 10066},
        {EUSERS, 10068},
        {EDQUOT, 10069},
        {ESTALE, 10070},
        {EREMOTE, 10071},
        // a broken pipe is a reset connection; an errno without a counterpart stays as it is
        {EPIPE, 10054},
        {0, 0},
        {ENOMEM, ENOMEM},
        {ENOENT, ENOENT},
        {EPROTO, EPROTO},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WinsockErrorFromErrno(c.errnoValue), c.expected) << "errno " << c.errnoValue;
    }
}

TEST(WinsockErrorTest, SetsTheLastErrorToTheWinsockNumber) {
    SetLastErrorFromErrno(ECONNREFUSED);
    EXPECT_EQ(GetLastError(), 10061u);
    SetLastErrorFromErrno(ETIMEDOUT);
    EXPECT_EQ(GetLastError(), WSAETIMEDOUT);
}

}  // namespace
