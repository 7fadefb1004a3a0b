// One SMTP conversation with one server: opening it (TCP connect, 220 greeting, HELO), the
// mail transaction (MAIL FROM, RCPT TO, DATA, the message text, the end of data), closing it
// (QUIT, 221), and the reply reader every command uses. Every failure is written to the error
// log "Fernpost.err" where it is found; the reason is left in the last-error value.
#pragma once

#include <string>
#include <string_view>

#include "platform/Types.h"
#include "smtp/CSmtpSocket.h"
#include "smtp/CSmtpStream.h"
#include "smtp/SmtpCapabilities.h"
#include "smtp/SmtpSecurity.h"

class CSmtpAddress;
class CSmtpAttachment;
class CSmtpMessage;

// How long a reply wait may last without a received byte.
inline constexpr DWORD SMTP_REPLY_TIMEOUT_MS = 5000;
// How long the reply to the end of data may take: a server may check the message (virus and
// spam filters, a slow disk) before it answers, and RFC 5321 4.5.3.2.6 gives it 10 minutes. A
// server that closes the connection during this wait ends it at once.
inline constexpr DWORD SMTP_END_OF_DATA_TIMEOUT_MS = 10 * 60 * 1000;
// The longest a reply wait sleeps or waits for readability in one pass.
inline constexpr DWORD SMTP_REPLY_POLL_INTERVAL_MS = 250;
// The reply buffer of ReadCommandResponse; one reply line (512 bytes at most, RFC 5321
// 4.5.3.1.5) rarely needs more, and the reader grows it when it does.
inline constexpr int SMTP_REPLY_BUFFER_SIZE = 256;
// The step by which the reply reader grows its buffer.
inline constexpr int SMTP_REPLY_GROW_BY = 4096;
// The largest buffer the reply reader grows to: a server that sends a megabyte without ending
// its reply line is not followed further (last error 10040, WSAEMSGSIZE).
inline constexpr int SMTP_REPLY_MAX_BUFFER_SIZE = 1 << 20;
// The end of a reply line.
inline constexpr const char* SMTP_REPLY_TERMINATOR = "\r\n";
// m_nLastReplyCode before the first reply: not a reply code.
inline constexpr int SMTP_NO_REPLY_CODE = -1;

class CSmtpConnection {
public:
    // No socket, session closed, no last reply, reply time-out 5000 ms.
    CSmtpConnection() = default;
    // Ends a session that is still open with Disconnect (QUIT); the socket closes itself.
    ~CSmtpConnection();
    CSmtpConnection(const CSmtpConnection&) = delete;
    CSmtpConnection& operator=(const CSmtpConnection&) = delete;

    // Opens the session with `server` (host name or dotted IPv4 text) on `port`: TCP connect,
    // greeting 220, "HELO <local host name>", 250. TRUE only when HELO was answered with 250.
    // Failures, with their entries in the error log:
    //  - no socket: "SMTPエラー:m_SMTP.Create[%d]"; last error from the socket call.
    //  - lookup or connect failed: "SMTPエラー:m_SMTP.Connect[%d] Could not connect to the SMTP
    //    server %s on port %d"; 10022 for a name that cannot be looked up, else the connect's
    //    reason. The session stays closed (no QUIT); the socket closes with the object.
    //  - greeting not 220 or its wait failed: "SMTPエラー:ReadCommandResponse 220", "SMTPエラー:
    //    An unexpected SMTP login response was received", then Disconnect's entries.
    //  - HELO not sent: Disconnect's entries, then "SMTPエラー:An unexpected error occurred
    //    while sending the HELO command".
    //  - HELO not answered 250: Disconnect's entries, then "SMTPエラー:ReadCommandResponse 250",
    //    "SMTPエラー:An unexpected HELO response was received".
    // After the last three the session is already closed; the last error is 22 when the QUIT
    // exchange failed, else the reason of the failed step.
    // With SetSecurity's TLS the handshake comes right after the TCP connect; with STARTTLS, or
    // TLS, the greeting is answered with EHLO (and after STARTTLS's handshake with EHLO again,
    // every earlier capability forgotten), then AUTH when a user is set. Their failures:
    //  - handshake: "SMTPエラー:TLS handshake[<reason>] Could not secure the connection to the
    //    SMTP server %s on port %d", a TLS_ERROR_ value in hex, else a Winsock number (10060 for
    //    a time-out); the connection is dropped without QUIT.
    //  - EHLO: as HELO's, with "EHLO" in the texts.
    //  - no STARTTLS offered: Disconnect's entries, then "SMTPエラー:STARTTLS[10043] The SMTP
    //    server does not offer STARTTLS".
    //  - STARTTLS not answered 220: Disconnect's entries, "SMTPエラー:ReadCommandResponse 220",
    //    "SMTPエラー:An unexpected STARTTLS response was received".
    //  - bytes after STARTTLS's 220, before the handshake: "SMTPエラー:STARTTLS[0x80090326] Data
    //    received before the TLS handshake"; dropped without QUIT.
    //  - neither PLAIN nor LOGIN offered: Disconnect's entries, "SMTPエラー:AUTH[10043] The SMTP
    //    server offers no usable AUTH mechanism".
    //  - AUTH not answered 235 (334 to LOGIN's steps): Disconnect's entries, "SMTPエラー:
    //    ReadCommandResponse 235", "SMTPエラー:An unexpected AUTH response was received".
    // The credentials never reach a log or the transcript.
    BOOL Connect(const char* server, int port);

