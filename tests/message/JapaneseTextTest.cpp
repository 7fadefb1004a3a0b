// Japanese text encoding: widening, conversion to ISO-2022-JP, the convertible-code table and
// encoded words.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "MessageTestSupport.h"
#include "message/JapaneseText.h"

namespace {

// ---- literals really are Shift-JIS ------------------------------------------------------------

TEST(ShiftJisLiteralTest, JapaneseLiteralsAreCompiledToShiftJis) {
    EXPECT_EQ(std::string("日本"), Bytes({0x93, 0xFA, 0x96, 0x7B}));
    EXPECT_EQ(std::string("ｱｶﾞ"), Bytes({0xB1, 0xB6, 0xDE}));
    EXPECT_EQ(std::string("ソ表"), Bytes({0x83, 0x5C, 0x95, 0x5C}));
}

// ---- IsConvertibleKanji: the whole table --------------------------------------------------------

struct TableRow {
    unsigned firstLead, lastLead;
    std::vector<std::pair<unsigned, unsigned>> trails;
};

// The table of convertible codes, as the system defines it (trail ranges inclusive).
// clang-format off
const std::vector<TableRow> CONVERTIBLE_TABLE = {
    {0x81, 0x81, {{0x40, 0x7E}, {0x80, 0xAC}, {0xB8, 0xBF}, {0xC8, 0xCE}, {0xDA, 0xE8}, {0xF0, 0xF7}, {0xFC, 0xFC}}},
    {0x82, 0x82, {{0x4F, 0x58}, {0x60, 0x79}, {0x81, 0x9A}, {0x9F, 0xF1}}},
    {0x83, 0x83, {{0x40, 0x7E}, {0x80, 0x96}, {0x9F, 0xB6}, {0xBF, 0xE6}}},
    {0x84, 0x84, {{0x40, 0x60}, {0x70, 0x7E}, {0x80, 0x91}, {0x9F, 0xBE}}},
    {0x88, 0x88, {{0x9F, 0xFC}}},
    {0x89, 0x97, {{0x40, 0x7E}, {0x80, 0xFC}}},
    {0x98, 0x98, {{0x40, 0x72}, {0x9F, 0xFC}}},
    {0x99, 0x9F, {{0x40, 0x7E}, {0x80, 0xFC}}},
    {0xE0, 0xE9, {{0x40, 0x7E}, {0x80, 0xFC}}},
    {0xEA, 0xEA, {{0x40, 0x7E}, {0x80, 0xA4}}},
};
// clang-format on

bool InTable(unsigned code) {
    unsigned lead = code >> 8, trail = code & 0xFF;
    for (const TableRow& row : CONVERTIBLE_TABLE) {
        if (lead < row.firstLead || lead > row.lastLead) continue;
        for (auto [first, last] : row.trails) {
            if (trail >= first && trail <= last) return true;
        }
    }
    return false;
}

// Every 16-bit code, so every boundary of every range from both sides.
TEST(IsConvertibleKanjiTest, AgreesWithTheTableForEverySixteenBitCode) {
    int mismatches = 0;
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        if (IsConvertibleKanji(code) != InTable(code) && ++mismatches <= 10)
            ADD_FAILURE() << std::hex << code;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_FALSE(IsConvertibleKanji(0x10000 | 0x889F));
}

// ---- ShiftJisToJis ------------------------------------------------------------------------------

struct ConversionCase {
    const char* what;
    std::string source;
    std::string expected;
};

TEST(ShiftJisToJisTest, ConvertsAsSpecifiedCases) {
    const ConversionCase cases[] = {
        {"ascii unchanged", "Hello, world.\n", "Hello, world.\n"},
        {"empty", "", ""},
        {"日本", "日本", ESC_JIS + Bytes({0x46, 0x7C, 0x4B, 0x5C}) + ESC_ASCII},
        {"ascii kanji ascii", "a日b", "a" + ESC_JIS + Bytes({0x46, 0x7C}) + ESC_ASCII + "b"},
        {"one escape pair per run", "日本 日本",
         ESC_JIS + Bytes({0x46, 0x7C, 0x4B, 0x5C}) + ESC_ASCII + " " + ESC_JIS +
             Bytes({0x46, 0x7C, 0x4B, 0x5C}) + ESC_ASCII},
        {"vendor ① at start", Code(0x8740) + "x", ESC_ASCII + "??x"},
        {"vendor 0xED40", "a" + Code(0xED40), "a" + ESC_ASCII + "??"},
        {"vendor inside a run", "日" + Code(0x8740) + "本",
         ESC_JIS + Bytes({0x46, 0x7C}) + ESC_ASCII + "??" + ESC_JIS + Bytes({0x4B, 0x5C}) +
             ESC_ASCII},
        {"full-width アイ", "アイ", ESC_JIS + Bytes({0x25, 0x22, 0x25, 0x24}) + ESC_ASCII},
        {"CR LF becomes LF", "a\r\nb", "a\nb"},
        {"lone CR becomes LF, next byte kept", "a\rb", "a\nb"},
        {"CR CR LF", "a\r\r\nb", "a\n\nb"},
        {"CR at the end", "a\r", "a\n"},
        {"LF CR", "a\n\rb", "a\n\nb"},
        {"CR after kanji leaves JIS first", "日\r\n",
         ESC_JIS + Bytes({0x46, 0x7C}) + ESC_ASCII + "\n"},
        {"lead byte before LF keeps the LF", "a" + Bytes({0x93}) + "\nb",
         "a" + ESC_ASCII + "??\nb"},
        {"lead byte before CR", Bytes({0x93}) + "\r\nb", ESC_ASCII + "??\nb"},
        {"lead byte at the end", "日" + Bytes({0x93}),
         ESC_JIS + Bytes({0x46, 0x7C}) + ESC_ASCII + "??"},
        {"lead byte before 0x7F", Bytes({0x93, 0x7F}), ESC_ASCII + "??" + Bytes({0x7F})},
        {"lead byte before 0xFD", Bytes({0x93, 0xFD}), ESC_ASCII + "??" + Bytes({0xFD})},
        {"single-byte high bytes copied", Bytes({0x80, 0xA0, 0xB1, 0xFD, 0xFE, 0xFF}),
         Bytes({0x80, 0xA0, 0xB1, 0xFD, 0xFE, 0xFF})},
        {"zero byte copied", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"long ascii run then kanji", std::string(37, 'x') + "本",
         std::string(37, 'x') + ESC_JIS + Bytes({0x4B, 0x5C}) + ESC_ASCII},
    };
    for (const ConversionCase& c : cases) EXPECT_EQ(ShiftJisToJis(c.source), c.expected) << c.what;
}

TEST(ShiftJisToJisTest, KnownCodesGiveTheirJisX0208Codes) {
    const std::pair<unsigned, unsigned> cases[] = {
        {0x889F, 0x3021}, {0x9872, 0x4F53}, {0x989F, 0x5021}, {0xEAA4, 0x7426}, {0x8140, 0x2121},
        {0x8396, 0x2576}, {0x81CD, 0x224F}, {0x849F, 0x2821}, {0x84BE, 0x2840}, {0x8440, 0x2721},
        {0x8491, 0x2771}, {0x83BF, 0x2641}, {0x83D6, 0x2658}, {0x824F, 0x2330}, {0x829A, 0x237A},
        {0x98A4, 0x5026}, {0xEAA3, 0x7425}, {0x83D7, 0x2659}, {0x817E, 0x215F}, {0x8180, 0x2160},
    };
    for (auto [sjis, jis] : cases) {
        EXPECT_EQ(ShiftJisToJis(Code(sjis)), ESC_JIS + Code(jis) + ESC_ASCII) << std::hex << sjis;
    }
}

TEST(ShiftJisToJisTest, EveryConvertibleCodeGivesADistinctSevenBitCode) {
    std::set<std::string> seen;
    for (unsigned code = 0x8100; code <= 0xFCFF; ++code) {
        if (!InTable(code)) continue;
        std::string out = ShiftJisToJis(Code(code));
        ASSERT_EQ(out.size(), 8u) << std::hex << code;
        ASSERT_EQ(out.substr(0, 3), ESC_JIS);
        ASSERT_EQ(out.substr(5), ESC_ASCII);
        for (int i = 3; i < 5; ++i) {
            unsigned char byte = static_cast<unsigned char>(out[i]);
            ASSERT_TRUE(byte >= 0x21 && byte <= 0x7E) << std::hex << code;
        }
        EXPECT_TRUE(seen.insert(out.substr(3, 2)).second) << std::hex << code;
    }
    EXPECT_EQ(seen.size(), 6895u);  // the 6879 JIS X 0208 characters and the 16 codes 0x83D7-0x83E6
}

// ---- WidenHalfWidthKana -------------------------------------------------------------------------

// Every half-width byte and its full-width code.
const std::pair<int, unsigned> FULL_WIDTH[] = {
    {0xA1, 0x8142}, {0xA2, 0x8175}, {0xA3, 0x8176}, {0xA4, 0x8141}, {0xA5, 0x8145}, {0xA6, 0x8392},
    {0xA7, 0x8340}, {0xA8, 0x8342}, {0xA9, 0x8344}, {0xAA, 0x8346}, {0xAB, 0x8348}, {0xAC, 0x8383},
    {0xAD, 0x8385}, {0xAE, 0x8387}, {0xAF, 0x8362}, {0xB0, 0x815B}, {0xB1, 0x8341}, {0xB2, 0x8343},
    {0xB3, 0x8345}, {0xB4, 0x8347}, {0xB5, 0x8349}, {0xB6, 0x834A}, {0xB7, 0x834C}, {0xB8, 0x834E},
    {0xB9, 0x8350}, {0xBA, 0x8352}, {0xBB, 0x8354}, {0xBC, 0x8356}, {0xBD, 0x8358}, {0xBE, 0x835A},
    {0xBF, 0x835C}, {0xC0, 0x835E}, {0xC1, 0x8360}, {0xC2, 0x8363}, {0xC3, 0x8365}, {0xC4, 0x8367},
    {0xC5, 0x8369}, {0xC6, 0x836A}, {0xC7, 0x836B}, {0xC8, 0x836C}, {0xC9, 0x836D}, {0xCA, 0x836E},
    {0xCB, 0x8371}, {0xCC, 0x8374}, {0xCD, 0x8377}, {0xCE, 0x837A}, {0xCF, 0x837D}, {0xD0, 0x837E},
    {0xD1, 0x8380}, {0xD2, 0x8381}, {0xD3, 0x8382}, {0xD4, 0x8384}, {0xD5, 0x8386}, {0xD6, 0x8388},
    {0xD7, 0x8389}, {0xD8, 0x838A}, {0xD9, 0x838B}, {0xDA, 0x838C}, {0xDB, 0x838D}, {0xDC, 0x838F},
    {0xDD, 0x8393}, {0xDE, 0x814A}, {0xDF, 0x814B},
};

// Every kana with a sound mark that has a precomposed full-width form.
struct Precomposed {
    int kana, mark;
    unsigned code;
};
const Precomposed PRECOMPOSED[] = {
    {0xB3, 0xDE, 0x8394}, {0xB6, 0xDE, 0x834B}, {0xB7, 0xDE, 0x834D}, {0xB8, 0xDE, 0x834F},
    {0xB9, 0xDE, 0x8351}, {0xBA, 0xDE, 0x8353}, {0xBB, 0xDE, 0x8355}, {0xBC, 0xDE, 0x8357},
    {0xBD, 0xDE, 0x8359}, {0xBE, 0xDE, 0x835B}, {0xBF, 0xDE, 0x835D}, {0xC0, 0xDE, 0x835F},
    {0xC1, 0xDE, 0x8361}, {0xC2, 0xDE, 0x8364}, {0xC3, 0xDE, 0x8366}, {0xC4, 0xDE, 0x8368},
    {0xCA, 0xDE, 0x836F}, {0xCA, 0xDF, 0x8370}, {0xCB, 0xDE, 0x8372}, {0xCB, 0xDF, 0x8373},
    {0xCC, 0xDE, 0x8375}, {0xCC, 0xDF, 0x8376}, {0xCD, 0xDE, 0x8378}, {0xCD, 0xDF, 0x8379},
    {0xCE, 0xDE, 0x837B}, {0xCE, 0xDF, 0x837C},
};

unsigned FullWidthOf(int halfWidth) {
    for (auto [half, code] : FULL_WIDTH) {
        if (half == halfWidth) return code;
    }
    return 0;
}

TEST(WidenHalfWidthKanaTest, AllSixtyThreeHalfWidthCharacters) {
    ASSERT_EQ(std::size(FULL_WIDTH), 63u);
    for (auto [half, code] : FULL_WIDTH) {
        EXPECT_EQ(WidenHalfWidthKana(Bytes({half})), Code(code)) << std::hex << half;
        EXPECT_EQ(WidenHalfWidthKana("<" + Bytes({half}) + ">"), "<" + Code(code) + ">")
            << std::hex << half;
    }
}

TEST(WidenHalfWidthKanaTest, SoundMarksPrecomposeWhereAFormExists) {
    ASSERT_EQ(std::size(PRECOMPOSED), 26u);
    for (const Precomposed& p : PRECOMPOSED) {
        EXPECT_EQ(WidenHalfWidthKana(Bytes({p.kana, p.mark})), Code(p.code))
            << std::hex << p.kana << " " << p.mark;
    }
    EXPECT_EQ(WidenHalfWidthKana("ｶﾞ"), "ガ");
    EXPECT_EQ(WidenHalfWidthKana("ﾊﾟ"), "パ");
    EXPECT_EQ(WidenHalfWidthKana("ｳﾞ"), "ヴ");
}

TEST(WidenHalfWidthKanaTest, SoundMarkWithoutPrecomposedFormWidensToTwoCharacters) {
    for (int kana = 0xA1; kana <= 0xDF; ++kana) {
        for (int mark : {0xDE, 0xDF}) {
            bool precomposes = false;
            for (const Precomposed& p : PRECOMPOSED)
                precomposes |= p.kana == kana && p.mark == mark;
            if (precomposes) continue;
            EXPECT_EQ(WidenHalfWidthKana(Bytes({kana, mark})),
                      Code(FullWidthOf(kana)) + Code(FullWidthOf(mark)))
                << std::hex << kana << " " << mark;
        }
    }
    EXPECT_EQ(WidenHalfWidthKana("ｱﾞ"), "ア゛");
}

TEST(WidenHalfWidthKanaTest, CopiesDoubleByteCharactersAndOtherBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc\r\n.", "abc\r\n."},
        {"", ""},
        {"ｱｲ", "アイ"},
        {"日本ｶﾞ", "日本ガ"},
        {Code(0x83B1), Code(0x83B1)},  // a trail byte in the kana range
        {Code(0x8740) + "ｱ", Code(0x8740) + "ア"},
        {Bytes({0x93}), Bytes({0x93})},                           // lead byte at the end
        {Bytes({0x93, 0x0A, 0xB1}), Bytes({0x93, 0x0A}) + "ア"},  // lead byte without trail
        {Bytes({0x80, 0xA0, 0xFD, 0xFF}), Bytes({0x80, 0xA0, 0xFD, 0xFF})},
        {std::string(40, 'a') + "ｶﾞ" + std::string(9, 'b'),
         std::string(40, 'a') + "ガ" + std::string(9, 'b')},
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(WidenHalfWidthKana(source), expected);
}

// ---- encoded words ------------------------------------------------------------------------------

TEST(EncodeHeaderWordTest, WrapsBase64OfEveryByte) {
    EXPECT_EQ(EncodeHeaderWord("abc"), "=?ISO-2022-JP?B?YWJj?=");
    EXPECT_EQ(EncodeHeaderWord(""),
              "=?ISO-2022-JP?B?"
              "?=");
    EXPECT_EQ(EncodeHeaderWord("a"), "=?ISO-2022-JP?B?YQ==?=");
    EXPECT_EQ(EncodeHeaderWord("ab"), "=?ISO-2022-JP?B?YWI=?=");
    EXPECT_EQ(EncodeJapaneseHeaderText("日本"), "=?ISO-2022-JP?B?GyRCRnxLXBsoQg==?=");
    EXPECT_EQ(EncodeJapaneseHeaderText("ｱｲ"), "=?ISO-2022-JP?B?GyRCJSIlJBsoQg==?=");
}

}  // namespace
