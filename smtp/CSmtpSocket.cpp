// The socket operations that are the same on every platform: finding the server's address.
#include "smtp/CSmtpSocket.h"

#include <cstdint>
#include <cstring>

#include "platform/LastError.h"

namespace {

// Looks `host` up as a host name: the first IPv4 address, or FALSE.
BOOL LookUpIPv4Address(const char* host, in_addr& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) return FALSE;
    BOOL result = FALSE;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
            address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
            result = TRUE;
            break;
        }
    }
    freeaddrinfo(found);
    return result;
}

}  // namespace

CSmtpSocket::~CSmtpSocket() { Close(); }

BOOL CSmtpSocket::Connect(const char* host, int port) {
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (host == nullptr) {
        SetLastError(WSAEINVAL);
        return FALSE;
    }
    address.sin_addr.s_addr = inet_addr(host);
    if (address.sin_addr.s_addr == INADDR_NONE && !LookUpIPv4Address(host, address.sin_addr)) {
        SetLastError(WSAEINVAL);
        return FALSE;
    }
    return Connect(reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

BOOL CSmtpSocket::PollReadable(BOOL& readable) { return WaitReadable(readable, 0); }
