// Trimming byte strings. Trail bytes of two-byte Shift-JIS characters are 0x40 and above, so
// trimming ASCII white space never cuts a character.
#pragma once

#include <string_view>

// `text` without the leading and trailing bytes that are in `characters`.
constexpr std::string_view TrimCharacters(std::string_view text, std::string_view characters) {
    std::size_t first = text.find_first_not_of(characters);
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}
