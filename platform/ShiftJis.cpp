// Shift-JIS character stepping and cutting.
#include "platform/ShiftJis.h"

std::size_t ShiftJisNext(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return text.size();
    if (IsShiftJisLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() &&
        IsShiftJisTrailByte(static_cast<unsigned char>(text[pos + 1]))) {
        return pos + 2;
    }
    return pos + 1;
}

std::size_t ShiftJisCutLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    std::size_t pos = 0;
    while (pos < maxBytes) {
        std::size_t next = ShiftJisNext(text, pos);
        if (next > maxBytes) return pos;  // the character at pos would lose its trail byte
        pos = next;
    }
    return maxBytes;
}

namespace {

// Code page 932's double-byte capitals and the distance to their small letters.
constexpr unsigned int FULLWIDTH_LATIN_CAPITALS_FIRST = 0x8260;  // Ａ .. Ｚ -> ａ .. ｚ
constexpr unsigned int FULLWIDTH_LATIN_CAPITALS_LAST = 0x8279;
constexpr unsigned int FULLWIDTH_LATIN_TO_SMALL = 0x21;
constexpr unsigned int GREEK_CAPITALS_FIRST = 0x839F;  // Α .. Ω -> α .. ω
constexpr unsigned int GREEK_CAPITALS_LAST = 0x83B6;
constexpr unsigned int GREEK_TO_SMALL = 0x20;
constexpr unsigned int CYRILLIC_CAPITALS_FIRST = 0x8440;  // А .. Я -> а .. я
constexpr unsigned int CYRILLIC_CAPITALS_LAST = 0x8460;
constexpr unsigned int CYRILLIC_SMALL_FIRST = 0x8470;
constexpr unsigned int TRAIL_BYTE_GAP = 0x7F;  // never a trail byte: the small letters skip it

unsigned int LowerCaseCode(unsigned int code) {
    if (code >= FULLWIDTH_LATIN_CAPITALS_FIRST && code <= FULLWIDTH_LATIN_CAPITALS_LAST) {
        return code + FULLWIDTH_LATIN_TO_SMALL;
    }
    if (code >= GREEK_CAPITALS_FIRST && code <= GREEK_CAPITALS_LAST) return code + GREEK_TO_SMALL;
    if (code >= CYRILLIC_CAPITALS_FIRST && code <= CYRILLIC_CAPITALS_LAST) {
        unsigned int small = CYRILLIC_SMALL_FIRST + (code - CYRILLIC_CAPITALS_FIRST);
        return (small & 0xFF) >= TRAIL_BYTE_GAP ? small + 1 : small;
    }
    return code;
}

}  // namespace

std::size_t ShiftJisLowerCaseAt(std::string& text, std::size_t pos) {
    std::size_t next = ShiftJisNext(text, pos);
    if (next == pos + 2) {
        unsigned int code = static_cast<unsigned char>(text[pos]) * 256u +
                            static_cast<unsigned char>(text[pos + 1]);
        unsigned int lower = LowerCaseCode(code);
        text[pos] = static_cast<char>(lower >> 8);
        text[pos + 1] = static_cast<char>(lower & 0xFF);
    } else if (next == pos + 1 && text[pos] >= 'A' && text[pos] <= 'Z') {
        text[pos] = static_cast<char>(text[pos] - 'A' + 'a');
    }
    return next;
}
