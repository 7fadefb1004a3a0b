// The SMTP conversation: session frame, reply reader and mail transaction.
#include "smtp/CSmtpConnection.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "logging/ErrorLog.h"
#include "logging/Transcript.h"
#include "message/CSmtpAddress.h"
#include "message/CSmtpAttachment.h"
#include "message/CSmtpMessage.h"
#include "platform/Clock.h"
#include "platform/LastError.h"
#include "platform/TextFormat.h"
#include "platform/WinsockError.h"
#include "smtp/SmtpWireText.h"

namespace {

// Reply codes the conversation expects (RFC 5321 4.2.2, 4.3.2).
constexpr int REPLY_SERVICE_READY = 220;
constexpr int REPLY_CLOSING = 221;
constexpr int REPLY_OK = 250;
constexpr int REPLY_START_MAIL_INPUT = 354;
constexpr int REPLY_AUTH_CONTINUE = 334;   // RFC 4954 4
constexpr int REPLY_AUTH_SUCCEEDED = 235;  // RFC 4954 6

// What the transcript shows in place of credentials.
constexpr std::string_view AUTH_PLAIN_SHOWN = "AUTH PLAIN <credentials hidden>";
constexpr std::string_view CREDENTIALS_SHOWN = "<credentials hidden>";

// Reasons from this value up are the TLS layer's (HRESULT-style, shown in hex); below, Winsock
// numbers (shown in decimal).
constexpr DWORD FIRST_TLS_REASON = 0x80000000;

// Characters of a reply that carry its code.
constexpr int REPLY_CODE_LENGTH = 3;
// A line whose fourth character is a hyphen ("250-...") is followed by more lines of the same
// reply (RFC 5321 4.2.1).
constexpr std::size_t CONTINUATION_MARK_POSITION = 3;
constexpr char CONTINUATION_MARK = '-';

// The last error as the number the log entries show.
int LastErrorNumber() { return static_cast<int>(GetLastError()); }

// A reason as the entries show it: a TLS_ERROR_ value in hex as Windows shows it, any other in
// decimal.
std::string ReasonText(DWORD reason) {
    return reason >= FIRST_TLS_REASON ? FormatText("0x%08lX", static_cast<unsigned long>(reason))
                                      : FormatText("%lu", static_cast<unsigned long>(reason));
}

// The transcript's line for a reply wait ended by a failure: "<what> [<last error>]".
std::string Failure(const char* what) { return FormatText("%s [%d]", what, LastErrorNumber()); }

// Moves the `received` bytes of reply text (and their terminating zero) from `current` into a
// new buffer `growBy` bytes larger than `size`, which becomes `current` and is recorded in
// `*extraBuffer` (the one recorded before is released; the caller's own buffer never is).
// FALSE, nothing changed, with 10040 when the buffer would pass SMTP_REPLY_MAX_BUFFER_SIZE or
// 10055 when no memory can be had.
BOOL GrowReplyBuffer(char*& current, int& size, int received, char** extraBuffer, int growBy) {
    if (size > SMTP_REPLY_MAX_BUFFER_SIZE - growBy) {
        SetLastError(WSAEMSGSIZE);
        return FALSE;
    }
    char* grown = new (std::nothrow) char[size + growBy];
    if (grown == nullptr) {
        SetLastError(WSAENOBUFS);
        return FALSE;
    }
    std::memcpy(grown, current, static_cast<std::size_t>(received) + 1);
    char* previous = *extraBuffer;
    delete[] previous;
    *extraBuffer = grown;
    current = grown;
    size += growBy;
    return TRUE;
}

// True when `text` holds the last line of a reply: a line ended by `ending` that is not a
// continuation line. The search begins at `searchFrom`; `lineStart`, the start of the first line
// not yet ended, moves past every continuation line found.
bool HoldsLastReplyLine(std::string_view text, std::string_view ending, std::size_t searchFrom,
                        std::size_t& lineStart, std::size_t& replyEnd) {
    for (std::size_t end = text.find(ending, searchFrom); end != std::string_view::npos;
         end = text.find(ending, lineStart)) {
        const std::string_view line = text.substr(lineStart, end - lineStart);
        if (line.size() <= CONTINUATION_MARK_POSITION ||
            line[CONTINUATION_MARK_POSITION] != CONTINUATION_MARK) {
            replyEnd = end + ending.size();
            return true;
        }
        lineStart = end + ending.size();
    }
    return false;
}

}  // namespace

