// Attachments: reading a regular file in chunks, its base64 text in 76-character lines, and its
// plain and encoded names.
#include "message/CSmtpAttachment.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <unistd.h>

#include "logging/ErrorLog.h"
#include "message/Base64.h"
#include "message/JapaneseText.h"
#include "platform/FileSystem.h"
#include "platform/MemoryHints.h"
#include "platform/ShiftJis.h"

namespace {

constexpr char LINE_BREAK[] = "\r\n";
constexpr std::size_t LINE_BREAK_LENGTH = sizeof LINE_BREAK - 1;

// Bytes read and encoded at a time: whole 76-character lines (a multiple of 57), and small enough
// that the chunk stays in the processor's cache between its read and its encoding.
constexpr std::size_t READ_CHUNK = BASE64_LINE_INPUT * 4096;

constexpr const char* ATTACH_FAILED_TEXT = "Failed to open file to be attached";

// Closes a file descriptor when the load ends, however it ends.
class ScopedFile {
public:
    explicit ScopedFile(int fd) : fd_(fd) {}
    ~ScopedFile() {
        if (fd_ >= 0) close(fd_);
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Reads exactly `size` bytes; false on a read error or when the file ends early.
bool ReadWhole(int fd, unsigned char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// The final line break and the terminator; the text's length.
std::size_t EndText(char* text, char* next) {
    std::memcpy(next, LINE_BREAK, LINE_BREAK_LENGTH);
    next += LINE_BREAK_LENGTH;
    *next = '\0';
    return static_cast<std::size_t>(next - text);
}

// Reads the `size` bytes of the open file a chunk at a time into one buffer, encoding each chunk
// straight into the text, so the file is never held whole. False, `text` and `textLength`
// untouched, when memory cannot be had or the file ends early.
bool ReadAsBase64(int fd, std::size_t size, std::unique_ptr<char[]>& text,
                  std::size_t& textLength) {
    const std::size_t outputSize = CSmtpAttachment::Base64EncodedSize(size);
    std::unique_ptr<char[]> output(new (std::nothrow) char[outputSize]);
    std::unique_ptr<unsigned char[]> chunk(
        new (std::nothrow) unsigned char[std::min(size, READ_CHUNK)]);
    if (!output || !chunk) return false;
    PrepareForWriting(output.get(), outputSize);
    char* next = output.get();
    for (std::size_t left = size; left > 0;) {
        const std::size_t length = std::min(left, READ_CHUNK);
        if (!ReadWhole(fd, chunk.get(), length)) return false;
        next = EncodeBase64Lines(chunk.get(), length, next);
        left -= length;
    }
    textLength = EndText(output.get(), next);
    text = std::move(output);
    return true;
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
    m_pBase64.reset();
    m_nBase64Length = 0;

    // Missing (removed since the list was read, say), not a regular file, or not to be opened:
    // the same entry, and the file is never opened unless it is a regular file.
    std::uint64_t size = 0;
    int fd = OpenRegularFileForReading(path, size);
    ScopedFile file(fd);
    if (fd < 0 || size > std::numeric_limits<std::size_t>::max() ||
        !ReadAsBase64(fd, static_cast<std::size_t>(size), m_pBase64, m_nBase64Length)) {
        WriteErrorLog(ERROR_LOG_FILE, ATTACH_FAILED_TEXT);
        return FALSE;
    }
    m_strFileName = LastPathComponent(path);
    m_strEncodedName = EncodeJapaneseHeaderText(m_strFileName);
    return TRUE;
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
