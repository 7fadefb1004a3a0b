// The blocking IPv4 TCP socket through which the SMTP session talks to its server. It owns one
// handle and does no buffering, retrying or logging: every operation reports by its result, and
// a failed operation leaves the reason in the last-error value (platform/LastError.h) as a
// Winsock number (platform/WinsockError.h).
#pragma once

#include <cstddef>

#include "platform/Types.h"

#ifdef _WIN32
#include <ws2tcpip.h>  // socklen_t; INVALID_SOCKET and SOCKET_ERROR come from winsock2.h
using SocketHandle = SOCKET;
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

using SocketHandle = int;
// The handle value of "no socket" (all bits set).
inline constexpr int INVALID_SOCKET = -1;
// The result of a failed Receive.
inline constexpr int SOCKET_ERROR = -1;
#endif
// How long one send may wait for the server to take any data: the three minutes RFC 5321
// (4.5.3.2.5) gives a client for each send of the data block. A server that stops reading then
// fails the send instead of blocking the run for ever.
inline constexpr DWORD SMTP_SEND_TIMEOUT_MS = 3 * 60 * 1000;

class CSmtpSocket {
public:
    // Starts the platform's socket layer for the process (on Windows WSAStartup, version 2.2;
    // elsewhere nothing). FALSE when it cannot be started.
    static BOOL StartUp();

    // The local host's name into `name` (capacity `size`, terminated): FALSE when it cannot be
    // had. Needs the socket layer started.
    static BOOL GetHostName(char* name, int size);

    // No socket; makes no platform call.
    CSmtpSocket() = default;
    // Closes the socket if one is open.
    ~CSmtpSocket();
    CSmtpSocket(const CSmtpSocket&) = delete;
    CSmtpSocket& operator=(const CSmtpSocket&) = delete;

    // Makes a blocking TCP socket (AF_INET, SOCK_STREAM, protocol 0) with TCP_NODELAY set, so
    // that the small pieces of the data stream are not held back by delayed acknowledgements.
    // A socket still open from before is closed first. Sends time out after the send time-out
    // (SMTP_SEND_TIMEOUT_MS unless changed). FALSE when no socket can be made (last error from
    // the call, for example 10024 WSAEMFILE).
    BOOL Create();

    // Changes the send time-out of the sockets this object creates from now on.
    void SetSendTimeout(DWORD milliseconds) { m_dwSendTimeout = milliseconds; }

    // Makes each receive of the open socket wait at most `milliseconds` (0: without limit); a
    // receive that waits longer fails with 10060 (the TLS layer reads through it).
    void SetReceiveTimeout(DWORD milliseconds);

    // Connects to `host` (dotted IPv4 text, or else a host name, looked up for its first IPv4
    // address) on `port` (host byte order). 127.0.0.1 is used without any lookup;
    // 255.255.255.255 is the "no address" value of the conversion and is taken for a host
    // name. A name that cannot be looked up: FALSE with last error 10022 (WSAEINVAL), no
    // connection attempted, the handle left open (a null `host` the same). A failed connect:
    // FALSE with the reason (for example 10061 WSAECONNREFUSED).
    BOOL Connect(const char* host, int port);

    // Connects to a prepared socket address of `length` bytes. FALSE with the reason when the
    // connect call fails. A connect that a signal interrupts (or the process being stopped and
    // continued, which Linux reports so when a send time-out is set) is not a failure: the
    // connection goes on being made and is waited for, up to the send time-out (then 10060).
    BOOL Connect(const sockaddr* address, socklen_t length);

    // Sends the `length` bytes from `data` (MSG_NOSIGNAL: a peer that has gone away never
    // kills the process). A send that a signal cuts short goes on with the rest, so TRUE means
    // every byte went out. Zero bytes: TRUE. A send after the peer reset the connection: FALSE
    // with 10054. A server that takes no data for the send time-out: FALSE with 10060.
    BOOL Send(const void* data, std::size_t length);

    // One receive into `buffer` of capacity `length`: the number of bytes received, 0 when the
    // peer has closed the connection, SOCKET_ERROR with the reason in the last error. The buffer
    // is not terminated.
    int Receive(void* buffer, int length);

    // Readability test that never waits: TRUE with `readable` telling whether a Receive would
    // return at once (data, a closed connection or a pending error all count as readable).
    // FALSE, `readable` untouched, when the test itself fails (no socket: 10009 WSAEBADF).
    BOOL PollReadable(BOOL& readable);

    // As PollReadable, but waits up to `milliseconds` for the socket to become readable.
    // Returns as soon as it is; `readable` FALSE after the full wait without it.
    BOOL WaitReadable(BOOL& readable, DWORD milliseconds);

    // Closes the socket if one is open; may be called any number of times.
    void Close();

    // The platform handle, INVALID_SOCKET when none is open.
    SocketHandle Handle() const { return m_hSocket; }

private:
#ifndef _WIN32
    // Waits for a connection whose connect was interrupted: its outcome, as Connect reports it.
    BOOL AwaitConnection();
    // poll() on `entry` for up to `milliseconds`, started again when a signal cuts it short: its
    // result (SOCKET_ERROR with the reason in errno).
    static int PollHandle(pollfd& entry, DWORD milliseconds);
#endif

    SocketHandle m_hSocket = INVALID_SOCKET;
    DWORD m_dwSendTimeout = SMTP_SEND_TIMEOUT_MS;
};
