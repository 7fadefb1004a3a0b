// The send driver.
#include "job/CMail.h"

#include <algorithm>
#include <memory>

#include "logging/ErrorLog.h"
#include "message/CSmtpAttachment.h"
#include "message/CSmtpMessage.h"
#include "smtp/CSmtpConnection.h"

int CMail::SetServer(std::string text) {
    m_strServer = std::move(text);
    return 1;
}
int CMail::SetFromName(std::string text) {
    m_strFromName = std::move(text);
    return 1;
}
int CMail::SetFromAddress(std::string text) {
    m_strFromAddress = std::move(text);
    return 1;
}
int CMail::SetSubject(std::string text) {
    m_strSubject = std::move(text);
    return 1;
}
int CMail::SetBody(std::string text) {
    m_strBody = std::move(text);
    return 1;
}

int CMail::AddAttachment(std::string path) {
    m_aAttachmentPaths.push_back(std::move(path));
    return 1;
}

void CMail::SetSecurity(int port, SmtpSecurity security, std::string user, std::string password,
                        std::string caFile) {
    m_nPort = port;
    m_nSecurity = security;
    m_strUser = std::move(user);
    m_strPassword = std::move(password);
    m_strCAFile = std::move(caFile);
}

BOOL CMail::StartSocketLayer() { return CSmtpSocket::StartUp(); }

namespace {

void AddRecipients(CSmtpMessage& message, const std::string& list, RecipientKind kind) {
    if (!list.empty()) message.ParseRecipients(list, kind);  // a failure is logged and skipped
}

}  // namespace

BOOL CMail::SendMail() {
    if (!StartSocketLayer()) {
        WriteErrorLog(ERROR_LOG_FILE, "Error:CMail::SendMail AfxSocketInit()");
        WriteErrorLog(ERROR_LOG_FILE,
                      "SMTP サーバ接続に失敗しました。\n\rSocketの初期化に失敗しました。");
        return FALSE;
    }
    auto connection = std::make_unique<CSmtpConnection>();
    connection->SetSecurity(m_nSecurity, m_strUser, m_strPassword, m_strCAFile);
    const int port =
        m_nPort != 0 ? m_nPort : (m_nSecurity == SMTP_SECURITY_TLS ? SMTP_TLS_PORT : SMTP_PORT);
    if (!connection->Connect(m_strServer.c_str(), port)) {
        WriteErrorLog(ERROR_LOG_FILE, "Error:CMail::SendMail Connect()");
        WriteErrorLog(ERROR_LOG_FILE,
                      "SMTP "
                      "サーバ接続に失敗しました。\n\rSMTPの設定が間違っているか、SMTPサーバが動作し"
                      "ていない可能性があります。");
        return FALSE;
    }
    auto message = std::make_unique<CSmtpMessage>();
    AddRecipients(*message, m_strTo, RECIPIENT_TO);
    AddRecipients(*message, m_strCc, RECIPIENT_CC);
    AddRecipients(*message, m_strBcc, RECIPIENT_BCC);
    message->m_Sender = CSmtpAddress(m_strFromName, m_strFromAddress);
    message->m_strSubject = m_strSubject;
    message->AssignBody(m_strBody);

    auto slots = std::make_unique<CSmtpAttachment[]>(MAX_ATTACHMENTS);
    std::size_t count =
        std::min(m_aAttachmentPaths.size(), static_cast<std::size_t>(MAX_ATTACHMENTS));
    for (std::size_t i = 0; i < count; ++i) {
        slots[i].LoadFile(m_aAttachmentPaths[i]);  // a failed load still goes out, as an empty part
        message->AppendAttachment(&slots[i]);
    }

    BOOL sent = connection->SendMessage(*message);
    if (!sent) {
        WriteErrorLog(ERROR_LOG_FILE, "Error:CMail::SendMessage()");
        WriteErrorLog(ERROR_LOG_FILE, "SMTP メール送信に失敗しました。");
    }
    connection->Disconnect();
    return sent;
}
