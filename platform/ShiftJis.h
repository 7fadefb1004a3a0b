// Shift-JIS (code page 932) byte classes, recognised by the program itself whatever the
// system's locale, and cutting a text without splitting a two-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// True for a byte that starts a two-byte character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// True for a byte that may follow a lead byte: 0x40-0x7E and 0x80-0xFC.
constexpr bool IsShiftJisTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// True for a half-width katakana byte (punctuation, kana and sound marks): 0xA1-0xDF.
constexpr bool IsHalfWidthKatakana(unsigned char byte) { return byte >= 0xA1 && byte <= 0xDF; }

// The number of bytes of `text` to keep when it must be cut to at most `maxBytes`: `maxBytes`
// itself, or one less when the last kept byte would be a lead byte whose trail byte is cut off.
// Texts no longer than `maxBytes` are kept whole.
std::size_t ShiftJisCutLength(std::string_view text, std::size_t maxBytes);

// Lower-cases the character at `pos` of `text` in place, as code page 932 maps case: ASCII A-Z,
// and the full-width Latin (Ａ -> ａ), Greek (Α -> α) and Cyrillic (А -> а) capitals.
// Returns the position just after the character.
std::size_t ShiftJisLowerCaseAt(std::string& text, std::size_t pos);

// The position just after the character that starts at `pos` (CharNext): two bytes for a lead
// byte followed by a valid trail byte, else one. A lead byte before anything else (a '/', a
// blank, a quote, the end) is a byte on its own, so UTF-8 text, whose bytes often look like lead
// bytes, never swallows the separator after it. Never steps past the end of `text`.
std::size_t ShiftJisNext(std::string_view text, std::size_t pos);
