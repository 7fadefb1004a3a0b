// One attachment: the file's plain name, its name as an encoded word, and the file itself, held
// open from its check until its contents have gone out as base64 text in 76-character lines, one
// block at a time, so that no attachment is ever held whole in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "message/Base64.h"
#include "platform/Types.h"

// File bytes read and encoded at a time: whole 76-character lines (a multiple of 57), and small
// enough that a block stays in the processor's cache between its read, its encoding and its send.
inline constexpr std::size_t ATTACHMENT_BLOCK_INPUT = BASE64_LINE_INPUT * 4096;
// The text buffer one block needs: its lines with their line breaks, the final line break that
// ends an attachment's text, and a terminator.
inline constexpr std::size_t ATTACHMENT_BLOCK_TEXT =
    ATTACHMENT_BLOCK_INPUT / BASE64_LINE_INPUT * (BASE64_LINE_LENGTH + 2) + 2 + 1;

// What ReadBase64Block found.
enum AttachmentRead {
    ATTACHMENT_MORE,         // a block of text; more follows
    ATTACHMENT_LAST,         // the last block of text (it ends with the final line break)
    ATTACHMENT_READ_FAILED,  // the file could not be read: its entry is written
    ATTACHMENT_ENDED_EARLY,  // the file ended before the size it had when opened: its entry too
};

class CSmtpAttachment {
public:
    CSmtpAttachment() = default;
    ~CSmtpAttachment() { CloseFile(); }
    CSmtpAttachment(const CSmtpAttachment&) = delete;
    CSmtpAttachment& operator=(const CSmtpAttachment&) = delete;

    // Checks and opens the file at `path` and keeps it open, and fills the names: the last path
    // component ("/" and "\\" separate, Shift-JIS aware) and its header word. A file opened before
    // is closed first. Only regular files are opened, so nothing can block; on Windows others may
    // read the open file but neither write nor delete it, on Linux a file removed meanwhile still
    // reads whole. Returns FALSE with the error-log entry "Failed to open file to be attached"
    // when the file's status cannot be had (it was removed after the list was read, say: it still
    // goes out as an empty part, so the entry says why), when it is not a regular file or cannot
    // be opened. After FALSE no file is open and the names are unchanged. The last-error value is
    // left as it was.
    BOOL LoadFile(const std::string& path);

    std::string FileName() const { return m_strFileName; }
    std::string EncodedName() const { return m_strEncodedName; }
    // TRUE from a successful LoadFile until the last block has been read or a read failed.
    BOOL IsOpen() const { return m_nFile >= 0 ? TRUE : FALSE; }

    // Reads the next ATTACHMENT_BLOCK_INPUT bytes of the open file (the rest, when fewer are left)
    // and writes their base64 text into `output` (ATTACHMENT_BLOCK_TEXT bytes), its length into
    // `length`. The blocks' texts joined are the file's text as Base64Encode writes it, the final
    // line break included, so an empty file gives one block of CR LF. The file is closed after the
    // last block and after a failure. A failure writes the entry, with the path as LoadFile had it:
    //  - read error: "Failed to read file to be attached, the mail was abandoned (error %d): %s",
    //    the system's error number;
    //  - fewer bytes than its size when opened (truncated by another program): "File to be
    //    attached ended early, the mail was abandoned: %s".
    // Nothing of a failed block is written; a file that grew is read up to its size when opened.
    // Without an open file: ATTACHMENT_LAST and no text (the part of a file that failed to load).
    AttachmentRead ReadBase64Block(unsigned char* input, char* output, std::size_t& length);

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
    std::string m_strPath;           // as LoadFile was given it, for the entries
    int m_nFile = -1;                // the open file, or -1
    std::uint64_t m_nBytesLeft = 0;  // bytes of the open file not yet read

private:
    void CloseFile();
};
