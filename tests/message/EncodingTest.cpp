// Golden tests of the encoders: Shift-JIS to ISO-2022-JP, katakana widening and base64 text in
// lines. Literals in this file are compiled to Shift-JIS.
#include <gtest/gtest.h>

#include <cerrno>
#include <set>

#include "message/CSmtpAttachment.h"
#include "message/JapaneseText.h"
#include "support/TestFiles.h"

namespace {

std::string Code(unsigned code) { return {char(code >> 8), char(code & 0xFF)}; }
const std::string JIS = "\x1B$B", ASCII = "\x1B(B";

TEST(ShiftJisToJisTest, Cases) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Hello.\n", "Hello.\n"},
        {"a日本 日b", "a" + JIS + "F|K\\" + ASCII + " " + JIS + "F|" + ASCII + "b"},
        {"アイ", JIS + "%\"%$" + ASCII},
        {Code(0x8740) + "x", ASCII + "??x"},  // a vendor row
        {"日" + Code(0xED40) + "本", JIS + "F|" + ASCII + "??" + JIS + "K\\" + ASCII},
        {"a\r\nb\rc\r\r\nd\n\re\r", "a\nb\nc\n\nd\n\ne\n"},  // CR LF, lone CR
        {"日\r\n", JIS + "F|" + ASCII + "\n"},
        {"a\x93\nb", "a" + ASCII + "??\nb"},  // lead, no trail
        {"日\x93", JIS + "F|" + ASCII + "??"},
        {"\x93\x7F\x93\xFD", ASCII + "??\x7F" + ASCII + "??" + ASCII + "??"},
        // bytes 7-bit text cannot carry, and the escapes that would switch a reader's character set
        {"\x80\xA0\xB1\xFE" + std::string("\0b\x1B$B\x0E\x0F", 7),
         ASCII + "??" + ASCII + "??" + ASCII + "??" + ASCII + "??" + std::string("\0b", 2) + ASCII +
             "??$B" + ASCII + "??" + ASCII + "??"},
        {std::string(37, 'x') + "本", std::string(37, 'x') + JIS + "K\\" + ASCII},
        {std::string(20, 'a') + "日" + std::string(18, 'x') + "\r" + std::string(13, 'x'),
         std::string(20, 'a') + JIS + "F|" + ASCII + std::string(18, 'x') + "\n" +
             std::string(13, 'x')},
    };
    for (const auto& [source, expected] : cases)
        EXPECT_EQ(ShiftJisToJis(source), expected) << source;
}

// The JIS X 0208 characters of code page 932 (6879) and 0x83D7-0x83E6 convert, each to its own
// 7-bit code (the edges of the ranges to theirs); everything else is rejected.
TEST(ShiftJisToJisTest, EveryConvertibleCodeGivesADistinctSevenBitCode) {
    const std::pair<unsigned, unsigned> codes[] = {
        {0x8140, 0x2121}, {0x817E, 0x215F}, {0x8180, 0x2160}, {0x81CD, 0x224F}, {0x824F, 0x2330},
        {0x829A, 0x237A}, {0x8396, 0x2576}, {0x83BF, 0x2641}, {0x83D6, 0x2658}, {0x83D7, 0x2659},
        {0x8440, 0x2721}, {0x8491, 0x2771}, {0x849F, 0x2821}, {0x84BE, 0x2840}, {0x889F, 0x3021},
        {0x9872, 0x4F53}, {0x989F, 0x5021}, {0x98A4, 0x5026}, {0xEAA3, 0x7425}, {0xEAA4, 0x7426}};
    for (auto [sjis, jis] : codes)
        EXPECT_EQ(ShiftJisToJis(Code(sjis)), JIS + Code(jis) + ASCII) << std::hex << sjis;
    std::set<std::string> seen;
    for (unsigned code = 0; code <= 0x1FFFF; ++code) {
        if (!IsConvertibleKanji(code)) continue;
        std::string out = ShiftJisToJis(Code(code));
        ASSERT_EQ(out.substr(0, 3) + out.substr(5), JIS + ASCII) << std::hex << code;
        for (char c : out.substr(3, 2)) ASSERT_TRUE(c >= 0x21 && c <= 0x7E) << std::hex << code;
        seen.insert(out.substr(3, 2));
    }
    EXPECT_EQ(seen.size(), 6895u);
    EXPECT_EQ(ShiftJisToJis(Code(0x8540) + Code(0x9873) + Code(0xEAA5)),
              ASCII + "??" + ASCII + "??" + ASCII + "??");
}

