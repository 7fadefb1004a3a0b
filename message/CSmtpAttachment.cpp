// Attachments: the regular file checked and kept open, read and encoded a block at a time; the
// base64 text in 76-character lines; the plain and encoded names.
#include "message/CSmtpAttachment.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <unistd.h>

#include "logging/ErrorLog.h"
#include "message/Base64.h"
#include "message/JapaneseText.h"
#include "platform/FileSystem.h"
#include "platform/ShiftJis.h"

namespace {

constexpr char LINE_BREAK[] = "\r\n";
constexpr std::size_t LINE_BREAK_LENGTH = sizeof LINE_BREAK - 1;

constexpr const char* ATTACH_FAILED_TEXT = "Failed to open file to be attached";

// The final line break and the terminator; the text's length.
std::size_t EndText(char* text, char* next) {
    std::memcpy(next, LINE_BREAK, LINE_BREAK_LENGTH);
    next += LINE_BREAK_LENGTH;
    *next = '\0';
    return static_cast<std::size_t>(next - text);
}

// The last component of a path: what follows the last "\" or "/". The walk steps over whole
// Shift-JIS characters, so the trail byte 0x5C of ソ or 表 is never taken for a separator.
std::string LastPathComponent(const std::string& path) {
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < path.size(); pos = ShiftJisNext(path, pos)) {
        if (path[pos] == '\\' || path[pos] == '/') start = pos + 1;
    }
    return path.substr(start);
}

}  // namespace

BOOL CSmtpAttachment::LoadFile(const std::string& path) {
    CloseFile();
    // Missing (removed since the list was read, say), not a regular file, or not to be opened:
    // the same entry, and the file is never opened unless it is a regular file.
    std::uint64_t size = 0;
    m_nFile = OpenRegularFileForReading(path, size);
    if (m_nFile < 0) {
        WriteErrorLog(ERROR_LOG_FILE, ATTACH_FAILED_TEXT);
        return FALSE;
    }
    m_nBytesLeft = size;
    m_strPath = path;
    m_strFileName = LastPathComponent(path);
    m_strEncodedName = EncodeJapaneseHeaderText(m_strFileName);
    return TRUE;
}

void CSmtpAttachment::CloseFile() {
    if (m_nFile >= 0) close(m_nFile);
    m_nFile = -1;
    m_nBytesLeft = 0;
}

AttachmentRead CSmtpAttachment::ReadBase64Block(unsigned char* input, char* output,
                                                std::size_t& length) {
    length = 0;
    if (m_nFile < 0) return ATTACHMENT_LAST;
    const std::size_t size =
        static_cast<std::size_t>(std::min<std::uint64_t>(m_nBytesLeft, ATTACHMENT_BLOCK_INPUT));
    const long result = ReadUpTo(m_nFile, input, size);
    if (result != static_cast<long>(size)) {
        const int reason = errno;
        CloseFile();
        if (result < 0) {
            WriteErrorLog(ERROR_LOG_FILE,
                          "Failed to read file to be attached, the mail was abandoned (error %d): "
                          "%s",
                          reason, m_strPath.c_str());
            return ATTACHMENT_READ_FAILED;
        }
        WriteErrorLog(ERROR_LOG_FILE, "File to be attached ended early, the mail was abandoned: %s",
                      m_strPath.c_str());
        return ATTACHMENT_ENDED_EARLY;
    }
    char* end = EncodeBase64Lines(input, size, output);
    m_nBytesLeft -= size;
    if (m_nBytesLeft > 0) {
        length = static_cast<std::size_t>(end - output);
        return ATTACHMENT_MORE;
    }
    CloseFile();
    length = EndText(output, end);
    return ATTACHMENT_LAST;
}

BOOL CSmtpAttachment::Base64Encode(const unsigned char* input, std::size_t length, char* output,
                                   std::size_t capacity, std::size_t& outLength) {
    outLength = 0;
    if (capacity < Base64EncodedSize(length)) return FALSE;
    outLength = EndText(output, EncodeBase64Lines(input, length, output));
    return TRUE;
}

std::size_t CSmtpAttachment::Base64EncodedSize(std::size_t length) {
    // No memory holds more than half the address space: such a size is answered with the
    // largest value, which no allocation can satisfy, instead of a wrapped-around small one.
    constexpr std::size_t limit = std::numeric_limits<std::size_t>::max();
    if (length > limit / 2) return limit;
    // The characters, up to two line-break bytes per 76 of them, the final line break and the
    // terminator: b + floor(2b / 76) + 3.
    std::size_t characters = Base64GroupsLength(length);
    return characters + characters / (BASE64_LINE_LENGTH / LINE_BREAK_LENGTH) + LINE_BREAK_LENGTH +
           1;
}
