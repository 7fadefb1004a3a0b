// How a conversation is protected (the job's SMTP/Security), and the numbers its TLS failures
// are logged with: the Windows SEC_E_ values (written in hex as Windows shows them), so that an
// entry reads the same on every build.
#pragma once

#include "platform/Types.h"

enum SmtpSecurity {
    SMTP_SECURITY_NONE = 0,      // clear text, HELO: the conversation as it has always been
    SMTP_SECURITY_STARTTLS = 1,  // EHLO, STARTTLS, handshake, EHLO again (RFC 3207)
    SMTP_SECURITY_TLS = 2,       // handshake right after the TCP connect (RFC 8314)
};

// The ports a job without SMTP/Port uses: SMTP's (RFC 5321), and submissions over implicit TLS
// (RFC 8314 7.3).
inline constexpr int SMTP_PORT = 25;
inline constexpr int SMTP_TLS_PORT = 465;

// SEC_E_UNSUPPORTED_FUNCTION: this build cannot make a TLS session.
inline constexpr DWORD TLS_ERROR_UNSUPPORTED = 0x80090302;
// SEC_E_WRONG_PRINCIPAL: the certificate does not name the server.
inline constexpr DWORD TLS_ERROR_WRONG_PRINCIPAL = 0x80090322;
// SEC_E_UNTRUSTED_ROOT: the certificate does not chain to a trusted root (nor to CAFile).
inline constexpr DWORD TLS_ERROR_UNTRUSTED_ROOT = 0x80090325;
// SEC_E_ILLEGAL_MESSAGE: the server sent something that is not TLS, or broke off the handshake.
inline constexpr DWORD TLS_ERROR_ILLEGAL_MESSAGE = 0x80090326;
// SEC_E_CERT_EXPIRED: the certificate is not valid now (expired or not yet valid).
inline constexpr DWORD TLS_ERROR_CERT_EXPIRED = 0x80090328;
// SEC_E_ALGORITHM_MISMATCH: no protocol version (TLS 1.2 at least) or cipher in common.
inline constexpr DWORD TLS_ERROR_ALGORITHM_MISMATCH = 0x80090331;