    // How the next Connect protects the conversation, and the credentials for AUTH (no AUTH
    // when `user` is empty); `caFile` names a PEM file of certificates trusted besides the
    // system's (empty: none).
    void SetSecurity(SmtpSecurity security, std::string user, std::string password,
                     std::string caFile);

    // Ends the session: "QUIT", 221, and closes the socket in every case. TRUE only when 221
    // came. Entries: "SMTPエラー(%d):Failed in call to send QUIT command" when QUIT cannot be
    // sent (the reply is awaited all the same); "SMTPエラー:ReadCommandResponse 221" and "An
    // unexpected QUIT response was received" (last error 22) when no 221 came; "Already
    // disconnected from SMTP server" (FALSE, last error unchanged) on a closed session.
    BOOL Disconnect();

    // Waits for one reply (ReceiveReply with a 256-byte buffer, terminator CR LF, growth step
    // 4096) and compares its code with `expectedCode`. Writes nothing to the log.
    virtual BOOL ReadCommandResponse(int expectedCode);

    // The reply reader. Collects bytes into `buffer` (`size` bytes) until they hold a line ended
    // by `terminator` that is not a continuation line (one whose fourth character is '-', RFC
    // 5321 4.2.1), then scans the code from the first three characters (a text without a number
    // there keeps the previous code) and compares it with `expectedCode`. So "220-a\r\n" and
    // "220 b\r\n" are one reply however they are cut into receives; bytes received with the last
    // line belong to the reply. Each pass waits up to 250 ms for the socket to become readable;
    // the wait fails when nothing was received for more than 5000 ms (measured on the wrapping
    // tick counter; the end of data's reply: SMTP_END_OF_DATA_TIMEOUT_MS). A closed connection adds
    // nothing and is paused on, not spun on, until that time-out. When a receive fills the buffer,
    // the reader allocates one `growBy` bytes larger, records it in `*extraBuffer` (null on entry;
    // the caller releases it with delete[] whatever the result) and goes on in it. NUL bytes are
    // ordinary bytes. Results: TRUE for the expected code (m_strLastReply unchanged); FALSE with
    // last error 10043 and the reply without its terminator in m_strLastReply for another code;
    // FALSE with 10060 (time-out), with the failed socket call's reason, or with 10040 (no
    // terminator within 1 MiB) / 10055 (no memory), the bytes so far in m_strLastReply.
    virtual BOOL ReceiveReply(char* buffer, int size, const char* terminator, int expectedCode,
                              char** extraBuffer, int growBy);

    // The text of the last reply that failed its check, or of the last failed wait.
    std::string GetLastReply() const { return m_strLastReply; }

    // Sends `message` over the open session: MAIL FROM, RCPT TO for every To, Cc and Bcc
    // recipient in that order, DATA, the header, the body (CR LF line ends), each attachment's
    // part (its text read from the open file a block at a time) and the end of data. A refused
    // recipient is logged (its RCPT entry, then the refused-recipient entry with the display name)
    // and skipped; every other failure ends the transaction with its entry and FALSE, nothing sent
    // to abort it, except an attachment file that cannot be read whole (ReadBase64Block's entry):
    // the connection is then dropped without the end of data, so the server discards the mail.
    // TRUE only when the end of data was answered 250.
    BOOL SendMessage(const CSmtpMessage& message);