CSmtpConnection::~CSmtpConnection() {
    if (m_bSessionOpen) Disconnect();
}

BOOL CSmtpConnection::Connect(const char* server, int port) {
    if (!m_SMTP.Create()) {
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:m_SMTP.Create[%d]", LastErrorNumber());
        return FALSE;
    }
    TraceLine("", FormatText("Connecting to %s port %d", server != nullptr ? server : "", port));
    if (!m_SMTP.Connect(server, port)) {
        TraceLine("", FormatText("Connection failed [%d]", LastErrorNumber()));
        WriteErrorLog(
            ERROR_LOG_FILE,
            "SMTPエラー:m_SMTP.Connect[%d] Could not connect to the SMTP server %s on port %d",
            LastErrorNumber(), server, port);
        return FALSE;
    }
    TraceLine("", "Connected");
    if (m_nSecurity == SMTP_SECURITY_TLS && !SecureConnection(server, port)) return FALSE;
    m_bSessionOpen = TRUE;
    if (!ReadCommandResponse(REPLY_SERVICE_READY)) {
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:ReadCommandResponse 220");
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:An unexpected SMTP login response was received");
        Disconnect();
        return FALSE;
    }
    if (m_nSecurity != SMTP_SECURITY_NONE || !m_strUser.empty())
        return OpenSecureSession(server, port);
    return OpeningStep(FormatHeloCommand(LocalHeloName()), "HELO", REPLY_OK);
}

BOOL CSmtpConnection::OpeningStep(std::string_view command, const char* verb, int expectedCode) {
    if (!SendCommand(command)) {
        Disconnect();
        WriteErrorLog(ERROR_LOG_FILE,
                      "SMTPエラー:An unexpected error occurred while sending the %s command", verb);
        return FALSE;
    }
    if (!ReadCommandResponse(expectedCode)) {
        Disconnect();
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:ReadCommandResponse %d", expectedCode);
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:An unexpected %s response was received", verb);
        return FALSE;
    }
    return TRUE;
}

void CSmtpConnection::SetSecurity(SmtpSecurity security, std::string user, std::string password,
                                  std::string caFile) {
    m_nSecurity = security;
    m_strUser = std::move(user);
    m_strPassword = std::move(password);
    m_strCAFile = std::move(caFile);
}

BOOL CSmtpConnection::SendEhlo() {
    if (!OpeningStep(FormatEhloCommand(LocalHeloName()), "EHLO", REPLY_OK)) return FALSE;
    m_Capabilities = ParseEhloReply(m_strReply);
    return TRUE;
}

BOOL CSmtpConnection::OpenSecureSession(const char* server, int port) {
    if (!SendEhlo()) return FALSE;
    if (m_nSecurity == SMTP_SECURITY_STARTTLS) {
        if (!StartTls(server, port)) return FALSE;
        m_Capabilities = SmtpCapabilities();  // nothing said in clear counts any more
        if (!SendEhlo()) return FALSE;
    }
    return m_strUser.empty() ? TRUE : Authenticate();
}

