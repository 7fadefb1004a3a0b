// Conversions between code page 932 and UTF-16.
#include "platform/win/WideText.h"

#include "platform/Types.h"

namespace {

constexpr UINT CODE_PAGE_932 = 932;
// The escape of a unit that code page 932 cannot spell: this byte, then four hex digits.
constexpr char ESCAPE = '\x01';
constexpr std::size_t ESCAPE_DIGITS = 4;
constexpr const char* HEX_DIGITS = "0123456789ABCDEF";
// The longest code page 932 character.
constexpr int MAX_CHARACTER_BYTES = 2;

std::wstring Widen(std::string_view text) {
    std::wstring wide;
    if (text.empty()) return wide;
    const int length = MultiByteToWideChar(CODE_PAGE_932, 0, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    wide.resize(static_cast<std::size_t>(length));
    MultiByteToWideChar(CODE_PAGE_932, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

}  // namespace

bool AppendCodePage932Unit(wchar_t unit, std::string& text) {
    char bytes[MAX_CHARACTER_BYTES];
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CODE_PAGE_932, WC_NO_BEST_FIT_CHARS, &unit, 1, bytes,
                                           MAX_CHARACTER_BYTES, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return false;
    const std::wstring back = Widen(std::string_view(bytes, static_cast<std::size_t>(length)));
    if (back.size() != 1 || back[0] != unit) return false;
    text.append(bytes, static_cast<std::size_t>(length));
    return true;
}

namespace {

int HexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return -1;
}

}  // namespace

std::string CodePage932FromWide(std::wstring_view wide) {
    std::string text;
    for (const wchar_t unit : wide) {
        if (unit == static_cast<wchar_t>(ESCAPE) || !AppendCodePage932Unit(unit, text)) {
            text += ESCAPE;
            for (std::size_t i = ESCAPE_DIGITS; i-- > 0;)
                text += HEX_DIGITS[(unit >> (4 * i)) & 0xF];
        }
    }
    return text;
}

std::wstring WideFromCodePage932(std::string_view text) {
    std::wstring wide;
    while (!text.empty()) {
        const std::size_t escape = text.find(ESCAPE);
        wide += Widen(text.substr(0, escape));
        if (escape == std::string_view::npos) break;
        text.remove_prefix(escape + 1);
        unsigned int unit = 0;
        bool valid = text.size() >= ESCAPE_DIGITS;
        for (std::size_t i = 0; valid && i < ESCAPE_DIGITS; ++i) {
            const int digit = HexValue(text[i]);
            valid = digit >= 0;
            unit = unit << 4 | static_cast<unsigned int>(digit);
        }
        wide += valid ? static_cast<wchar_t>(unit) : static_cast<wchar_t>(ESCAPE);
        if (valid) text.remove_prefix(ESCAPE_DIGITS);
    }
    return wide;
}
