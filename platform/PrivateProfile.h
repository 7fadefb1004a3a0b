// The INI reader of the job file: the value of a key in a section, read as bytes.
//
// Lines end at LF, CR LF or a lone CR; a UTF-8 byte-order mark at the start is ignored. A section
// line is optional blanks, '[', the name up to ']' (the rest ignored); a line starting with '['
// without ']' is ignored, so the keys after it stay in the section before it. A key line is
// key '=' value, both trimmed of blanks and tabs; a line without '=' is no key, and a line whose
// first non-blank character is ';' is a comment. Keys before any section belong to none. Section
// and key names compare without regard to ASCII letter case; the first section of a name and the
// first key within it win. A value ends at a NUL byte and loses a matching pair of enclosing
// double or single quotes.
#pragma once

#include <cstddef>
#include <string>

// The longest value the reader yields (its buffer holds 512 bytes with the terminator).
inline constexpr std::size_t PROFILE_VALUE_MAX = 511;

// The value of `key` in `section` of the file at `path`, cut to PROFILE_VALUE_MAX bytes without
// splitting a two-byte Shift-JIS character. A missing file (or a directory), section or key
// gives the empty text.
std::string GetPrivateProfileText(const std::string& section, const std::string& key,
                                  const std::string& path);

// The same, from the bytes of an INI text already in memory.
std::string FindProfileValue(const std::string& section, const std::string& key,
                             const std::string& contents);
