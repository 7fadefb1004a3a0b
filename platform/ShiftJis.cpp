// Shift-JIS character stepping and cutting.
#include "platform/ShiftJis.h"

std::size_t ShiftJisNext(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return text.size();
    if (IsShiftJisLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) {
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
