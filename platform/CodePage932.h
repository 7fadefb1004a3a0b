// Text saved with a byte-order mark (UTF-8, UTF-16 LE or BE), converted to code page 932 as the
// Windows INI reader hands such a file's values to a program: decoded in its encoding, then each
// character converted by glibc's "CP932" converter (which matches Windows on Japanese text, the
// IBM-extension codes included: 髙 U+9AD9 becomes FB FC).
#pragma once

#include <string>
#include <string_view>

// The code page 932 text of `bytes`. Without a byte-order mark the bytes are returned as they
// are. With one, the mark is dropped and the rest decoded: a character that code page 932 lacks
// becomes one '?' for each UTF-16 unit it takes (an emoji, a surrogate pair, gives "??"), and
// every byte or unit that does not decode (a stray UTF-8 byte, a lone surrogate, an odd last
// byte of UTF-16) becomes '?'. Never fails.
std::string ToCodePage932(std::string_view bytes);

// Appends the code page 932 bytes of the Unicode character `code` (not ASCII) to `text`; false,
// `text` untouched, when code page 932 has no such character. The platform's own converter:
// glibc's "CP932" on Linux, WideCharToMultiByte(932) on Windows.
bool AppendCodePage932Character(char32_t code, std::string& text);
