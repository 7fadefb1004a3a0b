// Request building.
#include "job/SendJob.h"

#include <memory>

#include "job/CMail.h"
#include "logging/ErrorLog.h"
#include "platform/FileSystem.h"
#include "platform/ShiftJis.h"
#include "platform/TextFileReader.h"

namespace {

constexpr const char* BODY_FAILED_TEXT = "Failed to open body file: %s";
constexpr const char* LIST_FAILED_TEXT = "Failed to open attachment list file: %s";
constexpr const char* NOT_FOUND_TEXT = "Attachment file not found: %s";
// The most of a path an entry shows: the longest path Windows takes (32,767 UTF-16 units) in
// two-byte characters. A longer line names nothing, and its entry shows its start and "...".
constexpr std::size_t LOGGED_PATH_MAX = 65534;
constexpr const char* CUT_MARK = "...";

// `path` as an entry shows it: up to its first NUL, cut to LOGGED_PATH_MAX bytes.
std::string LoggedPath(const std::string& path) {
    std::string_view text(path.c_str());
    if (text.size() <= LOGGED_PATH_MAX) return std::string(text);
    return std::string(text.substr(0, ShiftJisCutLength(text, LOGGED_PATH_MAX))) + CUT_MARK;
}

}  // namespace

std::string ReadBodyText(const std::string& path) {
    std::string body;
    CTextFileReader file;
    if (path.empty()) return body;
    if (!file.Open(path)) {
        WriteErrorLog(ERROR_LOG_FILE, BODY_FAILED_TEXT, LoggedPath(path).c_str());
        return body;
    }
    std::string line;
    while (file.ReadString(line)) {
        for (char c : line) {
            if (c != '\0') body += c;
        }
        body += '\n';
    }
    file.Close();
    return body;
}

std::vector<std::string> ReadAttachmentPaths(const std::string& path) {
    std::vector<std::string> paths;
    CTextFileReader file;
    if (path.empty()) return paths;
    if (!file.Open(path)) {
        WriteErrorLog(ERROR_LOG_FILE, LIST_FAILED_TEXT, LoggedPath(path).c_str());
        return paths;
    }
    std::string line;
    while (paths.size() < static_cast<std::size_t>(MAX_ATTACHMENTS) && file.ReadString(line)) {
        if (line.empty()) continue;
        // A line holding a NUL byte names nothing.
        if (line.find('\0') == std::string::npos && PathExists(line)) {
            paths.push_back(line);
        } else {
            WriteErrorLog(ERROR_LOG_FILE, NOT_FOUND_TEXT, LoggedPath(line).c_str());
        }
    }
    file.Close();
    return paths;
}

void BuildMailRequest(const JobFields& settings, CMail& mail) {
    mail.ClearTo();
    mail.ClearCc();
    mail.ClearBcc();
    mail.SetServer(settings.szServer);
    mail.SetFromName(settings.szFromName);
    mail.SetFromAddress(settings.szFromAddress);
    mail.SetTo(settings.szTo);
    mail.SetCc(settings.szCc);
    mail.SetBcc(settings.szBcc);
    mail.SetSubject(settings.szSubject);
    const int security = ParseSecurity(settings.szSecurity);  // the loader let only good ones by
    mail.SetSecurity(ParsePort(settings.szPort),
                     security > 0 ? static_cast<SmtpSecurity>(security) : SMTP_SECURITY_NONE,
                     settings.szUser, settings.szPassword, settings.szCAFile);
    mail.SetBody(ReadBodyText(settings.szBodyFile));
    for (std::string& attachment : ReadAttachmentPaths(settings.szAttachmentPathFile)) {
        mail.AddAttachment(std::move(attachment));
    }
}

void SendJob(const JobFields& settings) {
    auto mail = std::make_unique<CMail>();
    BuildMailRequest(settings, *mail);
    mail->SendMail();
}