BOOL CSmtpConnection::StartTls(const char* server, int port) {
    if (!m_Capabilities.bStartTls) {
        Disconnect();
        SetLastError(WSAEPROTONOSUPPORT);
        WriteErrorLog(ERROR_LOG_FILE,
                      "SMTPエラー:STARTTLS[%d] The SMTP server does not offer STARTTLS",
                      LastErrorNumber());
        return FALSE;
    }
    if (!OpeningStep(STARTTLS_COMMAND, "STARTTLS", REPLY_SERVICE_READY)) return FALSE;
    // Bytes sent before the handshake could only be injected by someone in the path: the run
    // ends here (RFC 3207 6).
    BOOL readable = FALSE;
    if (m_nBytesAfterReply > 0 || !m_Stream.WaitReadable(readable, 0) || readable) {
        TraceLine("", "Data received before the TLS handshake");
        Abandon();
        SetLastError(TLS_ERROR_ILLEGAL_MESSAGE);
        WriteErrorLog(ERROR_LOG_FILE,
                      "SMTPエラー:STARTTLS[0x%08lX] Data received before the TLS handshake",
                      static_cast<unsigned long>(TLS_ERROR_ILLEGAL_MESSAGE));
        return FALSE;
    }
    return SecureConnection(server, port);
}

BOOL CSmtpConnection::SecureConnection(const char* server, int port) {
    if (m_Stream.StartTls(server, m_strCAFile, m_dwReplyTimeout)) {
        TraceLine("TLS session: ", m_Stream.SessionText());
        return TRUE;
    }
    const DWORD reason = GetLastError();
    TraceLine("", FormatText("TLS handshake failed [%s]", ReasonText(reason).c_str()));
    Abandon();
    WriteErrorLog(ERROR_LOG_FILE,
                  "SMTPエラー:TLS handshake[%s] Could not secure the connection to the SMTP "
                  "server %s on port %d",
                  ReasonText(reason).c_str(), server, port);
    SetLastError(reason);
    return FALSE;
}

BOOL CSmtpConnection::Authenticate() {
    if (!m_Stream.IsSecure() || (!m_Capabilities.bAuthPlain && !m_Capabilities.bAuthLogin)) {
        Disconnect();
        SetLastError(WSAEPROTONOSUPPORT);
        WriteErrorLog(ERROR_LOG_FILE,
                      "SMTPエラー:AUTH[%d] The SMTP server offers no usable AUTH mechanism",
                      LastErrorNumber());
        return FALSE;
    }
    if (!ExchangeCredentials()) {
        Disconnect();
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:ReadCommandResponse 235");
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:An unexpected AUTH response was received");
        return FALSE;
    }
    return TRUE;
}

BOOL CSmtpConnection::ExchangeCredentials() {
    if (m_Capabilities.bAuthPlain) {
        return SendSecret(FormatAuthPlainCommand(m_strUser, m_strPassword), AUTH_PLAIN_SHOWN) &&
               ReadCommandResponse(REPLY_AUTH_SUCCEEDED);
    }
    return SendCommand(AUTH_LOGIN_COMMAND) && ReadCommandResponse(REPLY_AUTH_CONTINUE) &&
           SendSecret(FormatAuthLoginLine(m_strUser), CREDENTIALS_SHOWN) &&
           ReadCommandResponse(REPLY_AUTH_CONTINUE) &&
           SendSecret(FormatAuthLoginLine(m_strPassword), CREDENTIALS_SHOWN) &&
           ReadCommandResponse(REPLY_AUTH_SUCCEEDED);
}

void CSmtpConnection::Abandon() {
    m_bSessionOpen = FALSE;
    m_Stream.Close();
}

BOOL CSmtpConnection::Disconnect() {
    if (!m_bSessionOpen) {
        WriteErrorLog(ERROR_LOG_FILE, "Already disconnected from SMTP server");
        m_Stream.Close();
        return FALSE;
    }
    if (!SendCommand(QUIT_COMMAND)) {
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー(%d):Failed in call to send QUIT command",
                      LastErrorNumber());
    }
    BOOL result = ReadCommandResponse(REPLY_CLOSING);
    if (!result) {
        SetLastError(ERROR_BAD_COMMAND);
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:ReadCommandResponse 221");
        WriteErrorLog(ERROR_LOG_FILE, "An unexpected QUIT response was received");
    }
    m_bSessionOpen = FALSE;
    m_Stream.Close();
    return result;
}

