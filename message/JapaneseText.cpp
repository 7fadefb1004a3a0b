// Shift-JIS to ISO-2022-JP and encoded words. Widening and conversion each walk the text twice
// with one routine: first counting the output bytes, then writing them into storage allocated
// once at that size, so that no text is too long and nothing is written past the storage.
#include "message/JapaneseText.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "message/Base64.h"
#include "message/KanaWidening.h"
#include "platform/ShiftJis.h"

namespace {

constexpr unsigned char CR = 0x0D;
constexpr unsigned char LF = 0x0A;

// ISO-2022-JP mode switches (RFC 1468) and the text that stands for a rejected character.
constexpr char ENTER_JIS_X_0208[] = {0x1B, 0x24, 0x42};  // ESC $ B
constexpr char ENTER_ASCII[] = {0x1B, 0x28, 0x42};       // ESC ( B
constexpr char REJECTED_CHARACTER[] = {0x3F, 0x3F};      // "??"

// RFC 2047 "B" encoded word around ISO-2022-JP text.
constexpr char ENCODED_WORD_START[] = "=?ISO-2022-JP?B?";
constexpr char ENCODED_WORD_END[] = "?=";

// ---- the convertible double-byte codes --------------------------------------------------------

// Lead bytes firstLead..lastLead accept the trail bytes firstTrail..lastTrail (all inclusive).
struct CodeRange {
    unsigned char firstLead, lastLead, firstTrail, lastTrail;
};

// The JIS X 0208 rows of code page 932 (symbols, digits, Latin, kana, Greek, Cyrillic, box
// drawing, both kanji levels) plus 0x83D7-0x83E6; the vendor rows (0x85-0x87, 0xEB onward) and
// the unassigned cells are left out.
// One line per lead byte, as the table is read.
// clang-format off
constexpr CodeRange CONVERTIBLE_RANGES[] = {
    {0x81, 0x81, 0x40, 0x7E}, {0x81, 0x81, 0x80, 0xAC}, {0x81, 0x81, 0xB8, 0xBF},
    {0x81, 0x81, 0xC8, 0xCE}, {0x81, 0x81, 0xDA, 0xE8}, {0x81, 0x81, 0xF0, 0xF7},
    {0x81, 0x81, 0xFC, 0xFC},
    {0x82, 0x82, 0x4F, 0x58}, {0x82, 0x82, 0x60, 0x79}, {0x82, 0x82, 0x81, 0x9A},
    {0x82, 0x82, 0x9F, 0xF1},
    {0x83, 0x83, 0x40, 0x7E}, {0x83, 0x83, 0x80, 0x96}, {0x83, 0x83, 0x9F, 0xB6},
    {0x83, 0x83, 0xBF, 0xE6},
    {0x84, 0x84, 0x40, 0x60}, {0x84, 0x84, 0x70, 0x7E}, {0x84, 0x84, 0x80, 0x91},
    {0x84, 0x84, 0x9F, 0xBE},
    {0x88, 0x88, 0x9F, 0xFC},
    {0x89, 0x97, 0x40, 0x7E}, {0x89, 0x97, 0x80, 0xFC},
    {0x98, 0x98, 0x40, 0x72}, {0x98, 0x98, 0x9F, 0xFC},
    {0x99, 0x9F, 0x40, 0x7E}, {0x99, 0x9F, 0x80, 0xFC},
    {0xE0, 0xE9, 0x40, 0x7E}, {0xE0, 0xE9, 0x80, 0xFC},
    {0xEA, 0xEA, 0x40, 0x7E}, {0xEA, 0xEA, 0x80, 0xA4},
};
// clang-format on

// One bit per 16-bit code, set for the codes of CONVERTIBLE_RANGES.
constexpr std::size_t CODE_COUNT = 1u << 16;
constexpr std::size_t BITS_PER_WORD = 64;
using CodeBitmap = std::array<std::uint64_t, CODE_COUNT / BITS_PER_WORD>;

constexpr CodeBitmap MakeConvertibleBitmap() {
    CodeBitmap bitmap{};
    for (const CodeRange& range : CONVERTIBLE_RANGES) {
        for (unsigned lead = range.firstLead; lead <= range.lastLead; ++lead) {
            for (unsigned trail = range.firstTrail; trail <= range.lastTrail; ++trail) {
                unsigned code = lead << 8 | trail;
                bitmap[code / BITS_PER_WORD] |= std::uint64_t{1} << (code % BITS_PER_WORD);
            }
        }
    }
    return bitmap;
}

constexpr CodeBitmap CONVERTIBLE_CODES = MakeConvertibleBitmap();

// The conversion relies on it: every convertible code is a lead byte with a valid trail byte.
constexpr bool RangesHoldOnlyDoubleByteCharacters() {
    for (const CodeRange& range : CONVERTIBLE_RANGES) {
        if (!IsShiftJisLeadByte(range.firstLead) || !IsShiftJisLeadByte(range.lastLead))
            return false;
        if (range.firstLead >= 0xA0 && range.firstLead < 0xE0) return false;
        if (!IsShiftJisTrailByte(range.firstTrail) || !IsShiftJisTrailByte(range.lastTrail))
            return false;
        if (range.firstTrail <= 0x7F && range.lastTrail >= 0x7F) return false;
    }
    return true;
}
static_assert(RangesHoldOnlyDoubleByteCharacters());

// The standard Shift_JIS to JIS X 0208 arithmetic: each lead byte covers two rows (0xE0 onward
// follow 0x9F), the trail byte selects the row (below 0x9F the odd row, else the even one) and
// the cell (0x21-0x7E; 0x7F is no trail byte, so the cells skip it).
inline void ShiftJisToJisBytes(unsigned char lead, unsigned char trail, char jis[2]) {
    const unsigned adjusted = lead >= 0xE0 ? lead - 0x40 : lead;
    const bool evenRow = trail >= 0x9F;
    jis[0] = static_cast<char>((adjusted - 0x81) * 2 + 0x21 + (evenRow ? 1 : 0));
    jis[1] = static_cast<char>(evenRow         ? trail - 0x7E
                               : trail >= 0x80 ? trail - 0x20
                                               : trail - 0x1F);
}

// ---- output sinks: the same walk counts, then writes ------------------------------------------

struct CountingSink {
    std::size_t count = 0;
    void Put(char) { ++count; }
    void Put(const char*, std::size_t length) { count += length; }
};

struct WritingSink {
    char* next;
    void Put(char byte) { *next++ = byte; }
    void Put(const char* bytes, std::size_t length) {
        std::memcpy(next, bytes, length);
        next += length;
    }
};

// Runs `walk` once to count and once to write into a string of exactly that size.
template <class Walk>
std::string BuildSized(Walk walk) {
    CountingSink counter;
    walk(counter);
    std::string result(counter.count, '\0');
    WritingSink writer{result.data()};
    walk(writer);
    return result;
}

// ---- skipping the bytes that are copied unchanged ---------------------------------------------

using ByteClass = std::array<bool, 256>;

constexpr unsigned char ESC = 0x1B;
constexpr unsigned char SO = 0x0E;
constexpr unsigned char SI = 0x0F;

// The class of the bytes for which `isSpecial` holds.
template <class Predicate>
constexpr ByteClass MakeByteClass(Predicate isSpecial) {
    ByteClass special{};
    for (unsigned byte = 0; byte < 256; ++byte)
        special[byte] = isSpecial(static_cast<unsigned char>(byte));
    return special;
}

// Bytes that the conversion does not copy: CR, lead bytes, and every byte that 7-bit ISO-2022-JP
// (RFC 1468) cannot carry as it is: the other bytes 0x80-0xFF, and ESC, SO and SI, which would
// switch a reader's character set.
constexpr ByteClass CONVERSION_SPECIAL = MakeByteClass(
    [](unsigned char b) { return b >= 0x80 || b == CR || b == ESC || b == SO || b == SI; });
// Bytes that widening does not copy: lead bytes and half-width katakana.
constexpr ByteClass WIDENING_SPECIAL =
    MakeByteClass([](unsigned char b) { return IsShiftJisLeadByte(b) || IsHalfWidthKatakana(b); });

// The first special byte at or after `p`, or `end`.
const unsigned char* SkipCopiedBytes(const unsigned char* p, const unsigned char* end,
                                     const ByteClass& special) {
    while (p != end && !special[*p]) ++p;
    return p;
}

inline bool HasTrailByte(const unsigned char* p, const unsigned char* end) {
    return end - p >= 2 && IsShiftJisTrailByte(p[1]);
}

// ---- widening ----------------------------------------------------------------------------------

// Widens the characters from `p` up to the next byte that is copied unchanged; returns the
// position after them.
template <class Sink>
const unsigned char* WidenSpecialRun(const unsigned char* p, const unsigned char* end, Sink& out) {
    while (p != end && WIDENING_SPECIAL[*p]) {
        if (IsShiftJisLeadByte(*p)) {  // a run of double-byte characters is copied in one piece
            const unsigned char* run = p;
            while (run != end && IsShiftJisLeadByte(*run)) run += HasTrailByte(run, end) ? 2 : 1;
            out.Put(reinterpret_cast<const char*>(p), static_cast<std::size_t>(run - p));
            p = run;
            continue;
        }
        const char* precomposed = end - p >= 2 ? PrecomposedForm(p[0], p[1]) : nullptr;
        if (precomposed != nullptr) {
            out.Put(precomposed, 2);
            p += 2;
            continue;
        }
        out.Put(FullWidthForm(*p), 2);  // a sound mark after it is widened on its own next
        p += 1;
    }
    return p;
}

template <class Sink>
void WidenInto(std::string_view source, Sink& out) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(source.data());
    const unsigned char* end = p + source.size();
    while (p != end) {
        const unsigned char* special = SkipCopiedBytes(p, end, WIDENING_SPECIAL);
        out.Put(reinterpret_cast<const char*>(p), static_cast<std::size_t>(special - p));
        p = WidenSpecialRun(special, end, out);
    }
}