    // "RCPT TO:<address>" and its reply. FALSE with "SMTPエラー(%d):Failed in call to send RCPT
    // command" when it cannot be sent, or with last error 22 and "SMTPエラー:An unexpected RCPT
    // response was received" when the reply is not 250.
    BOOL SendRecipient(const CSmtpAddress& address);

protected:
    CSmtpSocket m_SMTP;
    // Every byte of the conversation goes through it: the socket, or TLS over it.
    CSmtpStream m_Stream{m_SMTP};
    BOOL m_bSessionOpen = FALSE;
    std::string m_strLastReply;
    const DWORD m_dwReplyTimeout = SMTP_REPLY_TIMEOUT_MS;
    int m_nLastReplyCode = SMTP_NO_REPLY_CODE;
    // TRUE while the reply to the end of data is awaited: the wait may last
    // SMTP_END_OF_DATA_TIMEOUT_MS, and a closed connection ends it at once.
    BOOL m_bAwaitingEndOfData = FALSE;
    // Bytes of message data sent so far (for the transcript).
    std::size_t m_nDataBytes = 0;
    // The last complete reply (all its lines), and how many bytes came after its last line.
    std::string m_strReply;
    std::size_t m_nBytesAfterReply = 0;
    SmtpSecurity m_nSecurity = SMTP_SECURITY_NONE;
    std::string m_strUser, m_strPassword, m_strCAFile;
    // What the last EHLO reply offered.
    SmtpCapabilities m_Capabilities;

private:
    // One send of the whole text.
    BOOL SendText(std::string_view text) { return m_Stream.Send(text.data(), text.size()); }
    // A command line (ending in CR LF), written to the transcript first.
    BOOL SendCommand(std::string_view command);
    // A command that carries credentials: the transcript shows `shown` in its place.
    BOOL SendSecret(std::string_view command, std::string_view shown);
    // EHLO and its 250; keeps what the reply offers. Failures as HELO's.
    BOOL SendEhlo();
    // One command of the session's opening (HELO, EHLO, STARTTLS) and its reply `expectedCode`.
    // On failure the session is closed first (QUIT's entries), then "SMTPエラー:An unexpected error
    // occurred while sending the <verb> command", or "SMTPエラー:ReadCommandResponse <code>" and
    // "SMTPエラー:An unexpected <verb> response was received".
    BOOL OpeningStep(std::string_view command, const char* verb, int expectedCode);
    // After the greeting: EHLO, STARTTLS and its handshake, EHLO again, AUTH, as SetSecurity asks.
    BOOL OpenSecureSession(const char* server, int port);
    // STARTTLS, its 220, nothing more, and the handshake.
    BOOL StartTls(const char* server, int port);
    // The handshake; on failure its entry, the connection dropped.
    BOOL SecureConnection(const char* server, int port);
    // AUTH PLAIN, else AUTH LOGIN, whichever the server offers; 235 expected.
    BOOL Authenticate();
    // The exchange of the AUTH mechanism chosen: TRUE when 235 came.
    BOOL ExchangeCredentials();
    // Drops the connection without QUIT: nothing more may be said over it.
    void Abandon();
    // A piece of the message data, counted for the transcript.
    BOOL SendData(std::string_view text);
    // RCPT TO for every recipient, To, Cc, Bcc; each refusal logged, none stops the others.
    void SendRecipients(const CSmtpMessage& message);
    // The reply to the end of data: 250 expected within SMTP_END_OF_DATA_TIMEOUT_MS.
    BOOL ReadEndOfDataResponse();
    // The message text after DATA was accepted, the end of data and its reply.
    BOOL SendMessageText(const CSmtpMessage& message);
    // The message text and the end of data, each failed send with its entry.
    BOOL SendMessageData(const CSmtpMessage& message);
    // Each attachment's part header and base64 text.
    BOOL SendAttachments(const CSmtpMessage& message);
    // One attachment's base64 text, read, encoded and sent a block at a time through `input` and
    // `text` (ATTACHMENT_BLOCK_INPUT and ATTACHMENT_BLOCK_TEXT bytes; null when they could not be
    // had: 10055). A file that fails or ends early drops the connection: no end of data.
    BOOL SendAttachmentText(CSmtpAttachment& attachment, unsigned char* input, char* text);
    // The reply of `received` bytes held the terminator: checks its code.
    BOOL CompleteReply(const char* text, int received, int terminatorLength, int expectedCode);
    // A failed wait: keeps the bytes so far in m_strLastReply and writes them and `reason` to
    // the transcript; FALSE.
    BOOL FailReply(const char* text, int received, const std::string& reason);
};
