// The mail request: one mail as plain Shift-JIS texts and a list of attachment paths, and its
// send driver, which connects, composes, runs the transaction, quits and logs its failures.
#pragma once

#include <string>
#include <vector>

#include "platform/Types.h"
#include "smtp/SmtpSecurity.h"

// The most attachments one mail carries.
inline constexpr int MAX_ATTACHMENTS = 128;

class CMail {
public:
    CMail() = default;
    virtual ~CMail() = default;

    int SetServer(std::string text);
    int SetFromName(std::string text);
    int SetFromAddress(std::string text);
    int SetSubject(std::string text);
    int SetBody(std::string text);
    // Appends a path; only the first MAX_ATTACHMENTS paths are sent.
    int AddAttachment(std::string path);
    void ClearTo() { m_strTo.clear(); }
    void ClearCc() { m_strCc.clear(); }
    void ClearBcc() { m_strBcc.clear(); }
    void SetTo(std::string text) { m_strTo = std::move(text); }
    void SetCc(std::string text) { m_strCc = std::move(text); }
    void SetBcc(std::string text) { m_strBcc = std::move(text); }

    // How the conversation is protected (SmtpSecurity.h), on which port (0: 25, or 465 for
    // SMTP_SECURITY_TLS), and the credentials for AUTH (none when `user` is empty).
    void SetSecurity(int port, SmtpSecurity security, std::string user, std::string password,
                     std::string caFile);

    // Sends the mail to m_strServer on the port SetSecurity chose (25 unless it was called). TRUE
    // when the server accepted the message. Every failure found here writes two error-log entries
    // after those of the layer below: the socket layer not starting, the connection not opening
    // (TCP, greeting or HELO; no attachment file is then read), the transaction failing (QUIT is
    // still sent). Refused recipients, malformed recipient lists and unreadable attachments are
    // logged below and do not stop the send.
    BOOL SendMail();

    std::string m_strServer;
    std::string m_strTo;
    std::string m_strCc;
    std::string m_strBcc;
    std::string m_strFromAddress;
    std::string m_strFromName;
    std::string m_strSubject;
    std::string m_strBody;
    std::vector<std::string> m_aAttachmentPaths;
    int m_nPort = 0;
    SmtpSecurity m_nSecurity = SMTP_SECURITY_NONE;
    std::string m_strUser, m_strPassword, m_strCAFile;

protected:
    // Starts the platform's socket layer (nothing to start on Linux). FALSE when it cannot start.
    virtual BOOL StartSocketLayer();
};
