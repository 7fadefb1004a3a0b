// Japanese text encoding: Shift-JIS (code page 932, built in whatever the system's locale) to
// 7-bit ISO-2022-JP (RFC 1468), and RFC 2047 "B" encoded words. Pure functions on byte strings;
// every result is built in growing storage, so no text is too long.
#pragma once

#include <string>
#include <string_view>

// Replaces every half-width katakana byte (0xA1-0xDF) by its full-width Shift-JIS character; a
// kana followed by a voiced or semi-voiced sound mark becomes the precomposed character where
// one exists (ｶﾞ -> ガ), else the two full-width characters (ｱﾞ -> ア゛). Lead bytes are copied
// with their trail byte; every other byte is copied. The result is at most twice as long.
std::string WidenHalfWidthKana(std::string_view source);

// Converts Shift-JIS to 7-bit ISO-2022-JP (RFC 1468): convertible two-byte characters become JIS
// X 0208 codes between ESC $ B and ESC ( B (one pair per run); a rejected character (vendor rows)
// becomes ESC ( B "??", and so does a lead byte without a valid trail byte (0x40-0x7E, 0x80-0xFC),
// the byte after it then being converted on its own (a line feed after a cut character stays),
// and so does every other byte that 7-bit text cannot carry as it is: each byte 0x80-0xFF that
// does not start a two-byte character (half-width katakana are widened before), and ESC, SO and
// SI, which would switch a reader's character set. CR LF and a lone CR become LF, the byte after a
// lone CR kept; every other byte is copied, zero bytes included. The result is 7-bit, never ends
// in JIS X 0208 mode, holds no CR, and every line end of the source is one LF in it. Two passes
// (count, write), one allocation.
std::string ShiftJisToJis(std::string_view source);

// True when the two-byte Shift-JIS code (lead * 256 + trail) is converted by ShiftJisToJis.
bool IsConvertibleKanji(unsigned int code);

// "=?ISO-2022-JP?B?" + base64 of every byte of `source` + "?=": one word, never split or folded.
std::string EncodeHeaderWord(std::string_view source);

// The header-word chain used for display names, the subject and attachment file names:
// widen, convert, encode.
std::string EncodeJapaneseHeaderText(std::string_view shiftJisText);
