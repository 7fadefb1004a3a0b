// The INI reader of the job file: the value of a key in a section, read as bytes. The program's
// own on every platform, so a job reads the same whatever the system's code page (Windows's
// GetPrivateProfileStringA takes the file in the system's code page); under code page 932 it
// gives the values Windows's reader gives, which the Windows tests check.
//
// A file that starts with a byte-order mark (UTF-8, UTF-16) is first converted to code page 932
// (platform/CodePage932.h); other files are taken as they are. Lines end at LF, CR LF or a lone
// CR. A section line is optional blanks, '[', the name up to the last ']' of the line that is not
// the trail byte of a two-byte character, trimmed of blanks and tabs ("[ SMTP ]" opens SMTP,
// "[SMTP] note ] more" a section "SMTP] note"); a line starting with '[' without ']' is ignored,
// so the keys after it stay in the section before it. A key line is key '=' value, both trimmed
// of blanks and tabs; a line without '=' is a key with an empty value, and a line whose first
// non-blank character is ';' is a comment. Keys before any section belong to none. Section and key
// names compare without regard to ASCII letter case; the first section of a name and the first key
// within it win. A value ends at a NUL byte and loses a matching pair of enclosing double or single
// quotes.
#pragma once

#include <cstddef>
#include <string>

// The longest value the reader yields (its buffer holds 512 bytes with the terminator).
inline constexpr std::size_t PROFILE_VALUE_MAX = 511;

// A job file whose values are read: the file is read once, each value found in its text.
class CProfileFile {
public:
    // Prepares the file at `path` for reading. False when it cannot be read (a missing file, a
    // directory): every value is then empty.
    bool Open(const std::string& path);

    // The value of `key` in `section`, cut to PROFILE_VALUE_MAX bytes without splitting a
    // two-byte Shift-JIS character; the empty text for a missing section or key.
    std::string GetText(const std::string& section, const std::string& key) const;

private:
    // The file's text, converted to code page 932.
    std::string m_strSource;
};

// The value of `key` in `section` of the file at `path` (CProfileFile::GetText).
std::string GetPrivateProfileText(const std::string& section, const std::string& key,
                                  const std::string& path);

// This reader on an INI text already in memory (converted to code page 932).
std::string FindProfileValue(const std::string& section, const std::string& key,
                             const std::string& contents);
