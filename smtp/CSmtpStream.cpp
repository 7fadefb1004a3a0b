// The parts of the session's byte stream that are the same on every platform.
#include "smtp/CSmtpStream.h"

void CSmtpStream::Close() {
    EndTls();
    m_socket.Close();
}
