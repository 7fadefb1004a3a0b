// The blocking TCP socket of the SMTP session, on BSD sockets.
#include "smtp/CSmtpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/time.h>
#include <unistd.h>

#include "platform/LastError.h"
#include "platform/WinsockError.h"

BOOL CSmtpSocket::StartUp() { return TRUE; }

BOOL CSmtpSocket::GetHostName(char* name, int size) {
    return gethostname(name, static_cast<std::size_t>(size)) == 0 ? TRUE : FALSE;
}

BOOL CSmtpSocket::Create() {
    Close();
    m_hSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_hSocket == INVALID_SOCKET) {
        SetLastErrorFromErrno(errno);
        return FALSE;
    }
    int noDelay = 1;
    setsockopt(m_hSocket, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    timeval sendTimeout{static_cast<time_t>(m_dwSendTimeout / 1000),
                        static_cast<suseconds_t>(m_dwSendTimeout % 1000) * 1000};
    setsockopt(m_hSocket, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    return TRUE;
}

void CSmtpSocket::SetReceiveTimeout(DWORD milliseconds) {
    timeval timeout{static_cast<time_t>(milliseconds / 1000),
                    static_cast<suseconds_t>(milliseconds % 1000) * 1000};
    setsockopt(m_hSocket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

BOOL CSmtpSocket::Connect(const sockaddr* address, socklen_t length) {
    if (connect(m_hSocket, address, length) == SOCKET_ERROR) {
        // A signal (or the process stopped and continued) cuts the wait short, but the
        // connection goes on being made: wait for it rather than connect again.
        if (errno == EINTR) return AwaitConnection();
        SetLastErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

BOOL CSmtpSocket::AwaitConnection() {
    pollfd entry{m_hSocket, POLLOUT, 0};
    const int ready = PollHandle(entry, m_dwSendTimeout);
    int error = 0;
    socklen_t size = sizeof error;
    if (ready == 0) {
        error = ETIMEDOUT;
    } else if (ready == SOCKET_ERROR ||
               getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &error, &size) == SOCKET_ERROR) {
        error = errno;
    }
    if (error == 0) return TRUE;
    SetLastErrorFromErrno(error);
    return FALSE;
}

BOOL CSmtpSocket::Send(const void* data, std::size_t length) {
    // A blocking send can still return early, when a signal interrupts it after part of the
    // range went out: the rest follows, so no byte of the mail is lost.
    const char* next = static_cast<const char*>(data);
    std::size_t left = length;
    do {
        ssize_t sent = send(m_hSocket, next, left, MSG_NOSIGNAL);
        if (sent == SOCKET_ERROR) {
            if (errno == EINTR) continue;
            // The send time-out ran out without the server taking any data.
            SetLastErrorFromErrno(errno == EAGAIN || errno == EWOULDBLOCK ? ETIMEDOUT : errno);
            return FALSE;
        }
        next += sent;
        left -= static_cast<std::size_t>(sent);
    } while (left > 0);
    return TRUE;
}

int CSmtpSocket::Receive(void* buffer, int length) {
    ssize_t count = recv(m_hSocket, buffer, length > 0 ? static_cast<std::size_t>(length) : 0, 0);
    if (count < 0) {
        SetLastErrorFromErrno(errno == EAGAIN || errno == EWOULDBLOCK ? ETIMEDOUT : errno);
        return SOCKET_ERROR;
    }
    return static_cast<int>(count);
}

BOOL CSmtpSocket::WaitReadable(BOOL& readable, DWORD milliseconds) {
    if (m_hSocket == INVALID_SOCKET) {
        SetLastErrorFromErrno(EBADF);
        return FALSE;
    }
    pollfd entry{m_hSocket, POLLIN, 0};
    const int ready = PollHandle(entry, milliseconds);
    if (ready == SOCKET_ERROR) {
        SetLastErrorFromErrno(errno);
        return FALSE;
    }
    if (entry.revents & POLLNVAL) {
        SetLastErrorFromErrno(EBADF);
        return FALSE;
    }
    readable = (ready > 0 && (entry.revents & (POLLIN | POLLHUP | POLLERR))) ? TRUE : FALSE;
    return TRUE;
}

int CSmtpSocket::PollHandle(pollfd& entry, DWORD milliseconds) {
    const int timeout = milliseconds > INT_MAX ? INT_MAX : static_cast<int>(milliseconds);
    int ready;
    while ((ready = poll(&entry, 1, timeout)) == SOCKET_ERROR && errno == EINTR) {
    }
    return ready;
}

void CSmtpSocket::Close() {
    if (m_hSocket == INVALID_SOCKET) return;
    close(m_hSocket);
    m_hSocket = INVALID_SOCKET;
}
