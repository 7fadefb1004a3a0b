// Loading and checking the job file.
#include "job/JobSettings.h"

#include <cstring>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/PrivateProfile.h"
#include "platform/ShiftJis.h"
#include "platform/TextFormat.h"

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

}  // namespace

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
