// Conversion of byte-order-marked text to code page 932: the decoding, the same on every
// platform; each character is converted by the platform's own converter.
#include "platform/CodePage932.h"

#include <vector>

namespace {

constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";
constexpr std::string_view UTF16LE_MARK = "\xFF\xFE";
constexpr std::string_view UTF16BE_MARK = "\xFE\xFF";
constexpr char UNCONVERTIBLE = '?';
constexpr char32_t NOT_DECODED = 0xFFFFFFFF;
constexpr char32_t FIRST_SUPPLEMENTARY = 0x10000;  // takes two UTF-16 units
// The longest code page 932 character.
constexpr std::size_t MAX_CHARACTER_BYTES = 2;

// One decoded character and the number of '?' that stand for it when it cannot be converted.
struct Character {
    char32_t code;
    std::size_t units;
};

std::size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;  // a continuation byte or a byte that never starts a character
}

// RFC 3629: shortest forms only, no surrogates, nothing above U+10FFFF.
std::vector<Character> DecodeUtf8(std::string_view text) {
    std::vector<Character> characters;
    for (std::size_t pos = 0; pos < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[pos]);
        const std::size_t length = Utf8Length(lead);
        char32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
        bool valid = length != 0 && pos + length <= text.size();
        for (std::size_t i = 1; valid && i < length; ++i) {
            const unsigned char next = static_cast<unsigned char>(text[pos + i]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= smallest[length] && code <= 0x10FFFF &&
                !(code >= 0xD800 && code <= 0xDFFF);
        characters.push_back(valid ? Character{code, code >= FIRST_SUPPLEMENTARY ? 2u : 1u}
                                   : Character{NOT_DECODED, 1});
        pos += valid ? length : 1;
    }
    return characters;
}

std::vector<Character> DecodeUtf16(std::string_view text, bool bigEndian) {
    auto unit = [&](std::size_t pos) -> char32_t {
        const unsigned char a = static_cast<unsigned char>(text[pos]);
        const unsigned char b = static_cast<unsigned char>(text[pos + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    std::vector<Character> characters;
    std::size_t pos = 0;
    for (; pos + 1 < text.size(); pos += 2) {
        const char32_t first = unit(pos);
        const bool high = first >= 0xD800 && first <= 0xDBFF;
        const char32_t second = pos + 3 < text.size() ? unit(pos + 2) : 0;
        if (high && second >= 0xDC00 && second <= 0xDFFF) {
            characters.push_back(
                {FIRST_SUPPLEMENTARY + ((first - 0xD800) << 10) + (second - 0xDC00), 2});
            pos += 2;
        } else {
            const bool surrogate = first >= 0xD800 && first <= 0xDFFF;
            characters.push_back({surrogate ? NOT_DECODED : first, 1});
        }
    }
    if (pos < text.size()) characters.push_back({NOT_DECODED, 1});  // an odd last byte
    return characters;
}

}  // namespace

std::string ToCodePage932(std::string_view bytes) {
    std::vector<Character> characters;
    if (bytes.substr(0, UTF8_MARK.size()) == UTF8_MARK) {
        characters = DecodeUtf8(bytes.substr(UTF8_MARK.size()));
    } else if (bytes.substr(0, UTF16LE_MARK.size()) == UTF16LE_MARK) {
        characters = DecodeUtf16(bytes.substr(UTF16LE_MARK.size()), false);
    } else if (bytes.substr(0, UTF16BE_MARK.size()) == UTF16BE_MARK) {
        characters = DecodeUtf16(bytes.substr(UTF16BE_MARK.size()), true);
    } else {
        return std::string(bytes);
    }
    std::string text;
    text.reserve(characters.size() * MAX_CHARACTER_BYTES);
    for (const Character& c : characters) {
        if (c.code < 0x80) {
            text += static_cast<char>(c.code);
        } else if (c.code == NOT_DECODED || !AppendCodePage932Character(c.code, text)) {
            text.append(c.units, UNCONVERTIBLE);
        }
    }
    return text;
}