BOOL CSmtpConnection::ReadCommandResponse(int expectedCode) {
    char buffer[SMTP_REPLY_BUFFER_SIZE];
    char* extraBuffer = nullptr;
    BOOL result = ReceiveReply(buffer, sizeof buffer, SMTP_REPLY_TERMINATOR, expectedCode,
                               &extraBuffer, SMTP_REPLY_GROW_BY);
    delete[] extraBuffer;
    return result;
}

BOOL CSmtpConnection::ReadEndOfDataResponse() {
    m_bAwaitingEndOfData = TRUE;
    const BOOL result = ReadCommandResponse(REPLY_OK);
    m_bAwaitingEndOfData = FALSE;
    return result;
}

BOOL CSmtpConnection::ReceiveReply(char* buffer, int size, const char* terminator, int expectedCode,
                                   char** extraBuffer, int growBy) {
    const std::string_view ending(terminator != nullptr ? terminator : "");
    if (buffer == nullptr || size < 1 || ending.empty() || extraBuffer == nullptr || growBy < 1) {
        SetLastError(WSAEINVAL);
        return FALSE;
    }
    char* current = buffer;
    int received = 0;
    std::size_t lineStart = 0, replyEnd = 0;
    bool closed = false;
    const DWORD waitLimit = m_bAwaitingEndOfData ? SMTP_END_OF_DATA_TIMEOUT_MS : m_dwReplyTimeout;
    DWORD start = GetTickCount();
    for (;;) {
        if (TickElapsed(start, GetTickCount()) > waitLimit) {
            SetLastError(WSAETIMEDOUT);
            return FailReply(current, received,
                             FormatText("Time-out: no reply within %lu ms",
                                        static_cast<unsigned long>(waitLimit)));
        }
        BOOL readable = FALSE;
        if (!m_Stream.WaitReadable(readable, SMTP_REPLY_POLL_INTERVAL_MS))
            return FailReply(current, received, Failure("Poll failed"));
        if (!readable) continue;
        const int asked = std::max(size - received - 1, 0);
        const int count = m_Stream.Receive(current + received, asked);
        if (count == STREAM_NOTHING_YET) continue;
        if (count == SOCKET_ERROR) return FailReply(current, received, Failure("Receive failed"));
        if (count == 0 && asked > 0) {
            // The server has closed the connection: nothing more will come. The wait for the
            // end of data ends at once as a time-out; any other runs to its time-out all the
            // same, pausing instead of spinning.
            if (!closed) TraceLine("", "Connection closed by the server");
            closed = true;
            if (m_bAwaitingEndOfData) {
                SetLastError(WSAETIMEDOUT);
                return FailReply(current, received, "Reply wait ended");
            }
            Sleep(SMTP_REPLY_POLL_INTERVAL_MS);
            continue;
        }
        // A terminator may straddle two receives; lines before lineStart are known continuations.
        const std::size_t searchFrom = std::max(
            static_cast<std::size_t>(std::max(received + 1 - static_cast<int>(ending.size()), 0)),
            lineStart);
        received += count;
        if (count > 0) start = GetTickCount();
        current[received] = '\0';
        if (count == asked && !GrowReplyBuffer(current, size, received, extraBuffer, growBy)) {
            return FailReply(current, received, Failure("Reply not kept"));
        }
        const std::string_view text(current, static_cast<std::size_t>(received));
        if (HoldsLastReplyLine(text, ending, searchFrom, lineStart, replyEnd)) {
            m_nBytesAfterReply = static_cast<std::size_t>(received) - replyEnd;
            return CompleteReply(current, received, static_cast<int>(ending.size()), expectedCode);
        }
    }
}

