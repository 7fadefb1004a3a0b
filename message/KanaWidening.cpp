// Katakana widening tables. Every literal here is compiled to Shift-JIS: each character of the
// tables below is two bytes.
#include "message/KanaWidening.h"

#include <cstddef>

namespace {

constexpr unsigned char FIRST_HALF_WIDTH = 0xA1;
constexpr unsigned char LAST_HALF_WIDTH = 0xDF;
constexpr std::size_t FULL_WIDTH_BYTES = 2;

// The full-width forms of 0xA1 to 0xDF, in byte order.
constexpr char FULL_WIDTH_FORMS[] =
    "。「」、・ヲァィゥェォャュョッー"  // 0xA1-0xB0
    "アイウエオカキクケコサシスセソ"    // 0xB1-0xBF
    "タチツテトナニヌネノハヒフヘホ"    // 0xC0-0xCE
    "マミムメモヤユヨラリルレロワン"    // 0xCF-0xDD
    "゛゜";                             // 0xDE-0xDF
static_assert(sizeof FULL_WIDTH_FORMS ==
                  (LAST_HALF_WIDTH - FIRST_HALF_WIDTH + 1) * FULL_WIDTH_BYTES + 1,
              "one two-byte character for each of the 63 half-width bytes");

// Kana that take the voiced mark: ｶ-ﾄ (0xB6-0xC4) and ﾊ-ﾎ (0xCA-0xCE); ｳ (0xB3) gives ヴ.
constexpr unsigned char FIRST_VOICED_KA = 0xB6;
constexpr unsigned char LAST_VOICED_KA = 0xC4;
constexpr unsigned char FIRST_HA = 0xCA;
constexpr unsigned char LAST_HA = 0xCE;
constexpr unsigned char HALF_WIDTH_U = 0xB3;

constexpr char VOICED_KA_FORMS[] = "ガギグゲゴザジズゼゾダヂヅデド";
constexpr char VOICED_HA_FORMS[] = "バビブベボ";
constexpr char SEMI_VOICED_HA_FORMS[] = "パピプペポ";
constexpr char VOICED_U_FORM[] = "ヴ";
static_assert(sizeof VOICED_KA_FORMS ==
              (LAST_VOICED_KA - FIRST_VOICED_KA + 1) * FULL_WIDTH_BYTES + 1);
static_assert(sizeof VOICED_HA_FORMS == (LAST_HA - FIRST_HA + 1) * FULL_WIDTH_BYTES + 1);
static_assert(sizeof SEMI_VOICED_HA_FORMS == sizeof VOICED_HA_FORMS);
static_assert(sizeof VOICED_U_FORM == FULL_WIDTH_BYTES + 1);

const char* VoicedForm(unsigned char kana) {
    if (kana >= FIRST_VOICED_KA && kana <= LAST_VOICED_KA) {
        return VOICED_KA_FORMS + (kana - FIRST_VOICED_KA) * FULL_WIDTH_BYTES;
    }
    if (kana >= FIRST_HA && kana <= LAST_HA)
        return VOICED_HA_FORMS + (kana - FIRST_HA) * FULL_WIDTH_BYTES;
    if (kana == HALF_WIDTH_U) return VOICED_U_FORM;
    return nullptr;
}

const char* SemiVoicedForm(unsigned char kana) {
    if (kana >= FIRST_HA && kana <= LAST_HA)
        return SEMI_VOICED_HA_FORMS + (kana - FIRST_HA) * FULL_WIDTH_BYTES;
    return nullptr;
}

}  // namespace

const char* FullWidthForm(unsigned char halfWidth) {
    if (halfWidth < FIRST_HALF_WIDTH || halfWidth > LAST_HALF_WIDTH) return nullptr;
    return FULL_WIDTH_FORMS + (halfWidth - FIRST_HALF_WIDTH) * FULL_WIDTH_BYTES;
}

const char* PrecomposedForm(unsigned char halfWidthKana, unsigned char soundMark) {
    if (soundMark == HALF_WIDTH_VOICED_MARK) return VoicedForm(halfWidthKana);
    if (soundMark == HALF_WIDTH_SEMI_VOICED_MARK) return SemiVoicedForm(halfWidthKana);
    return nullptr;
}
