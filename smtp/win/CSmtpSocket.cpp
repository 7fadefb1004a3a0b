// The blocking TCP socket of the SMTP session, on Winsock 2: failures leave WSAGetLastError's
// number in the last-error value.
#include "smtp/CSmtpSocket.h"

#include <climits>
#include <cstring>

#include "platform/LastError.h"

namespace {

// The Winsock version the program asks for: 2.2.
constexpr WORD WINSOCK_VERSION_2_2 = MAKEWORD(2, 2);
constexpr DWORD MILLISECONDS_PER_SECOND = 1000;
constexpr long MICROSECONDS_PER_MILLISECOND = 1000;

// Keeps the failed call's reason as the last error.
BOOL Failed() {
    SetLastError(static_cast<DWORD>(WSAGetLastError()));
    return FALSE;
}

}  // namespace

BOOL CSmtpSocket::StartUp() {
    WSADATA data;
    return WSAStartup(WINSOCK_VERSION_2_2, &data) == 0 ? TRUE : FALSE;
}

BOOL CSmtpSocket::GetHostName(char* name, int size) {
    return gethostname(name, size) == 0 ? TRUE : FALSE;
}

BOOL CSmtpSocket::Create() {
    Close();
    m_hSocket = socket(AF_INET, SOCK_STREAM, 0);
    if (m_hSocket == INVALID_SOCKET) return Failed();
    BOOL noDelay = TRUE;
    setsockopt(m_hSocket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
    DWORD sendTimeout = m_dwSendTimeout;
    setsockopt(m_hSocket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendTimeout),
               sizeof sendTimeout);
    return TRUE;
}

void CSmtpSocket::SetReceiveTimeout(DWORD milliseconds) {
    setsockopt(m_hSocket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&milliseconds),
               sizeof milliseconds);
}

BOOL CSmtpSocket::Connect(const sockaddr* address, socklen_t length) {
    if (connect(m_hSocket, address, length) == SOCKET_ERROR) return Failed();
    return TRUE;
}

BOOL CSmtpSocket::Send(const void* data, std::size_t length) {
    // send takes an int length: a long range goes in pieces, and each piece may go out in part.
    const char* next = static_cast<const char*>(data);
    std::size_t left = length;
    while (left > 0) {
        const int piece = left > INT_MAX ? INT_MAX : static_cast<int>(left);
        const int sent = send(m_hSocket, next, piece, 0);
        if (sent == SOCKET_ERROR) return Failed();
        next += sent;
        left -= static_cast<std::size_t>(sent);
    }
    return TRUE;
}

int CSmtpSocket::Receive(void* buffer, int length) {
    const int count = recv(m_hSocket, static_cast<char*>(buffer), length > 0 ? length : 0, 0);
    if (count == SOCKET_ERROR) Failed();
    return count;
}

BOOL CSmtpSocket::WaitReadable(BOOL& readable, DWORD milliseconds) {
    if (m_hSocket == INVALID_SOCKET) {
        SetLastError(WSAENOTSOCK);
        return FALSE;
    }
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(m_hSocket, &readSet);
    timeval wait{
        static_cast<long>(milliseconds / MILLISECONDS_PER_SECOND),
        static_cast<long>(milliseconds % MILLISECONDS_PER_SECOND) * MICROSECONDS_PER_MILLISECOND};
    const int ready = select(0, &readSet, nullptr, nullptr, &wait);
    if (ready == SOCKET_ERROR) return Failed();
    readable = ready > 0 ? TRUE : FALSE;
    return TRUE;
}

void CSmtpSocket::Close() {
    if (m_hSocket == INVALID_SOCKET) return;
    closesocket(m_hSocket);
    m_hSocket = INVALID_SOCKET;
}