BOOL CSmtpConnection::CompleteReply(const char* text, int received, int terminatorLength,
                                    int expectedCode) {
    m_strReply.assign(text, static_cast<std::size_t>(received));
    TraceReply(m_strReply);
    const int textLength = received - terminatorLength;
    char codeField[REPLY_CODE_LENGTH + 1] = {};
    std::memcpy(codeField, text, static_cast<std::size_t>(std::min(textLength, REPLY_CODE_LENGTH)));
    int code = 0;
    if (std::sscanf(codeField, "%d", &code) == 1) m_nLastReplyCode = code;
    if (m_nLastReplyCode == expectedCode) return TRUE;
    SetLastError(WSAEPROTONOSUPPORT);
    m_strLastReply.assign(text, static_cast<std::size_t>(textLength));
    return FALSE;
}

BOOL CSmtpConnection::FailReply(const char* text, int received, const std::string& reason) {
    m_strLastReply.assign(text, static_cast<std::size_t>(received));
    TraceReply(m_strLastReply);
    TraceLine("", reason);
    return FALSE;
}

BOOL CSmtpConnection::SendCommand(std::string_view command) {
    TraceLine("C: ",
              command.substr(0, command.size() - std::string_view(SMTP_REPLY_TERMINATOR).size()));
    return SendText(command);
}

BOOL CSmtpConnection::SendSecret(std::string_view command, std::string_view shown) {
    TraceLine("C: ", shown);
    return SendText(command);
}

BOOL CSmtpConnection::SendData(std::string_view text) {
    m_nDataBytes += text.size();
    return SendText(text);
}

BOOL CSmtpConnection::SendMessage(const CSmtpMessage& message) {
    if (!SendCommand(FormatMailFromCommand(message.m_Sender.m_strAddress))) {
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー(%d):Failed in call to send MAIL command",
                      LastErrorNumber());
        return FALSE;
    }
    if (!ReadCommandResponse(REPLY_OK)) {
        SetLastError(ERROR_BAD_COMMAND);
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:ReadCommandResponse 250");
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:An unexpected MAIL response was received");
        return FALSE;
    }
    SendRecipients(message);
    if (!SendCommand(DATA_COMMAND)) {
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー(%d):Failed in call to send MAIL command",
                      LastErrorNumber());
        return FALSE;
    }
    if (!ReadCommandResponse(REPLY_START_MAIL_INPUT)) {
        SetLastError(ERROR_BAD_COMMAND);
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:An unexpected DATA response was received");
        return FALSE;
    }
    return SendMessageText(message);
}

BOOL CSmtpConnection::SendRecipient(const CSmtpAddress& address) {
    if (!SendCommand(FormatRcptToCommand(address.m_strAddress))) {
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー(%d):Failed in call to send RCPT command",
                      LastErrorNumber());
        return FALSE;
    }
    if (!ReadCommandResponse(REPLY_OK)) {
        SetLastError(ERROR_BAD_COMMAND);
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー:An unexpected RCPT response was received");
        return FALSE;
    }
    return TRUE;
}

void CSmtpConnection::SendRecipients(const CSmtpMessage& message) {
    for (int kind : {RECIPIENT_TO, RECIPIENT_CC, RECIPIENT_BCC}) {
        for (int index = 0; index < message.RecipientCount(kind); ++index) {
            const CSmtpAddress recipient = message.RecipientAt(index, kind);
            if (!SendRecipient(recipient)) {
                WriteErrorLog(ERROR_LOG_FILE, "%s",
                              FormatRefusedRecipientEntry(recipient.m_strName).c_str());
            }
        }
    }
}

BOOL CSmtpConnection::SendMessageText(const CSmtpMessage& message) {
    m_nDataBytes = 0;
    const BOOL sent = SendMessageData(message);
    TraceLine("C: ", FormatText("<message data: %zu bytes>", m_nDataBytes));
    if (!sent) return FALSE;
    if (!ReadEndOfDataResponse()) {
        SetLastError(ERROR_BAD_COMMAND);
        WriteErrorLog(ERROR_LOG_FILE,
                      "SMTPエラー:An unexpected end of message response was received");
        return FALSE;
    }
    return TRUE;
}