TEST(WidenHalfWidthKanaTest, Cases) {
    std::string every;  // all 63 half-width bytes in order: each widens on its own
    for (int kana = 0xA1; kana <= 0xDF; ++kana) every += char(kana);
    const std::pair<std::string, std::string> cases[] = {
        {every,
         "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフ"
         "ヘホ"
         "マミムメモヤユヨラリルレロワン゛゜"},
        {"ｶﾞｺﾞﾄﾞﾊﾞﾎﾞﾊﾟﾎﾟｳﾞ", "ガゴドバボパポヴ"},
        {"ｱﾞｵﾟﾅﾞﾜﾟｶﾟﾏﾟﾞ", "ア゛オ゜ナ゛ワ゜カ゜マ゜゛"},
        {"abc\r\n.日本" + Code(0x83B1) + Code(0x8740) + "ｱ",
         "abc\r\n.日本" + Code(0x83B1) + Code(0x8740) + "ア"},
        {"\x93\n\xB1\x80\xA0\xFD\x93", "\x93\nア\x80\xA0\xFD\x93"},
        {std::string(40, 'a') + "ｶﾞ" + std::string(9, 'b'),
         std::string(40, 'a') + "ガ" + std::string(9, 'b')},
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(WidenHalfWidthKana(source), expected);
}

// The text of the whole-input encoder, written into the size it asks for (one byte less fails);
// the text ends in a NUL.
std::string Base64Text(const std::string& input) {
    std::size_t size = CSmtpAttachment::Base64EncodedSize(input.size()), length = 99;
    std::string out(size, '#');
    auto bytes = reinterpret_cast<const unsigned char*>(input.data());
    EXPECT_FALSE(CSmtpAttachment::Base64Encode(bytes, input.size(), out.data(), size - 1, length));
    EXPECT_EQ(length, 0u);
    EXPECT_TRUE(CSmtpAttachment::Base64Encode(bytes, input.size(), out.data(), size, length));
    EXPECT_EQ(out[length], '\0');
    return out.substr(0, length);
}

// Bytes that differ from their neighbours, 1 8 15 22 ..., so that no group or line looks alike.
std::string Sevens(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) bytes[i] = char(i * 7 + 1 + i / 251);
    return bytes;
}

TEST(Base64EncodeTest, GoldenTexts) {
    const std::string A76(76, 'A');
    const std::pair<std::string, std::string> cases[] = {
        {"", "\r\n"},
        {"f", "Zg==\r\n"},
        {"fo", "Zm8=\r\n"},
        {"foo", "Zm9v\r\n"},
        {"foobar\xFF\xFE", "Zm9vYmFy//4=\r\n"},
        {std::string(57, '\0'), A76 + "\r\n\r\n"},
        {std::string(58, '\0'), A76 + "\r\nAA==\r\n"},
        {std::string(114, '\0'), A76 + "\r\n" + A76 + "\r\n\r\n"},
        {Sevens(115),
         "AQgPFh0kKzI5QEdOVVxjanF4f4aNlJuiqbC3vsXM09rh6O/2/QQLEhkgJy41PENKUVhfZm10e4KJ\r\n"
         "kJeepayzusHIz9bd5Ovy+QAHDhUcIyoxOD9GTVRbYmlwd36FjJOaoaivtr3Ey9LZ4Ofu9fwDChEY\r\n"
         "Hw==\r\n"},
    };
    for (const auto& [input, text] : cases) EXPECT_EQ(Base64Text(input), text) << input.size();
    EXPECT_EQ(CSmtpAttachment::Base64EncodedSize(SIZE_MAX / 2 + 1), SIZE_MAX);  // no wrap-around
}

// A file is read 57 * 4096 bytes at a time: one chunk exactly, and three, give the whole text.
TEST(Base64EncodeTest, FileReadInChunksGivesTheWholeText) {
    TempDir dir(true);
    for (std::size_t size : {57 * 4096, 2 * 57 * 4096 + 100}) {
        WriteFile("file", Sevens(size));
        CSmtpAttachment attachment;
        errno = EINTR;  // left by an earlier call: a read that succeeds does not clear it
        ASSERT_EQ(attachment.LoadFile("file"), TRUE);
        EXPECT_EQ(std::string(attachment.m_pBase64.get(), attachment.m_nBase64Length),
                  Base64Text(Sevens(size)));
    }
}

}  // namespace