// ---- conversion --------------------------------------------------------------------------------

inline bool IsConvertibleCode(unsigned code) {
    return (CONVERTIBLE_CODES[code / BITS_PER_WORD] >> (code % BITS_PER_WORD)) & 1u;
}

// True when a convertible double-byte character starts at `p` (its lead and trail bytes are
// then valid: the table holds no other codes).
inline bool StartsConvertibleCharacter(const unsigned char* p, const unsigned char* end) {
    return end - p >= 2 && IsConvertibleCode(unsigned{p[0]} << 8 | p[1]);
}

// Converts the lead bytes and CRs from `p` up to the next byte that is copied unchanged;
// returns the position after them. `jisMode` is the mode before and after.
template <class Sink>
const unsigned char* ConvertSpecialRun(const unsigned char* p, const unsigned char* end,
                                       bool& jisMode, Sink& out) {
    while (p != end && CONVERSION_SPECIAL[*p]) {
        if (*p == CR) {
            if (jisMode) out.Put(ENTER_ASCII, sizeof ENTER_ASCII);
            jisMode = false;
            out.Put(static_cast<char>(LF));
            p += (end - p >= 2 && p[1] == LF) ? 2 : 1;
            continue;
        }
        if (StartsConvertibleCharacter(p, end)) {
            if (!jisMode) out.Put(ENTER_JIS_X_0208, sizeof ENTER_JIS_X_0208);
            jisMode = true;
            do {
                char jis[2];
                ShiftJisToJisBytes(p[0], p[1], jis);
                out.Put(jis, 2);
                p += 2;
            } while (StartsConvertibleCharacter(p, end));
            continue;
        }
        const bool paired = IsShiftJisLeadByte(*p) && HasTrailByte(p, end);
        // A rejected character, a lead byte without its trail byte (the byte after it is then
        // handled on its own), or a byte that 7-bit text cannot carry: ESC ( B is written even in
        // ASCII mode.
        out.Put(ENTER_ASCII, sizeof ENTER_ASCII);
        out.Put(REJECTED_CHARACTER, sizeof REJECTED_CHARACTER);
        jisMode = false;
        p += paired ? 2 : 1;
    }
    return p;
}

