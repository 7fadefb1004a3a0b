// Base64 groups (RFC 2045, section 6.8): every three bytes become four characters of the
// alphabet A-Z a-z 0-9 + /, a last group of one or two bytes is filled out with "=". Shared by
// the attachment text (in 76-character lines) and the encoded header words (one unbroken run).
#pragma once

#include <cstddef>

// Input bytes per group and characters per group.
inline constexpr std::size_t BASE64_GROUP_INPUT = 3;
inline constexpr std::size_t BASE64_GROUP_OUTPUT = 4;
// Characters per base64 line (RFC 2045 limit), and the input bytes that fill one line.
inline constexpr std::size_t BASE64_LINE_LENGTH = 76;
inline constexpr std::size_t BASE64_LINE_INPUT = BASE64_LINE_LENGTH / 4 * 3;

// The number of characters EncodeBase64Groups writes for `length` bytes: 4 * ceil(length / 3).
constexpr std::size_t Base64GroupsLength(std::size_t length) {
    return length / BASE64_GROUP_INPUT * BASE64_GROUP_OUTPUT +
           (length % BASE64_GROUP_INPUT != 0 ? BASE64_GROUP_OUTPUT : 0);
}

// Writes the groups of `length` bytes at `input` to `output` (which must hold
// Base64GroupsLength(length) characters; no terminator, no line breaks). Returns the position
// just after the last character written.
char* EncodeBase64Groups(const unsigned char* input, std::size_t length, char* output);

// Writes the groups of `length` bytes at `input` in 76-character lines, each full line ended by
// CR LF, a last short line (if any) without one; returns the position after the last character.
// The texts of inputs cut at multiples of 57 bytes join up to the text of the whole input.
char* EncodeBase64Lines(const unsigned char* input, std::size_t length, char* output);
