// Loading and checking the job file.
#include "job/JobSettings.h"

#include <cstring>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/PrivateProfile.h"
#include "platform/ShiftJis.h"
#include "platform/TextFormat.h"
#include "smtp/SmtpSecurity.h"

namespace {

struct KeyField {
    const char* section;
    const char* key;
    char* field;
    std::size_t width;
};

// Copies `value` into a field of `width` bytes, cut to width - 1 bytes without splitting a
// two-byte character, and terminated.
void CopyValue(std::string_view value, char* field, std::size_t width) {
    std::size_t length = ShiftJisCutLength(value, width - 1);
    std::memcpy(field, value.data(), length);
    field[length] = '\0';
}

// The key of the first of SMTP's optional keys in `settings` whose value cannot be used, or null.
const char* FindUnusableSmtpKey(const JobFields& settings) {
    if (settings.szPort[0] != '\0' && ParsePort(settings.szPort) == 0) return "Port";
    const int security = ParseSecurity(settings.szSecurity);
    if (security < 0) return "Security";
    if (settings.szUser[0] != '\0' && security == SMTP_SECURITY_NONE) return "User";
    if (settings.szPassword[0] != '\0' && settings.szUser[0] == '\0') return "Password";
    if (settings.szCAFile[0] != '\0' && !PathExists(settings.szCAFile)) return "CAFile";
    return nullptr;
}

bool SameLetters(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c =
            (text[i] >= 'A' && text[i] <= 'Z') ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != lower[i]) return false;
    }
    return true;
}

// The largest TCP port number.
constexpr long MAX_PORT = 65535;
// More digits than the largest port has: the value is too big whatever they are.
constexpr std::size_t MAX_PORT_DIGITS = 5;

}  // namespace

int ParsePort(std::string_view text) {
    if (text.empty() || text.size() > MAX_PORT_DIGITS) return 0;
    long port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        port = port * 10 + (c - '0');
    }
    return port <= MAX_PORT ? static_cast<int>(port) : 0;
}

int ParseSecurity(std::string_view text) {
    if (text.empty() || SameLetters(text, "none")) return SMTP_SECURITY_NONE;
    if (SameLetters(text, "starttls")) return SMTP_SECURITY_STARTTLS;
    if (SameLetters(text, "tls")) return SMTP_SECURITY_TLS;
    return -1;
}

JobSettings::JobSettings() {
    std::memset(static_cast<JobFields*>(this), 0, sizeof(JobFields));
    std::memset(szMessage, 0, sizeof szMessage);
}

int JobSettings::Load(const std::string& path) {
    int result = JOB_FILE_LOADED;
    std::string missing;
    if (!PathExists(path)) {
        result = JOB_FILE_NOT_EXIST;
    } else {
        std::memset(static_cast<JobFields*>(this), 0, sizeof(JobFields));
        const KeyField mandatory[] = {
            {"SMTP", "Server", szServer, sizeof szServer},
            {"Address", "FromName", szFromName, sizeof szFromName},
            {"Address", "FromAddress", szFromAddress, sizeof szFromAddress},
            {"Address", "To", szTo, sizeof szTo},
        };
        const KeyField optional[] = {
            {"Address", "Cc", szCc, sizeof szCc},
            {"Address", "Bcc", szBcc, sizeof szBcc},
            {"Message", "Subject", szSubject, sizeof szSubject},
            {"Message", "BodyFile", szBodyFile, sizeof szBodyFile},
            {"Message", "AttachmentPathFile", szAttachmentPathFile, sizeof szAttachmentPathFile},
            {"SMTP", "Port", szPort, sizeof szPort},
            {"SMTP", "Security", szSecurity, sizeof szSecurity},
            {"SMTP", "User", szUser, sizeof szUser},
            {"SMTP", "Password", szPassword, sizeof szPassword},
            {"SMTP", "CAFile", szCAFile, sizeof szCAFile},
        };
        // Read once; a file that cannot be read (a directory, say) gives every key empty.
        CProfileFile file;
        file.Open(path);
        for (const KeyField& item : mandatory) {
            std::string value = file.GetText(item.section, item.key);
            if (value.empty()) {
                missing = FormatText("%s:%s", item.section, item.key);
                result = JOB_FILE_INVALID;
                break;
            }
            CopyValue(value, item.field, item.width);
        }
        if (result == JOB_FILE_LOADED) {
            for (const KeyField& item : optional) {
                CopyValue(file.GetText(item.section, item.key), item.field, item.width);
            }
            if (const char* key = FindUnusableSmtpKey(*this)) {
                missing = FormatText("SMTP:%s", key);
                result = JOB_FILE_INVALID;
            }
        }
    }
    if (result == JOB_FILE_NOT_EXIST) {
        CopyValue("Not Exist ini file\n", szMessage, sizeof szMessage);
    } else if (result == JOB_FILE_INVALID) {
        CopyValue(FormatText("Invalid ini file, invalid SECTION:%s\n", missing.c_str()), szMessage,
                  sizeof szMessage);
    }
    return result;
}

int JobSettings::CopyTo(JobFields& destination) const {
    destination = static_cast<const JobFields&>(*this);
    return 0;
}
