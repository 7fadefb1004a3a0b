// The byte stream the SMTP session talks through: the connected socket itself, or a TLS session
// over it once StartTls has succeeded. The session calls the same operations either way; the
// platform side (posix/: OpenSSL, win/: Schannel) makes and keeps the TLS session.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/Types.h"
#include "smtp/CSmtpSocket.h"
#include "smtp/SmtpSecurity.h"

// Receive's result when the socket had bytes but none of them were data (a TLS record that
// carries none, or the rest of a record still on its way): the caller waits again.
inline constexpr int STREAM_NOTHING_YET = -2;

class CSmtpStream {
public:
    // Talks through `socket`, in clear until StartTls.
    explicit CSmtpStream(CSmtpSocket& socket);
    ~CSmtpStream();
    CSmtpStream(const CSmtpStream&) = delete;
    CSmtpStream& operator=(const CSmtpStream&) = delete;

    // Makes a TLS session (1.2 at least, SNI for a host name) over the connected socket and
    // verifies the server's certificate: it must chain to the system's roots or to a
    // certificate of the PEM file `caFile` (empty: none), be valid now and name `server` (a
    // host name through a DNS entry, dotted IPv4 text only through an IP entry). Each read and
    // write of the handshake waits at most `timeoutMs`. FALSE, nothing left of the session,
    // with the reason in the last error: a TLS_ERROR_ value of SmtpSecurity.h, 10060 for a
    // time-out, or the socket's reason.
    BOOL StartTls(const char* server, const std::string& caFile, DWORD timeoutMs);

    // TRUE once StartTls has succeeded, until Close.
    BOOL IsSecure() const { return m_pTls != nullptr; }

    // The session for the transcript: "<version>, <cipher>, certificate <subject>, verified",
    // the subject in the order RFC 2253 writes it ("CN=mx.example.jp,O=Example"; Windows puts a
    // blank after each comma).
    std::string SessionText() const;

    // As CSmtpSocket::Send, through the session when there is one.
    BOOL Send(const void* data, std::size_t length);

    // As CSmtpSocket::Receive, through the session when there is one; also STREAM_NOTHING_YET.
    int Receive(void* buffer, int length);

    // As CSmtpSocket::WaitReadable; data the session already holds counts as readable.
    BOOL WaitReadable(BOOL& readable, DWORD milliseconds);

    // Ends the session (if any) and closes the socket; may be called any number of times.
    void Close();

    // The TLS session: the platform side's own.
    struct TlsSession;

private:
    void EndTls();

    CSmtpSocket& m_socket;
    std::unique_ptr<TlsSession> m_pTls;
};
