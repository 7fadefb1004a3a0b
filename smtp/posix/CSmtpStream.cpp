// The session's byte stream on Linux: TLS through OpenSSL 3 over the blocking socket, whose
// receive and send time-outs bound every read and write of the session.
#include "smtp/CSmtpStream.h"

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include "platform/LastError.h"
#include "platform/TextFormat.h"
#include "platform/WinsockError.h"

namespace {

struct ContextDeleter {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};

// The TLS_ERROR_ value for a failed handshake: the certificate's verify result when it was
// refused, else what the library's first error says.
DWORD HandshakeError(long verifyResult, unsigned long libraryError) {
    switch (verifyResult) {
        case X509_V_OK:
            break;
        case X509_V_ERR_CERT_HAS_EXPIRED:
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return TLS_ERROR_CERT_EXPIRED;
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return TLS_ERROR_WRONG_PRINCIPAL;
        default:
            return TLS_ERROR_UNTRUSTED_ROOT;
    }
    switch (ERR_GET_REASON(libraryError)) {
        case SSL_R_UNSUPPORTED_PROTOCOL:
        case SSL_R_TLSV1_ALERT_PROTOCOL_VERSION:
        case SSL_R_NO_PROTOCOLS_AVAILABLE:
        case SSL_R_NO_SHARED_CIPHER:
        case SSL_R_SSLV3_ALERT_HANDSHAKE_FAILURE:
            return TLS_ERROR_ALGORITHM_MISMATCH;
        default:
            return TLS_ERROR_ILLEGAL_MESSAGE;
    }
}

// Sets the last error for an operation of `ssl` that returned `result`, and returns FALSE: a
// time-out of the socket (EAGAIN: the library's "want" results) as 10060, a socket failure as
// its Winsock number, anything else of the TLS layer as `tlsError`.
BOOL Failed(SSL* ssl, int result, DWORD tlsError) {
    const int error = SSL_get_error(ssl, result);
    const int socketError = errno;
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
        SetLastError(WSAETIMEDOUT);
    } else if (error == SSL_ERROR_SYSCALL && socketError != 0 && ERR_peek_error() == 0) {
        SetLastErrorFromErrno(socketError == EAGAIN ? ETIMEDOUT : socketError);
    } else {
        SetLastError(tlsError);
    }
    ERR_clear_error();
    return FALSE;
}

// Dotted IPv4 text: the server is named by an IP entry of the certificate, and gets no SNI.
bool IsAddressText(const char* server) {
    in_addr address;
    return inet_pton(AF_INET, server, &address) == 1;
}

}  // namespace

struct CSmtpStream::TlsSession {
    std::unique_ptr<SSL_CTX, ContextDeleter> context;
    SSL* ssl = nullptr;
    ~TlsSession() { SSL_free(ssl); }
};

CSmtpStream::CSmtpStream(CSmtpSocket& socket) : m_socket(socket) {}

CSmtpStream::~CSmtpStream() { EndTls(); }

BOOL CSmtpStream::StartTls(const char* server, const std::string& caFile, DWORD timeoutMs) {
    // A server that goes away while the library writes to the socket must not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    m_socket.SetReceiveTimeout(timeoutMs);
    auto session = std::make_unique<TlsSession>();
    session->context.reset(SSL_CTX_new(TLS_client_method()));
    SSL_CTX* context = session->context.get();
    if (context == nullptr || !SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) ||
        !SSL_CTX_set_default_verify_paths(context) ||
        (!caFile.empty() && !SSL_CTX_load_verify_locations(context, caFile.c_str(), nullptr))) {
        ERR_clear_error();
        SetLastError(TLS_ERROR_UNTRUSTED_ROOT);
        return FALSE;
    }
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    SSL* ssl = session->ssl = SSL_new(context);
    if (ssl == nullptr || !SSL_set_fd(ssl, m_socket.Handle())) {
        ERR_clear_error();
        SetLastError(TLS_ERROR_ILLEGAL_MESSAGE);
        return FALSE;
    }
    SSL_clear_mode(ssl, SSL_MODE_AUTO_RETRY);  // a record without data must not block a read
    const bool address = IsAddressText(server);
    X509_VERIFY_PARAM* check = SSL_get0_param(ssl);
    X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    if (address ? !X509_VERIFY_PARAM_set1_ip_asc(check, server)
                : (!SSL_set_tlsext_host_name(ssl, server) || !SSL_set1_host(ssl, server))) {
        ERR_clear_error();
        SetLastError(TLS_ERROR_WRONG_PRINCIPAL);
        return FALSE;
    }
    const int result = SSL_connect(ssl);
    if (result != 1) {
        const long verified = SSL_get_verify_result(ssl);
        return Failed(ssl, result, HandshakeError(verified, ERR_peek_error()));
    }
    m_pTls = std::move(session);
    return TRUE;
}

std::string CSmtpStream::SessionText() const {
    if (!m_pTls) return "";
    std::string subject;
    X509* certificate = SSL_get1_peer_certificate(m_pTls->ssl);
    BIO* text = BIO_new(BIO_s_mem());
    if (certificate != nullptr && text != nullptr &&
        X509_NAME_print_ex(text, X509_get_subject_name(certificate), 0, XN_FLAG_RFC2253) >= 0) {
        char* bytes = nullptr;
        const long length = BIO_get_mem_data(text, &bytes);
        if (length > 0) subject.assign(bytes, static_cast<std::size_t>(length));
    }
    BIO_free(text);
    X509_free(certificate);
    return FormatText("%s, %s, certificate %s, verified", SSL_get_version(m_pTls->ssl),
                      SSL_get_cipher_name(m_pTls->ssl), subject.c_str());
}

BOOL CSmtpStream::Send(const void* data, std::size_t length) {
    if (!m_pTls) return m_socket.Send(data, length);
    const char* next = static_cast<const char*>(data);
    while (length > 0) {
        const int piece = length > INT_MAX ? INT_MAX : static_cast<int>(length);
        const int sent = SSL_write(m_pTls->ssl, next, piece);
        if (sent <= 0) return Failed(m_pTls->ssl, sent, TLS_ERROR_ILLEGAL_MESSAGE);
        next += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return TRUE;
}

int CSmtpStream::Receive(void* buffer, int length) {
    if (!m_pTls) return m_socket.Receive(buffer, length);
    if (length <= 0) return 0;
    const int count = SSL_read(m_pTls->ssl, buffer, length);
    if (count > 0) return count;
    switch (SSL_get_error(m_pTls->ssl, count)) {
        case SSL_ERROR_WANT_READ:
            ERR_clear_error();
            return STREAM_NOTHING_YET;
        case SSL_ERROR_ZERO_RETURN:
            return 0;
        case SSL_ERROR_SYSCALL:
            if (errno == 0 && ERR_peek_error() == 0) return 0;  // closed without close_notify
            [[fallthrough]];
        default:
            Failed(m_pTls->ssl, count, TLS_ERROR_ILLEGAL_MESSAGE);
            return SOCKET_ERROR;
    }
}

BOOL CSmtpStream::WaitReadable(BOOL& readable, DWORD milliseconds) {
    if (m_pTls && SSL_pending(m_pTls->ssl) > 0) {
        readable = TRUE;
        return TRUE;
    }
    return m_socket.WaitReadable(readable, milliseconds);
}

void CSmtpStream::EndTls() { m_pTls.reset(); }
