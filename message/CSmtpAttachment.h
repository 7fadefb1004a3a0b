// One attachment: the file's plain name, its name as an encoded word, and its contents as
// base64 text in 76-character lines, ready to be sent as one MIME part.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/Types.h"

class CSmtpAttachment {
public:
    CSmtpAttachment() = default;
    CSmtpAttachment(const CSmtpAttachment&) = delete;
    CSmtpAttachment& operator=(const CSmtpAttachment&) = delete;

    // Reads the file at `path` and fills the attachment: the name is the last path component
    // ("/" and "\\" separate, Shift-JIS aware), the encoded name its header word. Any earlier
    // base64 text is released first. Only regular files are opened, so nothing can block.
    // Returns FALSE with the error-log entry "Failed to open file to be attached" when the file's
    // status cannot be had (it was removed after the list was read, say: it still goes out as an
    // empty part, so the entry says why), when it is not a regular file, cannot be opened, memory
    // cannot be had or the read comes up short. After FALSE the
    // attachment holds no base64 text and its names are unchanged. The last-error value is
    // left as it was.
    BOOL LoadFile(const std::string& path);

    std::string FileName() const { return m_strFileName; }
    std::string EncodedName() const { return m_strEncodedName; }

    // Writes the base64 text of `input` with a CR LF after every 76 characters and at the end,
    // then a terminator, into `output`, and stores the text's length in `outLength`. A length
    // that is a non-zero multiple of 57 ends in an empty line. Returns TRUE; returns FALSE,
    // writing nothing and storing 0, when `capacity` is below Base64EncodedSize(length).
    static BOOL Base64Encode(const unsigned char* input, std::size_t length, char* output,
                             std::size_t capacity, std::size_t& outLength);

    // The output buffer size Base64Encode needs for `length` input bytes, terminator included:
    // b + floor(2b / 76) + 3 with b = 4 * ceil(length / 3); it always covers the text. Lengths
    // beyond half the address space give SIZE_MAX (no allocation can hold them).
    static std::size_t Base64EncodedSize(std::size_t length);

    std::string m_strFileName;
    std::string m_strEncodedName;
    std::unique_ptr<char[]> m_pBase64;  // base64 text and terminator, or null
    std::size_t m_nBase64Length = 0;    // bytes of base64 text, terminator excluded
};
