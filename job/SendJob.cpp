// Request building.
#include "job/SendJob.h"

#include <memory>

#include "job/CMail.h"
#include "platform/FileSystem.h"
#include "platform/TextFileReader.h"

std::string ReadBodyText(const std::string& path) {
    std::string body;
    CTextFileReader file;
    if (path.empty() || !file.Open(path)) return body;
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
    if (path.empty() || !file.Open(path)) return paths;
    std::string line;
    while (paths.size() < static_cast<std::size_t>(MAX_ATTACHMENTS) && file.ReadString(line)) {
        if (line.find('\0') != std::string::npos) continue;  // names nothing
        if (PathExists(line)) paths.push_back(line);
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
