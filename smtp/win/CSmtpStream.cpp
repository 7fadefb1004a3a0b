// The session's byte stream on Windows: the socket itself. This build makes no TLS session yet
// (Schannel is to come): StartTls fails with SEC_E_UNSUPPORTED_FUNCTION, so a job that asks for
// TLS gets an entry and sends nothing.
#include "smtp/CSmtpStream.h"

#include "platform/LastError.h"

struct CSmtpStream::TlsSession {};

CSmtpStream::CSmtpStream(CSmtpSocket& socket) : m_socket(socket) {}

CSmtpStream::~CSmtpStream() { EndTls(); }

BOOL CSmtpStream::StartTls(const char*, const std::string&, DWORD) {
    SetLastError(TLS_ERROR_UNSUPPORTED);
    return FALSE;
}

std::string CSmtpStream::SessionText() const { return ""; }

BOOL CSmtpStream::Send(const void* data, std::size_t length) { return m_socket.Send(data, length); }

int CSmtpStream::Receive(void* buffer, int length) { return m_socket.Receive(buffer, length); }

BOOL CSmtpStream::WaitReadable(BOOL& readable, DWORD milliseconds) {
    return m_socket.WaitReadable(readable, milliseconds);
}

void CSmtpStream::EndTls() { m_pTls.reset(); }

void CSmtpStream::Close() {
    EndTls();
    m_socket.Close();
}