template <class Sink>
void ConvertInto(std::string_view source, Sink& out) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(source.data());
    const unsigned char* end = p + source.size();
    bool jisMode = false;
    while (p != end) {
        const unsigned char* special = SkipCopiedBytes(p, end, CONVERSION_SPECIAL);
        if (special != p) {
            if (jisMode) out.Put(ENTER_ASCII, sizeof ENTER_ASCII);
            jisMode = false;
            out.Put(reinterpret_cast<const char*>(p), static_cast<std::size_t>(special - p));
        }
        p = ConvertSpecialRun(special, end, jisMode, out);
    }
    if (jisMode) out.Put(ENTER_ASCII, sizeof ENTER_ASCII);
}

}  // namespace

std::string WidenHalfWidthKana(std::string_view source) {
    return BuildSized([source](auto& sink) { WidenInto(source, sink); });
}

std::string ShiftJisToJis(std::string_view source) {
    return BuildSized([source](auto& sink) { ConvertInto(source, sink); });
}

bool IsConvertibleKanji(unsigned int code) { return code < CODE_COUNT && IsConvertibleCode(code); }

std::string EncodeHeaderWord(std::string_view source) {
    constexpr std::size_t startLength = sizeof ENCODED_WORD_START - 1;
    constexpr std::size_t endLength = sizeof ENCODED_WORD_END - 1;
    std::string word(startLength + Base64GroupsLength(source.size()) + endLength, '\0');
    char* next = word.data();
    std::memcpy(next, ENCODED_WORD_START, startLength);
    next = EncodeBase64Groups(reinterpret_cast<const unsigned char*>(source.data()), source.size(),
                              next + startLength);
    std::memcpy(next, ENCODED_WORD_END, endLength);
    return word;
}

std::string EncodeJapaneseHeaderText(std::string_view shiftJisText) {
    return EncodeHeaderWord(ShiftJisToJis(WidenHalfWidthKana(shiftJisText)));
}
