// Text between the program's code page 932 and Windows's UTF-16, whatever the system's ANSI code
// page: the command line, paths handed to the W functions, and the executable's own path.
//
// A UTF-16 unit that code page 932 cannot spell (a Korean name, an emoji's half, the byte 0x01
// itself) is kept in the 932 text as the byte 0x01 and four upper-case hex digits ("\x01AC00"),
// so such a path comes back whole. No Windows path holds 0x01 (control characters are not
// allowed in names), and 0x01 is never the trail byte of a two-byte character, so the escape
// cannot be mistaken for anything a user wrote.
#pragma once

#include <string>
#include <string_view>

// The code page 932 text of `wide`, escaping what code page 932 cannot spell.
std::string CodePage932FromWide(std::wstring_view wide);

// The UTF-16 text of the code page 932 `text`, escapes undone. A malformed escape stays the
// character U+0001 (which names no file); a byte that does not decode becomes what
// MultiByteToWideChar(932) makes of it.
std::wstring WideFromCodePage932(std::string_view text);

// Appends the code page 932 bytes of `unit` to `text`; false, `text` untouched, when code page
// 932 has no such character (its bytes would not come back as the same unit: no best fit, no
// default character).
bool AppendCodePage932Unit(wchar_t unit, std::string& text);