BOOL CSmtpConnection::SendMessageData(const CSmtpMessage& message) {
    if (!SendData(message.BuildHeader())) {
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー(%d):Failed in call to send the header",
                      LastErrorNumber());
        return FALSE;
    }
    const bool multipart = message.AttachmentCount() > 0;
    if (multipart && !SendData(BODY_PART_HEADER)) {
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー(%d):Failed in call to send the body header",
                      LastErrorNumber());
        return FALSE;
    }
    if (!SendData(ConvertBodyForWire(message.m_strBody))) {
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー(%d):Failed in call to send the header",
                      LastErrorNumber());
        return FALSE;
    }
    if (!SendAttachments(message)) return FALSE;
    if (multipart && !SendData(CLOSING_BOUNDARY)) {
        WriteErrorLog(ERROR_LOG_FILE,
                      "SMTPエラー(%d):Failed in call to send Mime attachment header",
                      LastErrorNumber());
        return FALSE;
    }
    if (!SendData(END_OF_DATA)) {
        WriteErrorLog(ERROR_LOG_FILE,
                      "SMTPエラー(%d):Failed in call to send end of message indicator",
                      LastErrorNumber());
        return FALSE;
    }
    return TRUE;
}

BOOL CSmtpConnection::SendAttachments(const CSmtpMessage& message) {
    if (message.AttachmentCount() == 0) return TRUE;
    // One block's file bytes and text, used again for every block of every attachment.
    std::unique_ptr<unsigned char[]> input(
        new (std::nothrow) unsigned char[ATTACHMENT_BLOCK_INPUT]);
    std::unique_ptr<char[]> text(new (std::nothrow) char[ATTACHMENT_BLOCK_TEXT]);
    for (int i = 0; i < message.AttachmentCount(); ++i) {
        // A null entry is sent as an attachment that failed to load: empty names, no data.
        CSmtpAttachment* attachment = message.AttachmentAt(i);
        const std::string partHeader =
            attachment != nullptr
                ? FormatAttachmentPartHeader(attachment->FileName(), attachment->EncodedName())
                : FormatAttachmentPartHeader("", "");
        if (!SendData(partHeader)) {
            WriteErrorLog(ERROR_LOG_FILE,
                          "SMTPエラー(%d):Failed in call to send Mime attachment header",
                          LastErrorNumber());
            return FALSE;
        }
        if (attachment != nullptr && !SendAttachmentText(*attachment, input.get(), text.get()))
            return FALSE;
    }
    return TRUE;
}

BOOL CSmtpConnection::SendAttachmentText(CSmtpAttachment& attachment, unsigned char* input,
                                         char* text) {
    if (attachment.IsOpen() && (input == nullptr || text == nullptr)) {
        SetLastError(WSAENOBUFS);
        WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー(%d):Failed in call to send the attachment",
                      LastErrorNumber());
        return FALSE;
    }
    for (;;) {
        std::size_t length = 0;
        const AttachmentRead read = attachment.ReadBase64Block(input, text, length);
        if (read == ATTACHMENT_READ_FAILED || read == ATTACHMENT_ENDED_EARLY) {
            // Without its end of data the server discards the transaction (RFC 5321 4.1.1.4),
            // and anything more said would be taken as message text: the connection is dropped.
            Abandon();
            return FALSE;
        }
        if (!SendData(std::string_view(text, length))) {
            WriteErrorLog(ERROR_LOG_FILE, "SMTPエラー(%d):Failed in call to send the attachment",
                          LastErrorNumber());
            return FALSE;
        }
        if (read == ATTACHMENT_LAST) return TRUE;
    }
}
